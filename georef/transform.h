// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
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

struct EastNorth {
    double E;
    double N;
};

// Whether a point takes part in the fit: a control point (kind 1) not switched off.
bool UsedInFit(const TPt& p);

// One least-squares similarity fit: the values TrafPar stores, plus what the quality figures
// need. ok is false with fewer than two points or all of them at one map position (Q = 0);
// then O, A are 0 and M is 1.
struct SimilarityFit {
    double O = 0, A = 0, M = 1;
    double Ybs = 0, Xbs = 0, Ys = 0, Xs = 0; // centroids: map (yb, xb), ground (E, N)
    int n = 0;                               // points in the fit
    double Q = 0;                            // sum of squared map distances from the centroid
    bool ok = false;
};
// Fits the points UsedInFit, in index order, leaving out the point at index `leaveOut`
// (-1: none). TrafPar's arithmetic, so its fit is bit for bit this one.
SimilarityFit FitSimilarity(const std::vector<TPt>& points, int leaveOut = -1);
// Ground position of map position (xb, yb) by a fit.
EastNorth FitModel(const SimilarityFit& f, double xb, double yb);

// Fits TrafO, TrafA, TrafM and the four centroids to the control points of s.Points that are
// not switched off (TPt::Off); switched-off points are left out of the fit and of the protocol.
// With fewer than two such points, or all at one image position, throws Error and leaves the
// state unchanged.
TrafResult TrafPar(State& s);
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
