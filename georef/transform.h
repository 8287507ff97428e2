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
// Northing X / easting Y to map position; NaN for both while no transformation exists.
ImagePos Trafback(const State& s, double X, double Y);

// Gives every point with E == 0 its E, N, B, L, c from the transformation.
void Trafall(State& s);

} // namespace korvale
