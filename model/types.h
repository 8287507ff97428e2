// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Plain record types shared by every module: points, index pairs, waypoints, the orbit.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace korvale {

// Point kinds (TPt::Typ).
enum PointKind : std::uint8_t {
    KindPlain = 0,
    KindControl = 1,
    KindBorder = 2,
    KindFreeLine = 3,
    KindPOI = 4,
};

// One point of the map. E == 0 exactly means "no ground coordinates yet".
struct TPt {
    double B = 0;         // latitude, degrees
    double L = 0;         // longitude, degrees
    double E = 0;         // easting with zone prefix, metres
    double N = 0;         // northing, metres
    double c = 0;         // meridian convergence, degrees
    float xb = 0;         // map position x, window client pixels
    float yb = 0;         // map position y, window client pixels
    std::uint8_t Typ = 0; // PointKind
    bool Off = false;     // a control point switched off: kept, but not used by the fit
};

// A ground position: [0] easting, [1] northing.
using Tpunkt = std::array<double, 2>;

// A segment given by two indices (into Points, or into CutPoints for FlightSegs).
using TLine = std::array<int, 2>;

// One action slot of a waypoint. An empty slot is -1 ("no action" in Litchi's numbering); 0 is
// "stay for (ms)" and would make every unused slot a zero-length wait.
struct TlitchAction {
    std::int32_t actiontype = -1;
    double actionparam = 0;
};

// One Litchi waypoint; field order is the CSV column order.
struct TlitchRec {
    float latitude = 0;
    float longitude = 0;
    float altitude = 0;
    float heading = 0;
    float curvesize = 0;
    float rotationdir = 0;
    std::int32_t gimbalmode = 0;
    float gimbalpitchangle = 0;
    std::array<TlitchAction, 15> Actions{};
    std::int32_t altitudemode = 0;
    float speed = 0;
    float poi_latitude = 0;
    float poi_longitude = 0;
    float poi_altitude = 0;
    std::int32_t poi_altitudemode = 0;
    std::int32_t photo_timeinterval = 0;
    float photo_distinterval = 0;
};

// The orbit around a point of interest: P[0] the centre (kind 4), P[1..n] the corners
// (kind 3); L the closed polygon's sides as index pairs into P. Its operations live in
// litchi/orbit.h.
struct Torbit {
    std::vector<TPt> P;
    std::vector<TLine> L;
};

} // namespace korvale
