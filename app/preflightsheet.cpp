// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "preflightsheet.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include "model/error.h"
#include "model/format.h"

namespace korvale {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The part on a small map: a local plane around its middle (metres east and north), scaled to
// fit, north up, with the take-off point, the start, a scale bar and the north arrow.
void PaintMap(QPainter& p, const QRectF& box, const PreflightPage& page) {
    p.save();
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(box);
    std::vector<PreflightPos> all = page.route;
    all.push_back(page.takeoff);
    double latMin = all[0].lat, latMax = latMin, lonMin = all[0].lon, lonMax = lonMin;
    for (const PreflightPos& g : all) {
        latMin = std::min(latMin, g.lat);
        latMax = std::max(latMax, g.lat);
        lonMin = std::min(lonMin, g.lon);
        lonMax = std::max(lonMax, g.lon);
    }
    constexpr double kMetresPerDegree = 111195.0; // on a sphere of the mean earth radius
    const double lat0 = (latMin + latMax) / 2, lon0 = (lonMin + lonMax) / 2;
    const double cosLat = std::cos(lat0 * M_PI / 180.0);
    auto local = [&](const PreflightPos& g) {
        return QPointF((g.lon - lon0) * kMetresPerDegree * cosLat,
                       (g.lat - lat0) * kMetresPerDegree);
    };
    const double spanE = std::max(1.0, (lonMax - lonMin) * kMetresPerDegree * cosLat);
    const double spanN = std::max(1.0, (latMax - latMin) * kMetresPerDegree);
    const QRectF inner = box.adjusted(box.width() * 0.08, box.height() * 0.08, -box.width() * 0.08,
                                      -box.height() * 0.12);
    const double scale = std::min(inner.width() / spanE, inner.height() / spanN);
    auto toBox = [&](const PreflightPos& g) {
        const QPointF m = local(g);
        return QPointF(inner.center().x() + m.x() * scale, inner.center().y() - m.y() * scale);
    };
    const double unit = box.width() / 100.0;
    if (!page.route.empty()) {
        QPainterPath path(toBox(page.route.front()));
        for (std::size_t i = 1; i < page.route.size(); ++i)
            path.lineTo(toBox(page.route[i]));
        p.setPen(QPen(QColor(0, 90, 200), unit * 0.5));
        p.drawPath(path);
        p.setPen(QPen(QColor(0, 140, 0), unit * 0.4));
        p.setBrush(QColor(0, 170, 0));
        p.drawEllipse(toBox(page.route.front()), unit * 1.4, unit * 1.4);
        p.setBrush(QColor(200, 0, 0));
        p.setPen(QPen(QColor(150, 0, 0), unit * 0.4));
        p.drawEllipse(toBox(page.route.back()), unit * 1.1, unit * 1.1);
    }
    // The take-off point as a square "H", as pilots mark the landing pad.
    const QPointF h = toBox(page.takeoff);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, unit * 0.4));
    p.drawRect(QRectF(h.x() - unit * 2, h.y() - unit * 2, unit * 4, unit * 4));
    QFont f = p.font();
    f.setPixelSize(std::max(1, static_cast<int>(unit * 3)));
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(h.x() - unit * 2, h.y() - unit * 2, unit * 4, unit * 4), Qt::AlignCenter,
               QStringLiteral("H"));
    // North arrow.
    const QPointF n(box.right() - unit * 5, box.top() + unit * 9);
    p.drawLine(n, n + QPointF(0, -unit * 6));
    p.drawLine(n + QPointF(0, -unit * 6), n + QPointF(-unit * 1.5, -unit * 3.5));
    p.drawLine(n + QPointF(0, -unit * 6), n + QPointF(unit * 1.5, -unit * 3.5));
    p.drawText(QRectF(n.x() - unit * 3, n.y(), unit * 6, unit * 4), Qt::AlignCenter,
               QStringLiteral("N"));
    // Scale bar: a round length near a fifth of the map's width.
    const double want = inner.width() / scale / 5;
    const double mag = std::pow(10.0, std::floor(std::log10(want)));
    double len = mag;
    for (double m : {2.0, 5.0, 10.0})
        if (mag * m <= want)
            len = mag * m;
    const QPointF s0(box.left() + unit * 4, box.bottom() - unit * 4);
    p.drawLine(s0, s0 + QPointF(len * scale, 0));
    p.drawLine(s0, s0 + QPointF(0, -unit));
    p.drawLine(s0 + QPointF(len * scale, 0), s0 + QPointF(len * scale, -unit));
    f.setBold(false);
    f.setPixelSize(std::max(1, static_cast<int>(unit * 2.6)));
    p.setFont(f);
    p.drawText(QRectF(s0.x() + len * scale + unit, s0.y() - unit * 3, unit * 30, unit * 4),
               Qt::AlignLeft | Qt::AlignVCenter, Q(Format("%.0f m", {len})));
    p.restore();
}

} // namespace

void PaintPreflightPage(QPainter& p, const QRectF& area, const PreflightPage& page) {
    p.save();
    p.fillRect(area, Qt::white);
    const double unit = area.width() / 100.0; // one hundredth of the page width
    QFont f = p.font();
    f.setFamily(QStringLiteral("Sans Serif"));
    // No ligatures: a reader searching the PDF for "Flugzeit" must find it.
    f.setStyleStrategy(QFont::PreferNoShaping);
    f.setPixelSize(std::max(1, static_cast<int>(unit * 3.2)));
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    double y = area.top();
    const double left = area.left();
    const double line = unit * 3.0;
    p.drawText(QRectF(left, y, area.width(), unit * 5), Qt::AlignLeft | Qt::AlignVCenter,
               Q(page.title));
    y += unit * 7;

    f.setPixelSize(std::max(1, static_cast<int>(unit * 2.1)));
    f.setBold(false);
    p.setFont(f);
    const double labelWidth = unit * 36;
    for (const auto& [label, value] : page.rows) {
        p.drawText(QRectF(left, y, labelWidth, line), Qt::AlignLeft | Qt::AlignVCenter, Q(label));
        p.drawText(QRectF(left + labelWidth, y, area.width() - labelWidth, line),
                   Qt::AlignLeft | Qt::AlignVCenter, Q(value));
        y += line;
    }
    y += unit;
    if (!page.warnings.empty()) {
        p.save();
        p.setPen(QColor(190, 0, 0));
        QFont b = f;
        b.setBold(true);
        p.setFont(b);
        for (const std::string& w : page.warnings) {
            const QString text = QStringLiteral("Achtung: ") + Q(w);
            const QRectF r(left, y, area.width(), area.height());
            const QRectF used = p.boundingRect(r, Qt::AlignLeft | Qt::TextWordWrap, text);
            p.drawText(r, Qt::AlignLeft | Qt::TextWordWrap, text);
            y += std::max(line, used.height() + unit * 0.6);
        }
        p.restore();
        y += unit;
    }
    QFont b = f;
    b.setBold(true);
    p.setFont(b);
    p.drawText(QRectF(left, y, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Von Hand in der App einstellen:"));
    p.setFont(f);
    y += line;
    for (const std::string& s : page.settings) {
        // A box to tick on the field, and the setting beside it.
        p.drawRect(QRectF(left + unit, y + line * 0.2, line * 0.6, line * 0.6));
        const QRectF r(left + unit * 4, y, area.width() - unit * 4, area.height());
        const QRectF used = p.boundingRect(r, Qt::AlignLeft | Qt::TextWordWrap, Q(s));
        p.drawText(r, Qt::AlignLeft | Qt::TextWordWrap, Q(s));
        y += std::max(line, used.height() + unit * 0.6);
    }
    y += unit * 2;
    const double mapSide = std::min(area.width() * 0.7, area.bottom() - y);
    if (mapSide > unit * 20)
        PaintMap(p, QRectF(left, y, mapSide, mapSide), page);
    p.restore();
}

QByteArray PreflightPdf(const std::vector<PreflightPage>& pages) {
    const QTemporaryDir dir;
    if (!dir.isValid())
        throw Error(ErrorKind::File, "E/A-Fehler 5\nKein Ordner für die Druckdatei des "
                                     "Vorflugblatts.");
    const QString file = dir.filePath(QStringLiteral("vorflugblatt.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        printer.setDocName(QStringLiteral("Vorflugblatt"));
        printer.setCreator(QStringLiteral("Korvale"));
        QPainter painter;
        if (!painter.begin(&printer))
            throw Error(ErrorKind::File, "E/A-Fehler 5\nDer Drucker kann das Vorflugblatt nicht "
                                         "anlegen.");
        const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
        const QRectF page(0, 0, area.width(), area.height());
        for (std::size_t k = 0; k < pages.size(); ++k) {
            if (k > 0)
                printer.newPage();
            PaintPreflightPage(painter, page, pages[k]);
        }
        painter.end();
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(ErrorKind::File, "E/A-Fehler 5\nDie Druckdatei des Vorflugblatts fehlt.");
    return in.readAll();
}

} // namespace korvale
