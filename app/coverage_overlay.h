// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The coverage map over the map copy: one translucent pixel per cell in the colour of its
// class, laid onto the map copy by the transformation, and its legend in the corner.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QTransform>

#include "model/state.h"
#include "planning/coverage.h"

namespace korvale {

struct MapViewTransform;

struct CoverageView {
    QImage image;          // one pixel per cell, north up
    QTransform cellsToMap; // image pixels to window client positions (zoom 1)
    CoverageStats stats;
    double cellM = 1;
    bool valid() const { return !image.isNull(); }
};

// The colour of each class, red (0) to green (9 or more); translucent, so the map shows through.
QColor CoverageColour(int cls);

// The view of a coverage for the state's transformation; an invalid view without one.
CoverageView MakeCoverageView(const State& s, const Coverage& c);

// Paints the cells under the overlay, at the view's zoom and scroll (origin: window client
// position of the map copy's top-left corner).
void PaintCoverage(QPainter& p, const CoverageView& v, QPointF origin,
                   const MapViewTransform& view);

// The legend with its title in the top-left corner of the painted widget.
void PaintCoverageLegend(QPainter& p, const CoverageView& v);

} // namespace korvale
