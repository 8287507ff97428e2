// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "coverage_overlay.h"

#include <cmath>

#include <QFontMetrics>

#include "georef/transform.h"
#include "imageviewer.h"
#include "model/format.h"

namespace korvale {

QColor CoverageColour(int cls) {
    // A diverging red-yellow-green ramp, readable for most colour-blind eyes by its lightness.
    static const QColor colours[CoverageClasses] = {QColor(215, 25, 28), QColor(253, 174, 97),
                                                    QColor(255, 255, 140), QColor(166, 217, 106),
                                                    QColor(26, 150, 65)};
    if (cls < 0 || cls >= CoverageClasses)
        return QColor(0, 0, 0, 0);
    QColor c = colours[cls];
    c.setAlpha(150);
    return c;
}

CoverageView MakeCoverageView(const State& s, const Coverage& c) {
    CoverageView v;
    const CoverageGrid& g = c.grid;
    if (g.cols <= 0 || g.rows <= 0)
        return v;
    const double top = g.N0 + g.rows * g.cellM;
    const ImagePos p00 = Trafback(s, top, g.E0);
    const ImagePos p10 = Trafback(s, top, g.E0 + g.cols * g.cellM);
    const ImagePos p01 = Trafback(s, g.N0, g.E0);
    if (!std::isfinite(p00.xb + p00.yb + p10.xb + p10.yb + p01.xb + p01.yb))
        return v; // no transformation: no place on the map copy
    QImage img(g.cols, g.rows, QImage::Format_ARGB32);
    QRgb table[CoverageClasses + 1];
    table[0] = qRgba(0, 0, 0, 0);
    for (int k = 0; k < CoverageClasses; ++k)
        table[k + 1] = CoverageColour(k).rgba();
    for (int r = 0; r < g.rows; ++r) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(g.rows - 1 - r));
        for (int col = 0; col < g.cols; ++col)
            line[col] = table[CoverageClassOf(g.At(col, r)) + 1];
    }
    v.image = std::move(img);
    v.cellsToMap =
        QTransform((p10.xb - p00.xb) / g.cols, (p10.yb - p00.yb) / g.cols,
                   (p01.xb - p00.xb) / g.rows, (p01.yb - p00.yb) / g.rows, p00.xb, p00.yb);
    v.stats = c.stats;
    v.cellM = g.cellM;
    return v;
}

void PaintCoverage(QPainter& p, const CoverageView& v, QPointF origin,
                   const MapViewTransform& view) {
    if (!v.valid())
        return;
    const QTransform toView(view.zoom, 0, 0, view.zoom, -origin.x() * view.zoom - view.scroll.x(),
                            -origin.y() * view.zoom - view.scroll.y());
    p.save();
    // Cells stay sharp squares: their edges are where the count changes.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.setTransform(v.cellsToMap * toView);
    p.drawImage(QPointF(0, 0), v.image);
    p.restore();
}

void PaintCoverageLegend(QPainter& p, const CoverageView& v) {
    if (!v.valid())
        return;
    p.save();
    p.resetTransform();
    QFont f = p.font();
    f.setPointSizeF(9);
    p.setFont(f);
    const QFontMetrics fm(f);
    const int sw = 18, lh = std::max(fm.height(), sw) + 3, pad = 6;
    const QString title = QStringLiteral("Bilder je Zelle");
    int w = fm.horizontalAdvance(title);
    for (const char* label : CoverageClassLabels)
        w = std::max(w, sw + 6 + fm.horizontalAdvance(QString::fromUtf8(label)));
    const QString minText = QString::fromStdString(
        Format("Minimum %d, ≥9: %.1f %%", {v.stats.minCount, v.stats.atLeast9Pct}));
    w = std::max(w, fm.horizontalAdvance(minText));
    const QRect box(8, 8, w + 2 * pad, lh * (CoverageClasses + 2) + pad);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(QColor(255, 255, 255, 225));
    p.drawRect(box);
    p.setPen(Qt::black);
    int y = box.top() + pad;
    p.drawText(QRect(box.left() + pad, y, w, lh), Qt::AlignVCenter | Qt::AlignLeft, title);
    y += lh;
    for (int k = 0; k < CoverageClasses; ++k, y += lh) {
        QColor c = CoverageColour(k);
        c.setAlpha(255);
        p.setPen(QColor(60, 60, 60));
        p.setBrush(c);
        p.drawRect(box.left() + pad, y + 2, sw, lh - 5);
        p.setPen(Qt::black);
        p.drawText(QRect(box.left() + pad + sw + 6, y, w, lh), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromUtf8(CoverageClassLabels[k]));
    }
    p.drawText(QRect(box.left() + pad, y, w, lh), Qt::AlignVCenter | Qt::AlignLeft, minText);
    p.restore();
}

} // namespace korvale
