// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// How well the control points fit: residuals in metres and map-copy pixels, RMS and sigma0,
// outliers found by their leave-one-out residual, and the residual arrows over the map copy.
#pragma once

#include <string>
#include <vector>

#include "model/overlay.h"
#include "model/state.h"

namespace korvale {

// An outlier's leave-one-out residual w (pixels) exceeds
//   limit = max(OutlierFactor(2m - 4) * s0' * sqrt(1 + 1/m + d^2/Q), OutlierMinPixels)
// with s0', m, Q, the centroid of the fit without the point and d the point's distance from
// that centroid (pixels).
//
// The test and why: in the similarity fit the two coordinates of w are independent and equally
// precise, each with standard deviation sigma * sqrt(1 + 1/m + d^2/Q) (the point's own error
// plus the fit's error at its place), and s0'^2 / sigma^2 is chi-square with nu = 2m - 4
// degrees of freedom divided by nu, independent of w. So the externally studentized residual
// r = |w| / (s0' * sqrt(1 + 1/m + d^2/Q)) has r^2 / 2 ~ F(2, nu) for a correct point: the
// two-dimensional form of the studentized-residual t test (for one coordinate t^2 ~ F(1, nu)).
// Testing the length keeps the test blind to the direction a point was misplaced in, and the
// estimated s0' with its few degrees of freedom is what the t-like tails account for (a fixed
// factor of 3 flags one correct point in ten with four to six points). The upper quantile of
// F(2, nu) has a closed form, P(F > f) = (1 + 2f/nu)^(-nu/2), so the factor for the level a is
//   k(nu) = sqrt(2 f) = sqrt(nu * (a^(-2/nu) - 1)),
// 14.1 for nu = 2 (four points), 4.0 for nu = 20, tending to sqrt(-2 ln a) = 3.03.
// The minimum stops flags among points that all fit within a pixel, where s0' is tiny and
// clicking itself is not more exact than about a pixel; it only lowers the false-alarm rate.
inline constexpr double OutlierFalseAlarm = 0.01; // per correct point
double OutlierFactor(int dof);
inline constexpr double OutlierMinPixels = 2.0;

struct ControlResidual {
    int index = 0;         // position in Points (the protocol's number)
    bool used = true;      // takes part in the fit (not switched off)
    double vE = 0, vN = 0; // measured minus fitted ground position, metres (east, north)
    double dx = 0, dy = 0; // the same in map-copy pixels (x right, y down): arrow direction
    double metres = 0;     // length of (vE, vN)
    double pixels = 0;     // the same in pixels
    bool hasLoo = false;   // a fit without the point exists
    double looPixels = 0; // residual from the fit without the point (a switched-off point: the fit)
    bool hasLimit = false; // that fit has redundancy (at least 3 points), so a limit exists
    double limitPixels = 0;
    bool outlier = false; // looPixels > limitPixels
};

struct ControlQuality {
    bool fitted = false; // at least two used control points at different map positions
    int used = 0;        // n, the control points in the fit
    int off = 0;         // switched-off control points
    double metresPerPixel = 0;
    double rmsMetres = 0, rmsPixels = 0;       // sqrt(sum |v|^2 / n)
    bool hasSigma0 = false;                    // n >= 3
    double sigma0Metres = 0, sigma0Pixels = 0; // sqrt(sum |v|^2 / (2n - 4))
    int arrowFactor = 1;                       // residual arrows are drawn this many times longer
    std::vector<ControlResidual> points;       // every control point, in index order
};

// Fits the used control points (as TrafPar does) and works out the figures above. Does not
// touch the state; without a fit only index, used and the counts are filled.
ControlQuality ControlPointQuality(const State& s);

// The line above the residual table: counts, RMS and sigma0 with its formula, the outlier rule,
// the arrows' enlargement ("Pfeile 20-fach vergrößert").
std::string QualityCaption(const ControlQuality& q, const State& s);

// Column titles of the residual table and the texts of one row (after the check-box column).
std::vector<std::string> QualityColumnTitles();
std::vector<std::string> QualityCells(const ControlQuality& q, const ControlResidual& r);

// Status line after a control point was switched off (off) or on again in the residual table.
std::string SwitchedText(int index, bool off);

// Residual arrow colours: orange for a point within its limit, red for an outlier; grey marks
// a switched-off point (ring and cross).
inline constexpr Argb ColArrow = 0xFFFF8C00;
inline constexpr Argb ColOutlier = 0xFFFF0000;
inline constexpr Argb ColSwitchedOff = ColGrey;

// Draws each used control point's residual as an arrow from its map position, arrowFactor times
// longer (red for an outlier), and marks switched-off control points with a grey ring and cross
// (no arrow).
void ShowResiduals(const State& s, const ControlQuality& q, Overlay& o);

} // namespace korvale
