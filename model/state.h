// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The shared state of the main window: every list and value the operations read and write.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "types.h"

namespace korvale {

inline constexpr double Rho = 57.29577951308232;           // degrees per radian
inline constexpr double EllipsoidA = 6378137.0;            // GRS80 semi-major axis, m
inline constexpr double EllipsoidF = 0.003352810681182319; // GRS80 flattening, 1/298.257222101

struct State {
    std::vector<TPt> Points;

    // UTM zone of every ground coordinate of the project (its number is the easting's prefix)
    // and the hemisphere the project lies in. Northings always count from the equator,
    // negative in the south; UtmSouth only tells writers of standard UTM (false northing
    // 10 000 000 m) which one to use. Chosen by the first control point (model/geodesy.h).
    int UtmZone = 32;
    bool UtmSouth = false;
    // The elevation model the missions follow (a file path, UTF-8), "" for none; saved with the
    // project in its extension block.
    std::string DemFile;

    // Measuring and orbit tools: press and release positions; picked point of move/delete.
    TPt DownPt{};
    TPt UpPt{};
    int SelIdx = 0;

    // Similarity transformation map position <-> UTM (see georef/transform.h).
    double TrafO = 0;
    double TrafA = 0;
    double TrafM = 1;
    double TrafYbs = 0;
    double TrafXbs = 0;
    double TrafYs = 0;
    double TrafXs = 0;

    // Bounding box of the border ring (widened by the grid computation).
    double BorderEMin = 0;
    double BorderEMax = 0;
    double BorderNMin = 0;
    double BorderNMax = 0;

    std::vector<int> BorderIdx;
    std::vector<TLine> BorderLines;
    std::vector<TLine> FreeLines;
    std::vector<Tpunkt> CutPoints;
    std::vector<TLine> FlightSegs;

    // Exclusion zones ("Sperrflächen"): areas the drone must not enter, each a ring of corners
    // (map position and ground coordinates, closed implicitly) like the border. Flight lines
    // and legs keep ZoneBufferM metres away from each (planning/zones.h). Saved with the
    // project in its extension block.
    std::vector<std::vector<TPt>> Zones;
    double ZoneBufferM = 5.0;

    std::string DxfFileName;

    std::vector<TlitchRec> LitchiRecs;
    // The flight line of every waypoint of LitchiRecs while it is the grid mission (a long
    // mission is cut only between lines); empty for any other mission.
    std::vector<int> LitchiLineOf;
    // Over an elevation model waypoints are added on the lines too: true at the end of each
    // line's own waypoints (where a part ending with that line ends). Empty: the first two.
    std::vector<bool> LitchiLineEnd;
    int ActRec = 0;

    std::optional<Torbit> Orbit;
};

} // namespace korvale
