// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A north-up map copy at 1 m per pixel near E 32 690 000, N 5 335 000 (zone 32), and the
// ground position of a map pixel computed here by hand, so tests need not trust Trafone.
#pragma once

#include <cmath>

#include "model/geodesy.h"
#include "model/state.h"

namespace korvale::testing {

inline constexpr double kCentreXb = 500;
inline constexpr double kCentreYb = 400;
inline constexpr double kCentreE = 32690000;
inline constexpr double kCentreN = 5335000;

inline State GeoreferencedState() {
    State s;
    s.TrafO = 1;
    s.TrafA = 0;
    s.TrafM = 1;
    s.TrafXbs = kCentreXb;
    s.TrafYbs = kCentreYb;
    s.TrafYs = kCentreE;
    s.TrafXs = kCentreN;
    return s;
}

inline double GroundE(double xb) {
    return kCentreE + (xb - kCentreXb);
}
inline double GroundN(double yb) {
    return kCentreN - (yb - kCentreYb);
}

// A point of the given kind at a map pixel, with its ground and geographic coordinates.
inline TPt PointAt(float xb, float yb, std::uint8_t typ) {
    TPt p;
    p.xb = xb;
    p.yb = yb;
    p.Typ = typ;
    p.E = GroundE(xb);
    p.N = GroundN(yb);
    const GeoResult g = UTMToGeo(EllipsoidA, EllipsoidF, p.N, p.E);
    p.B = g.B;
    p.L = g.L;
    p.c = g.c;
    return p;
}

// Ground distance in metres between a stored (single precision) latitude/longitude and E/N.
inline double MetresOff(float lat, float lon, double E, double N) {
    const UtmResult u = GeoToUTM(9, EllipsoidA, EllipsoidF, lat, lon);
    return std::hypot(u.Y - E, u.X - N);
}

} // namespace korvale::testing
