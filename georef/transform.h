// The similarity transformation between map positions (xb, yb) and UTM ground coordinates,
// fitted by least squares to the control points (kind 1).
#pragma once

#include <string>
#include <vector>

#include "model/state.h"

namespace korvale {

struct TrafResult {
    std::vector<std::string> protocol; // lines to append to the protocol page
    std::string status;                // the status line text
    bool ok = false;                   // mp < 2.0: the window confirms "Transformation ist OK!"
    double m0 = 0;                     // mean error of a coordinate, metres
    double mp = 0;                     // mean point error sqrt(2) * m0, metres
};

// Fits TrafO, TrafA, TrafM and the four centroids to the control points of s.Points.
// With fewer than two control points, or all at one image position, throws Error and leaves
// the state unchanged.
TrafResult TrafPar(State& s);

struct EastNorth {
    double E;
    double N;
};
// Map position to easting/northing by the current transformation.
EastNorth Trafone(const State& s, float xb, float yb);

struct ImagePos {
    double xb;
    double yb;
};
// Northing X / easting Y to map position, the exact inverse of Trafone; NaN for both while no
// transformation exists (TrafO and TrafA both 0).
ImagePos Trafback(const State& s, double X, double Y);

// Gives every point with E == 0 its E, N, B, L, c from the transformation. Without a
// transformation (TrafO and TrafA both 0) no point is changed.
void Trafall(State& s);

} // namespace korvale
