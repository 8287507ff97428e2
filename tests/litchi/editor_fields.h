// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The 46 values of a waypoint in file column order, to see exactly which fields changed.
#pragma once

#include <vector>

#include "model/types.h"

namespace korvale::testing {

enum Column {
    ColLat = 0,
    ColLon = 1,
    ColAlt = 2,
    ColHead = 3,
    ColCurve = 4,
    ColRotDir = 5,
    ColGimMode = 6,
    ColGimPitch = 7,
    ColActions = 8,
    ColAltMode = 38,
    ColSpeed = 39,
    ColPoiLat = 40,
    ColPoiLon = 41,
    ColPoiAlt = 42,
    ColPoiAltMode = 43,
    ColPictTime = 44,
    ColPictDist = 45
};

inline std::vector<double> Fields(const TlitchRec& r) {
    std::vector<double> v = {r.latitude,
                             r.longitude,
                             r.altitude,
                             r.heading,
                             r.curvesize,
                             r.rotationdir,
                             static_cast<double>(r.gimbalmode),
                             r.gimbalpitchangle};
    for (const TlitchAction& a : r.Actions) {
        v.push_back(a.actiontype);
        v.push_back(a.actionparam);
    }
    for (const double x :
         {static_cast<double>(r.altitudemode), static_cast<double>(r.speed),
          static_cast<double>(r.poi_latitude), static_cast<double>(r.poi_longitude),
          static_cast<double>(r.poi_altitude), static_cast<double>(r.poi_altitudemode),
          static_cast<double>(r.photo_timeinterval), static_cast<double>(r.photo_distinterval)}) {
        v.push_back(x);
    }
    return v;
}

// A waypoint whose every value is different from every other waypoint's and from the values
// the editing tests type.
inline TlitchRec Distinct(int k) {
    const float base = 1000.0f * static_cast<float>(k + 1);
    TlitchRec r;
    r.latitude = base + 0.25f;
    r.longitude = base + 1.25f;
    r.altitude = base + 2.25f;
    r.heading = base + 3.25f;
    r.curvesize = base + 4.25f;
    r.rotationdir = base + 5.25f;
    r.gimbalmode = static_cast<int>(base) + 6;
    r.gimbalpitchangle = base + 7.25f;
    for (int j = 0; j < 15; ++j) {
        r.Actions[static_cast<std::size_t>(j)] = {static_cast<int>(base) + 8 + 2 * j,
                                                  base + 9.25 + 2 * j};
    }
    r.altitudemode = static_cast<int>(base) + 38;
    r.speed = base + 39.25f;
    r.poi_latitude = base + 40.25f;
    r.poi_longitude = base + 41.25f;
    r.poi_altitude = base + 42.25f;
    r.poi_altitudemode = static_cast<int>(base) + 43;
    r.photo_timeinterval = static_cast<int>(base) + 44;
    r.photo_distinterval = base + 45.25f;
    return r;
}

} // namespace korvale::testing
