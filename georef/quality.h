// How well the control points fit: residuals in metres and map-copy pixels, RMS and sigma0,
// outliers found by their leave-one-out residual, and the residual arrows over the map copy.
#pragma once

#include <string>
#include <vector>

#include "model/overlay.h"
#include "model/state.h"

namespace korvale {

// An outlier's leave-one-out residual exceeds
//   limit = max(OutlierFactor * s0' * sqrt(1 + 1/m + d^2/Q), OutlierMinPixels)
// with s0', m, Q, the centroid of the fit without the point and d the point's distance from
// that centroid (pixels). s0' * sqrt(1 + 1/m + d^2/Q) is the standard deviation of a coordinate
// of the point's residual predicted from that fit (the point's own error plus the fit's error at
// its place); with factor 3 a correct point crosses the limit rarely (about 1 % with a
// well-known s0'). The minimum stops flags among points that all fit within a pixel, where s0'
// is tiny and clicking itself is not more exact than about a pixel.
inline constexpr double OutlierFactor = 3.0;
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
