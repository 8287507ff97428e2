// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "profileview.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "litchi/split.h"
#include "model/format.h"

namespace korvale {

ProfileView::ProfileView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Profile1"));
    setMinimumSize(400, 240);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

std::vector<double> ProfileView::WaypointDistances(const TerrainResult& r) {
    // The added waypoints lie on the straight legs, so the path is the sum of the steps.
    std::vector<double> d;
    double along = 0;
    for (std::size_t i = 0; i < r.waypoints.size(); ++i) {
        if (i > 0)
            along += std::hypot(r.waypoints[i].at.E - r.waypoints[i - 1].at.E,
                                r.waypoints[i].at.N - r.waypoints[i - 1].at.N);
        d.push_back(along);
    }
    return d;
}

void ProfileView::SetProfile(const TerrainResult& r,
                             const std::vector<std::size_t>& partOfWaypoint) {
    r_ = r;
    wpDist_ = WaypointDistances(r);
    part_ = partOfWaypoint;
    part_.resize(r.waypoints.size(), 0);
    update();
}

void ProfileView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (r_.profile.size() < 2) {
        p.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("Kein Profil: auf der Seite Korvale ein Höhenmodell laden, "
                                  "dann auf der Seite Litchi CSV \"Litchi RasterL\" oder "
                                  "\"Litchi FreeL\" drücken."));
        return;
    }
    const double length = std::max(1.0, r_.profile.back().distM);
    double lo = r_.takeoffGround, hi = r_.takeoffGround;
    for (const ProfileSample& s : r_.profile) {
        lo = std::min({lo, s.ground, s.flight});
        hi = std::max({hi, s.ground, s.flight});
    }
    const double pad = std::max(5.0, (hi - lo) * 0.08);
    lo -= pad;
    hi += pad;
    const QFontMetrics fm(font());
    const int left = fm.horizontalAdvance(QStringLiteral("00000 m")) + 12;
    const QRectF plot(left, 28, width() - left - 16, height() - 28 - fm.height() - 16);
    auto X = [&](double d) { return plot.left() + d / length * plot.width(); };
    auto Y = [&](double h) { return plot.bottom() - (h - lo) / (hi - lo) * plot.height(); };

    // Axes with a handful of round ticks.
    p.setPen(QColor(0xC0, 0xC0, 0xC0));
    auto step = [](double span) {
        const double raw = span / 6;
        const double mag = std::pow(10, std::floor(std::log10(raw)));
        for (double f : {1.0, 2.0, 5.0, 10.0})
            if (raw <= f * mag)
                return f * mag;
        return 10 * mag;
    };
    // Ticks are counted in whole steps: adding up the step gathers rounding and may lose the
    // last tick.
    const double hs = step(hi - lo), ds = step(length);
    for (auto k = static_cast<long long>(std::ceil(lo / hs)); static_cast<double>(k) * hs <= hi;
         ++k) {
        const double h = static_cast<double>(k) * hs;
        p.setPen(QColor(0xE0, 0xE0, 0xE0));
        p.drawLine(QPointF(plot.left(), Y(h)), QPointF(plot.right(), Y(h)));
        p.setPen(Qt::darkGray);
        p.drawText(QRectF(0, Y(h) - fm.height() / 2.0, left - 6, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromStdString(Format("%.0f m", {h})));
    }
    for (long long k = 0; static_cast<double>(k) * ds <= length; ++k) {
        const double d = static_cast<double>(k) * ds;
        p.setPen(QColor(0xE0, 0xE0, 0xE0));
        p.drawLine(QPointF(X(d), plot.top()), QPointF(X(d), plot.bottom()));
        p.setPen(Qt::darkGray);
        p.drawText(QRectF(X(d) - 40, plot.bottom() + 4, 80, fm.height()), Qt::AlignHCenter,
                   QString::fromStdString(Format("%.0f m", {d})));
    }
    p.setPen(Qt::darkGray);
    p.drawRect(plot);

    // The ground, filled.
    QPainterPath ground;
    ground.moveTo(X(0), plot.bottom());
    for (const ProfileSample& s : r_.profile)
        ground.lineTo(X(s.distM), Y(s.ground));
    ground.lineTo(X(r_.profile.back().distM), plot.bottom());
    ground.closeSubpath();
    p.fillPath(ground, QColor(0xC8, 0xA8, 0x78, 0xB0));
    p.setPen(QPen(QColor(0x80, 0x60, 0x30), 1.5));
    for (std::size_t i = 1; i < r_.profile.size(); ++i)
        p.drawLine(QPointF(X(r_.profile[i - 1].distM), Y(r_.profile[i - 1].ground)),
                   QPointF(X(r_.profile[i].distM), Y(r_.profile[i].ground)));

    // The take-off height.
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), Y(r_.takeoffGround)),
               QPointF(plot.right(), Y(r_.takeoffGround)));

    // The flight altitude, in the colour of the part each piece belongs to.
    auto partAt = [&](double d) {
        const auto it = std::upper_bound(wpDist_.begin(), wpDist_.end(), d + 1e-9);
        const std::size_t i =
            it == wpDist_.begin() ? 0 : static_cast<std::size_t>(it - wpDist_.begin()) - 1;
        return i < part_.size() ? part_[i] : 0;
    };
    for (std::size_t i = 1; i < r_.profile.size(); ++i) {
        const ProfileSample &a = r_.profile[i - 1], &b = r_.profile[i];
        p.setPen(QPen(QColor::fromRgba(PartColour(partAt(a.distM))), 2.5));
        p.drawLine(QPointF(X(a.distM), Y(a.flight)), QPointF(X(b.distM), Y(b.flight)));
    }
    // The waypoints: the mission's as dots, the added ones as open triangles.
    for (std::size_t i = 0; i < r_.waypoints.size(); ++i) {
        const TerrainWaypoint& w = r_.waypoints[i];
        const QPointF at(X(wpDist_[i]), Y(r_.takeoffGround + w.altitude));
        p.setPen(QPen(Qt::black, 1.2));
        if (w.added) {
            p.setBrush(Qt::white);
            p.drawPolygon(
                QPolygonF({at + QPointF(0, -6), at + QPointF(5, 4), at + QPointF(-5, 4)}));
        } else {
            p.setBrush(QColor::fromRgba(PartColour(part_[i])));
            p.drawEllipse(at, 3, 3);
        }
    }
    p.setBrush(Qt::NoBrush);

    // What is what, and how close the drone comes.
    p.setPen(Qt::black);
    p.drawText(QPointF(left, 18),
               QString::fromStdString(
                   Format("Boden %.1f … %.1f m   Start %.1f m   %d Wegpunkte, %d für das Gelände "
                          "eingefügt (Dreiecke)   geringste Höhe über Grund %.1f m",
                          {r_.groundMin, r_.groundMax, r_.takeoffGround, r_.waypoints.size(),
                           r_.added, r_.minClearanceM})));
}

} // namespace korvale
