// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Painting of the overlay display list: positions follow the map copy's zoom and scroll,
// marker and label sizes stay as they are on the screen. Lines and labels carry a dark halo
// so that they read on light fields as on dark forest; labels that would cover one another are
// moved to a free side of their point. Markers and labels are drawn once per look and then
// copied, so thousands of them paint in a few milliseconds, sharp at any device pixel ratio.
#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "imageviewer.h"

namespace korvale {

namespace {

const QColor kHalo(16, 16, 16, 190);
constexpr double kLineWidth = 2;   // logical pixels: at least two device pixels on any screen
constexpr double kHaloWidth = 4.5; // the line's width plus a dark border on either side
constexpr int kSpriteMargin = 2;   // room around a marker for its dark ring
constexpr std::size_t kMaxCachedLabels = 20000;

QColor ToColor(Argb c) {
    return QColor::fromRgba(c);
}

// A colour's lightness, to choose dark or light text on it.
bool IsLight(Argb c) {
    const auto r = static_cast<int>((c >> 16) & 0xFF), g = static_cast<int>((c >> 8) & 0xFF),
               b = static_cast<int>(c & 0xFF);
    return 299 * r + 587 * g + 114 * b > 150000;
}

double DeviceRatio(const QPainter& p) {
    return p.device() ? p.device()->devicePixelRatioF() : 1.0;
}

// Snaps a logical position to the device pixel grid, so copied images stay sharp.
QPointF Snap(QPointF p, double dpr) {
    return QPointF(std::round(p.x() * dpr) / dpr, std::round(p.y() * dpr) / dpr);
}

enum class MarkerShape : int { Round, Diamond };

// A marker (outline, disc, or outline with a disc over it, or an orbit corner's diamond)
// with its dark ring, drawn once per look and size.
const QImage& MarkerSprite(OverlayPaintCache& cache, bool outline, Argb stroke, bool disc,
                           Argb fill, int d, MarkerShape shape, double dpr) {
    if (!outline)
        stroke = 0;
    if (!disc)
        fill = 0;
    // The shape and the pixel ratio ride in the size key (a sprite's d is never above 64).
    const int key = d + 100 * static_cast<int>(shape) + 1000 * static_cast<int>(dpr * 4);
    for (const auto& e : cache.sprites)
        if (e.outline == outline && e.disc == disc && e.stroke == stroke && e.fill == fill &&
            e.d == key)
            return e.img;
    const int side = d + 2 * kSpriteMargin;
    QImage img(static_cast<int>(std::ceil(side * dpr)), static_cast<int>(std::ceil(side * dpr)),
               QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF box(kSpriteMargin, kSpriteMargin, d, d);
    if (shape == MarkerShape::Diamond) {
        const QPointF c = box.center();
        const double h = d / 2.0 + 1;
        const QPolygonF diamond(
            {c + QPointF(0, -h), c + QPointF(h, 0), c + QPointF(0, h), c + QPointF(-h, 0)});
        p.setPen(QPen(kHalo, 1.5));
        p.setBrush(ToColor(fill));
        p.drawPolygon(diamond);
    } else {
        p.setPen(QPen(kHalo, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(box.adjusted(-0.75, -0.75, 0.75, 0.75));
        if (outline) {
            p.setPen(QPen(ToColor(stroke), 1));
            p.drawEllipse(box);
        }
        if (disc) {
            p.setPen(Qt::NoPen);
            p.setBrush(ToColor(fill));
            p.drawEllipse(box);
        }
    }
    p.end();
    cache.sprites.push_back({outline, disc, stroke, fill, key, img});
    return cache.sprites.back().img;
}

// A label's text with its halo (plain), or on a small tag of its colour (orbit corners).
const QImage& LabelSprite(OverlayPaintCache& cache, const std::string& text, Argb colour, bool tag,
                          const QFont& font, double dpr) {
    if (font != cache.labelFont || cache.labels.size() > kMaxCachedLabels) {
        cache.labels.clear();
        cache.labelFont = font;
    }
    // Looked up for every label of every paint: a short key of raw bytes, no text formatting.
    std::string key = text;
    key.push_back('\0');
    key.append(reinterpret_cast<const char*>(&colour), sizeof colour);
    key.push_back(static_cast<char>((tag ? 1 : 0) + 2 * static_cast<int>(dpr * 4)));
    if (const auto it = cache.labels.find(key); it != cache.labels.end())
        return it->second;
    const QString str = QString::fromStdString(text);
    const QFontMetricsF fm(font);
    const double pad = tag ? 3 : 2;
    const QSizeF size(fm.horizontalAdvance(str) + 2 * pad, fm.height() + (tag ? 2 : 1));
    QImage img(static_cast<int>(std::ceil(size.width() * dpr)),
               static_cast<int>(std::ceil(size.height() * dpr)),
               QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QPointF baseline(pad, (size.height() - fm.height()) / 2 + fm.ascent());
    if (tag) {
        p.setPen(QPen(kHalo, 1));
        p.setBrush(ToColor(colour));
        p.drawRoundedRect(QRectF(QPointF(0.5, 0.5), size - QSizeF(1, 1)), 3, 3);
        p.setPen(IsLight(colour) ? QColor(0, 0, 0) : QColor(255, 255, 255));
        p.setFont(font);
        p.drawText(baseline, str);
    } else {
        // The halo: the text in dark, shifted one pixel to every side, under the text itself
        // (far quicker than stroking the glyph outlines, which matters for thousands of
        // point numbers).
        p.setFont(font);
        p.setPen(kHalo);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dx != 0 || dy != 0)
                    p.drawText(baseline + QPointF(dx, dy), str);
        p.setPen(ToColor(colour));
        p.drawText(baseline, str);
    }
    p.end();
    return cache.labels.emplace(std::move(key), img).first->second;
}

// Labels placed so far in this paint, in a coarse grid of cells for quick overlap tests.
class LabelPlacer {
  public:
    bool Free(const QRectF& r) const {
        bool free = true;
        ForCells(r, [&](long long key) {
            const auto it = grid_.find(key);
            if (it == grid_.end())
                return;
            for (int i : it->second)
                if (rects_[static_cast<std::size_t>(i)].intersects(r))
                    free = false;
        });
        return free;
    }
    const QRectF* Again(const std::string& key) const {
        const auto it = seen_.find(key);
        return it == seen_.end() ? nullptr : &it->second;
    }
    void Remember(std::string key, const QRectF& r) { seen_.emplace(std::move(key), r); }
    void Take(const QRectF& r) {
        const int index = static_cast<int>(rects_.size());
        rects_.push_back(r);
        ForCells(r, [&](long long key) { grid_[key].push_back(index); });
    }

  private:
    static constexpr double kCell = 48;
    template <class F> static void ForCells(const QRectF& r, F f) {
        const auto c0 = static_cast<long long>(std::floor(r.left() / kCell));
        const auto c1 = static_cast<long long>(std::floor(r.right() / kCell));
        const auto r0 = static_cast<long long>(std::floor(r.top() / kCell));
        const auto r1 = static_cast<long long>(std::floor(r.bottom() / kCell));
        for (long long y = r0; y <= r1 && y - r0 < 64; ++y)
            for (long long x = c0; x <= c1 && x - c0 < 64; ++x)
                f((y << 32) ^ (x & 0xFFFFFFFF));
    }
    std::vector<QRectF> rects_;
    std::unordered_map<long long, std::vector<int>> grid_;
    std::unordered_map<std::string, QRectF> seen_;
};

// A label of size `s` at a free place: first the usual place (ending 20 + r right of its
// point, centred on its height), then the free sides of the point in a fixed order; if every
// side is taken, the usual place.
QRectF PlaceNew(LabelPlacer& placer, QPointF point, double r, double usualRight, QSizeF s) {
    const double w = s.width(), h = s.height();
    const QRectF usual(point.x() + usualRight - w, point.y() - h / 2, w, h);
    const QRectF candidates[] = {
        usual,
        QRectF(point.x() + r, point.y() - r - h, w, h),         // above right
        QRectF(point.x() + r, point.y() + r, w, h),             // below right
        QRectF(point.x() - r - 2 - w, point.y() - h / 2, w, h), // left
        QRectF(point.x() - r - w, point.y() - r - h, w, h),     // above left
        QRectF(point.x() - r - w, point.y() + r, w, h),         // below left
        QRectF(point.x() - w / 2, point.y() - r - 1 - h, w, h), // above
        QRectF(point.x() - w / 2, point.y() + r + 1, w, h),     // below
    };
    for (const QRectF& c : candidates)
        if (placer.Free(c)) {
            placer.Take(c);
            return c;
        }
    placer.Take(usual);
    return usual;
}

// The same label of the same point drawn again (the markers are drawn anew by several steps of
// one redraw) goes where it went the first time, exactly over itself.
QRectF PlaceLabel(LabelPlacer& placer, const Primitive& label, QPointF point, double r,
                  double usualRight, QSizeF s) {
    std::string key = label.text;
    const double xy[2] = {point.x(), point.y()};
    key.append(reinterpret_cast<const char*>(xy), sizeof xy);
    key.append(reinterpret_cast<const char*>(&label.fill), sizeof label.fill);
    if (const QRectF* again = placer.Again(key))
        return *again;
    const QRectF placed = PlaceNew(placer, point, r, usualRight, s);
    placer.Remember(std::move(key), placed);
    return placed;
}

bool SameBox(const Primitive& a, const Primitive& b) {
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

// Whether a circle or disc box can be painted from a sprite: a small circle, not an ellipse.
bool SpriteBox(const Primitive& p) {
    const double w = p.x2 - p.x1;
    return w == p.y2 - p.y1 && w >= 0 && w <= 64 && w == std::round(w);
}

// Runs shorter than this are painted mark by mark whatever their spacing: the few markers of
// border, control and orbit points keep their look.
constexpr std::size_t kDenseRunMarks = 512;

bool IsMarkerPair(const std::vector<Primitive>& items, std::size_t i) {
    return i + 1 < items.size() && items[i].kind == Primitive::Kind::Circle &&
           items[i + 1].kind == Primitive::Kind::Disc && SameBox(items[i + 1], items[i]);
}

// The same colours and, but for the rounding of the box around its centre, the same size.
bool SameLook(const Primitive& a, const Primitive& b) {
    return a.stroke == b.stroke && a.fill == b.fill &&
           std::fabs((a.x2 - a.x1) - (b.x2 - b.x1)) < 1e-6 &&
           std::fabs((a.y2 - a.y1) - (b.y2 - b.y1)) < 1e-6;
}

// Marks closer than a screen pixel (the pictures of a large plan at a low zoom) as what a pixel
// can show: every pixel that holds marks gets their disc colour, the more opaque the more marks
// it holds. The counts of all such runs gather in one layer over the painted area, which is
// painted once, before the next item that is neither a line nor such a run: the lines between
// the runs lie under the marks, as the marks lay over them.
class DensityLayer {
  public:
    explicit DensityLayer(const QRect& area) : area_(area) {}

    // Counts the outline-and-disc pairs from `i` on with the look of the first; returns one
    // past the run. `dense` tells whether most gaps between consecutive marks are below a
    // pixel; a run that is not dense (or short) leaves the layer as it was.
    template <class At>
    std::size_t Run(const std::vector<Primitive>& items, std::size_t i, const At& at, bool& dense) {
        dense = false;
        if (!IsMarkerPair(items, i))
            return i;
        const Primitive& first = items[i];
        const Primitive& firstDisc = items[i + 1];
        std::size_t j = i, marks = 0, close = 0;
        QPointF last;
        // The disc shares the outline's box, so its colour is all that is left to compare.
        while (IsMarkerPair(items, j) && SameLook(items[j], first) &&
               items[j + 1].fill == firstDisc.fill) {
            const Primitive& p = items[j];
            const QPointF c = at((p.x1 + p.x2) / 2, (p.y1 + p.y2) / 2);
            if (marks > 0) {
                const QPointF d = c - last;
                close += d.x() * d.x() + d.y() * d.y() < 1.0 ? 1 : 0;
            }
            last = c;
            Count(c, +1);
            ++marks;
            j += 2;
        }
        dense = marks >= kDenseRunMarks && 2 * close > marks - 1;
        if (dense) {
            fill_ = firstDisc.fill;
            pending_ = true;
        } else {
            for (std::size_t k = i; k < j; k += 2) {
                const Primitive& p = items[k];
                Count(at((p.x1 + p.x2) / 2, (p.y1 + p.y2) / 2), -1);
            }
        }
        return j;
    }
    bool Pending() const { return pending_; }

    // Paints the counted marks and empties the layer.
    void Flush(QPainter& painter) {
        if (!pending_)
            return;
        pending_ = false;
        const auto r = static_cast<int>((fill_ >> 16) & 0xFF),
                   g = static_cast<int>((fill_ >> 8) & 0xFF), b = static_cast<int>(fill_ & 0xFF);
        // One mark shows half opaque, four or more fully: a thin strip and a dense field differ.
        QRgb shades[5];
        shades[0] = 0;
        for (int n = 1; n <= 4; ++n)
            shades[n] = qPremultiply(qRgba(r, g, b, std::min(255, 64 + 48 * n)));
        const int w = area_.width(), h = area_.height();
        QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            std::uint16_t* row = counts_.data() + static_cast<std::size_t>(y) * w;
            for (int x = 0; x < w; ++x) {
                line[x] = shades[std::min<int>(row[x], 4)];
                row[x] = 0;
            }
        }
        painter.drawImage(area_.topLeft(), img);
    }

  private:
    void Count(QPointF c, int step) {
        const double fx = std::floor(c.x()) - area_.left(), fy = std::floor(c.y()) - area_.top();
        if (!(fx >= 0 && fy >= 0 && fx < area_.width() && fy < area_.height()))
            return;
        if (counts_.empty())
            counts_.assign(static_cast<std::size_t>(area_.width()) *
                               static_cast<std::size_t>(area_.height()),
                           0);
        std::uint16_t& n =
            counts_[static_cast<std::size_t>(fy) * area_.width() + static_cast<std::size_t>(fx)];
        // Beyond four marks a pixel looks the same; the cap keeps the undo of a run exact.
        if (step > 0 ? n < 0xFFFF : n > 0)
            n = static_cast<std::uint16_t>(n + step);
    }

    QRect area_;
    std::vector<std::uint16_t> counts_;
    Argb fill_ = 0;
    bool pending_ = false;
};

} // namespace

void OverlayViewer::PaintOverlay(QPainter& painter, const Overlay& overlay, QPointF origin,
                                 OverlayPaintCache& cache, const MapViewTransform& view) {
    painter.save();
    const double dpr = DeviceRatio(painter);
    const auto at = [&](double x, double y) { return view.ToView(QPointF(x, y) - origin); };
    const auto& items = overlay.Items();
    LabelPlacer placer;
    QVector<QLineF> lines;
    // Markers whose sprite lies wholly outside the painted area are not drawn.
    QRectF visible = QRectF(painter.window()).adjusted(-72, -72, 72, 72);
    if (painter.hasClipping())
        visible = visible.intersected(painter.clipBoundingRect().adjusted(-72, -72, 72, 72));
    std::size_t runEnd = 0; // items before this were looked at as part of a run already
    // The painted area in whole pixels, at most 8192 on a side.
    QRect area = QRectF(painter.window()).toAlignedRect();
    if (painter.hasClipping())
        area = area.intersected(painter.clipBoundingRect().toAlignedRect());
    area.setSize(area.size().boundedTo(QSize(8192, 8192)));
    DensityLayer density(area);

    for (std::size_t i = 0; i < items.size(); ++i) {
        const Primitive& p = items[i];
        bool denseRun = false;
        if (p.kind == Primitive::Kind::Circle && i >= runEnd) {
            runEnd = std::max(density.Run(items, i, at, denseRun), i + 1);
            if (denseRun) {
                i = runEnd - 1;
                continue;
            }
        }
        if (p.kind != Primitive::Kind::Line)
            density.Flush(painter);
        switch (p.kind) {
        case Primitive::Kind::Line: {
            // A run of lines gets its halo first, so that one line's halo never covers the
            // colour of its neighbour at a shared corner.
            std::size_t j = i;
            lines.clear();
            while (j < items.size() && items[j].kind == Primitive::Kind::Line) {
                lines.push_back(QLineF(at(items[j].x1, items[j].y1), at(items[j].x2, items[j].y2)));
                ++j;
            }
            if (density.Pending()) {
                // Between marks closer than a pixel the lines lie as close: a halo would only
                // darken the field the marks cover, so they are drawn one pixel wide.
                painter.setRenderHint(QPainter::Antialiasing, false);
                for (std::size_t k = i; k < j; ++k) {
                    painter.setPen(QPen(ToColor(items[k].stroke), 0));
                    painter.drawLine(lines[static_cast<qsizetype>(k - i)]);
                }
                i = j - 1;
                break;
            }
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(QPen(kHalo, kHaloWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawLines(lines);
            for (std::size_t k = i; k < j;) {
                std::size_t e = k;
                while (e < j && items[e].stroke == items[k].stroke)
                    ++e;
                painter.setPen(QPen(ToColor(items[k].stroke), kLineWidth, Qt::SolidLine,
                                    Qt::RoundCap, Qt::RoundJoin));
                painter.drawLines(lines.constData() + (k - i), static_cast<int>(e - k));
                k = e;
            }
            i = j - 1;
            break;
        }
        case Primitive::Kind::Circle:
        case Primitive::Kind::Disc: {
            // An outline followed by a disc in the same box is one marker.
            const bool pair = p.kind == Primitive::Kind::Circle && i + 1 < items.size() &&
                              items[i + 1].kind == Primitive::Kind::Disc &&
                              SameBox(items[i + 1], p);
            const bool outline = p.kind == Primitive::Kind::Circle;
            const bool disc = pair || p.kind == Primitive::Kind::Disc;
            const Argb fill = pair ? items[i + 1].fill : p.fill;
            if (pair)
                ++i;
            // A lone disc with its number is a corner (or the centre) of an orbit: a diamond
            // with its number on a tag, so that it is not read as a numbered point.
            const double r = (p.x2 - p.x1) / 2;
            const QPointF c = at((p.x1 + p.x2) / 2, (p.y1 + p.y2) / 2);
            const bool orbit = p.kind == Primitive::Kind::Disc && i + 1 < items.size() &&
                               items[i + 1].kind == Primitive::Kind::Label &&
                               items[i + 1].x1 == (p.x1 + p.x2) / 2 &&
                               (items[i + 1].y1 + items[i + 1].y2) / 2 == (p.y1 + p.y2) / 2;
            if (SpriteBox(p)) {
                const int d = static_cast<int>(p.x2 - p.x1);
                if (!visible.contains(c) && !orbit)
                    break;
                const QImage& img =
                    MarkerSprite(cache, outline, p.stroke, disc, fill, d,
                                 orbit ? MarkerShape::Diamond : MarkerShape::Round, dpr);
                painter.drawImage(
                    Snap(c - QPointF(d / 2.0 + kSpriteMargin, d / 2.0 + kSpriteMargin), dpr), img);
            } else {
                // Large or odd circles: drawn directly, at their size on the screen.
                const QRectF box(c - QPointF(r, (p.y2 - p.y1) / 2), QSizeF(2 * r, p.y2 - p.y1));
                painter.setRenderHint(QPainter::Antialiasing, true);
                painter.setPen(QPen(kHalo, 1.5));
                painter.setBrush(Qt::NoBrush);
                painter.drawEllipse(box.adjusted(-0.75, -0.75, 0.75, 0.75));
                if (outline) {
                    painter.setPen(QPen(ToColor(p.stroke), 1));
                    painter.drawEllipse(box);
                }
                if (disc) {
                    painter.setPen(Qt::NoPen);
                    painter.setBrush(ToColor(fill));
                    painter.drawEllipse(box);
                }
            }
            if (orbit) {
                const Primitive& l = items[++i];
                const QImage& img = LabelSprite(cache, l.text, l.fill, true, painter.font(), dpr);
                const QSizeF s = img.deviceIndependentSize();
                const double lr = (l.y2 - l.y1) / 2;
                painter.drawImage(Snap(PlaceLabel(placer, l, c, lr, l.x2 - l.x1, s).topLeft(), dpr),
                                  img);
            }
            break;
        }
        case Primitive::Kind::Label: {
            // Right-aligned in its box, centred on the box's height, never wrapped or clipped;
            // the box keeps its size on the screen and its left middle follows the map.
            const QImage& img = LabelSprite(cache, p.text, p.fill, false, painter.font(), dpr);
            const QSizeF s = img.deviceIndependentSize();
            const QPointF point = at(p.x1, (p.y1 + p.y2) / 2);
            const double r = (p.y2 - p.y1) / 2;
            painter.drawImage(Snap(PlaceLabel(placer, p, point, r, p.x2 - p.x1, s).topLeft(), dpr),
                              img);
            break;
        }
        }
    }
    density.Flush(painter);
    painter.restore();
}

} // namespace korvale
