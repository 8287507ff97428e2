// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// How often the ground is photographed: the footprint of every picture of a plan, and the
// number of footprints over each cell of a grid laid over the area, with the shares a pilot
// checks before take-off (seen at all, seen by enough pictures for a model).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "planning/plan.h"

namespace korvale {

// The four ground corners of one picture, in order around it (E, N as the plan holds them).
using Footprint = std::array<PlanPt, 4>;

// The camera as the plan was made for it: the footprint at the planned height.
struct FootprintCamera {
    double lengthM = 0; // along the flight (the picture's Y side, NumberBoxLG)
    double widthM = 0;  // across the flight (X side, NumberBoxBG)
    double heightM = 0; // the height above ground the two sizes belong to (NumberBoxH)
    double Ri = 0;      // grid direction, degrees from east: for a line of length 0
};

// The footprint of every picture of the plan, in the plan's picture order: centred on the
// picture, its long side across the direction of the picture's flight line. `heightsM` (empty,
// or one per picture) gives the height above ground at each picture; the footprint grows in
// proportion to it. Throws Error (Refused) for sizes or heights that are not positive and
// finite, or a height list of the wrong length.
std::vector<Footprint> PictureFootprints(const FlightPlan& plan, const FootprintCamera& cam,
                                         const std::vector<double>& heightsM = {});

// Cell value of cells outside the area (and inside an excluded ring).
inline constexpr std::uint16_t CoverageNoData = 65535;
// Counts saturate here, one below the no-data value.
inline constexpr std::uint16_t CoverageMaxCount = 65534;

// The counting grid: cell (col, row) covers E0 + col * cellM .. E0 + (col + 1) * cellM and
// N0 + row * cellM .. N0 + (row + 1) * cellM, row 0 in the south. E0 and N0 are whole
// multiples of the cell size, so grids of one cell size line up from plan to plan.
struct CoverageGrid {
    double E0 = 0;
    double N0 = 0;
    double cellM = 1;
    int cols = 0;
    int rows = 0;
    std::vector<std::uint16_t> count; // rows * cols, row by row from the south
    std::uint16_t At(int col, int row) const {
        return count[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
                     static_cast<std::size_t>(col)];
    }
};

struct CoverageStats {
    std::size_t cellsInArea = 0;
    // Share of the area's cells seen by at least 1, 2, 5 and 9 pictures, percent.
    double atLeast1Pct = 0;
    double atLeast2Pct = 0;
    double atLeast5Pct = 0;
    double atLeast9Pct = 0;
    int minCount = 0; // the smallest count of a cell inside the area
};

struct Coverage {
    CoverageGrid grid;
    CoverageStats stats;
};

// The default cell size, metres.
inline constexpr double CoverageCellDefaultM = 1.0;

// Counts the footprints over the cells whose centre lies inside the area: inside the ring
// `outer` (closed implicitly, either orientation) and outside every ring of `excluded` (holes
// and zones). A cell counts a footprint when its centre lies inside or on it. Throws Error:
// Refused for a cell size that is not positive and finite or an area without a cell centre
// inside, Limit for a grid beyond the memory budget.
Coverage ComputeCoverage(const std::vector<PlanPt>& outer,
                         const std::vector<std::vector<PlanPt>>& excluded,
                         const std::vector<Footprint>& footprints,
                         double cellM = CoverageCellDefaultM);

// The cell size for a map of at most `maxCells` cells over the ring's box: `wantedM`, or the
// next larger of 1, 2, 5 times a power of ten where that would give more cells (the window
// keeps its map small enough to draw at once).
double CoverageCellFor(const std::vector<PlanPt>& ring, double wantedM, double maxCells);

// The classes of the map's colours, from red to green: 0, 1-2, 3-4, 5-8 and 9 or more pictures.
// Two pictures see a spot in stereo; five make a good surface model; nine and more also see
// steep sides. CoverageClassOf gives the class of a count (-1 for no-data).
inline constexpr int CoverageClasses = 5;
inline constexpr const char* CoverageClassLabels[CoverageClasses] = {"0", "1–2", "3–4", "5–8",
                                                                     "≥ 9"};
int CoverageClassOf(std::uint16_t count);

// One line for the status and the page: the shares and the smallest count, e.g.
// "Abdeckung (Zelle 1 m): ≥1 Bild 100.0 %, ≥2 99.8 %, ≥5 97.1 %, ≥9 80.4 %, Minimum 3".
std::string CoverageStatsText(const CoverageStats& s, double cellM);

} // namespace korvale
