// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The coverage map: every counted cell agrees with a plain point-in-polygon count over the
// footprints, holes are no-data, a regular grid gives the textbook number of pictures per
// spot, the footprints lie where the camera looks, and bad input is refused.
#include "planning/coverage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "planning/params.h"
#include "tests/planning/rings.h"
#include "tests/support/expect_error.h"

using namespace korvale;
using namespace korvale::testrings;

namespace {

// Even-odd crossing test; the centre of a cell never lies on an edge of the test rings.
bool InRing(const Ring& r, double E, double N) {
    bool in = false;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const PlanPt& a = r[i];
        const PlanPt& b = r[(i + 1) % r.size()];
        if ((a.N > N) != (b.N > N) && E < a.E + (N - a.N) / (b.N - a.N) * (b.E - a.E))
            in = !in;
    }
    return in;
}

// Signed distances to the four edges of a convex quadrilateral, by cross products: inside when
// all have one sign. Returns the smallest distance to an edge, negative outside.
double InsideQuad(const Footprint& f, double E, double N) {
    double orient = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const PlanPt& a = f[i];
        const PlanPt& b = f[(i + 1) % 4];
        orient += (b.E - a.E) * (b.N + a.N);
    }
    const double sign = orient < 0 ? 1 : -1; // counter-clockwise: inside on the left
    double least = 1e300;
    for (std::size_t i = 0; i < 4; ++i) {
        const PlanPt& a = f[i];
        const PlanPt& b = f[(i + 1) % 4];
        const double len = std::hypot(b.E - a.E, b.N - a.N);
        const double d = sign * ((b.E - a.E) * (N - a.N) - (b.N - a.N) * (E - a.E)) / len;
        least = std::min(least, d);
    }
    return least;
}

struct Camera {
    FootprintCamera cam;
    double A, B;
};

Camera CameraAt(double front, double side, double Ri) {
    ParamPageModel p;
    p.NumberBoxP.SetValue(front);
    p.NumberBoxQ.SetValue(side);
    Rechnen(p);
    return {{p.NumberBoxLG.Value(), p.NumberBoxBG.Value(), p.NumberBoxH.Value(), Ri},
            p.NumberBoxA.Value(),
            p.NumberBoxB.Value()};
}

Ring Square(double cx, double cy, double half) {
    return At({{cx - half, cy - half},
               {cx + half, cy - half},
               {cx + half, cy + half},
               {cx - half, cy + half}});
}

} // namespace

TEST(Coverage, EveryCellAgreesWithAnIndependentCount) {
    std::mt19937 rng(25);
    for (const double Ri : {0.01, 33.0, 90.0, 151.5}) {
        const Ring area = RandomStar(rng, 14, false);
        const std::vector<Ring> holes = {Square(5, -10, 12), Square(-40, 30, 6)};
        const Camera c = CameraAt(70, 60, Ri);
        const FlightPlan plan = PlanFlight(area, Ri, c.B, c.A, 15);
        const std::vector<Footprint> fp = PictureFootprints(plan, c.cam);
        ASSERT_EQ(fp.size(), plan.pictures.size());
        for (const double cell : {1.0, 2.5}) {
            const Coverage cov = ComputeCoverage(area, {holes[0], holes[1]}, fp, cell);
            const CoverageGrid& g = cov.grid;
            std::uniform_int_distribution<int> col(0, g.cols - 1), row(0, g.rows - 1);
            int checked = 0, inside = 0;
            for (int k = 0; k < 3000; ++k) {
                const int cc = col(rng), rr = row(rng);
                const double E = g.E0 + (cc + 0.5) * cell, N = g.N0 + (rr + 0.5) * cell;
                const bool inArea =
                    InRing(area, E, N) && !InRing(holes[0], E, N) && !InRing(holes[1], E, N);
                int count = 0;
                bool tie = false;
                for (const Footprint& f : fp) {
                    const double d = InsideQuad(f, E, N);
                    tie = tie || std::fabs(d) < 1e-6;
                    count += d >= 0;
                }
                if (tie)
                    continue;
                ++checked;
                inside += inArea;
                EXPECT_EQ(g.At(cc, rr), inArea ? count : CoverageNoData)
                    << "Ri " << Ri << " cell " << cell << " at " << cc << "," << rr;
            }
            EXPECT_GT(checked, 2900);
            EXPECT_GT(inside, 300);
        }
    }
}

TEST(Coverage, RegularGridGivesTheTextbookCountInside) {
    // Forward overlap p and side overlap q: each spot is seen by about 1 / ((1 - p)(1 - q))
    // pictures, 5 along the line times 3.33 lines across for 80 % / 70 %.
    struct Case {
        double front, side, Ri;
    };
    for (const Case k : {Case{80, 70, 90}, Case{80, 70, 30}, Case{60, 50, 0.01}}) {
        const Camera c = CameraAt(k.front, k.side, k.Ri);
        const Ring area = Square(0, 0, 200);
        const FlightPlan plan = PlanFlight(area, k.Ri, c.B, c.A, 15);
        const Coverage cov = ComputeCoverage(area, {}, PictureFootprints(plan, c.cam));
        const CoverageGrid& g = cov.grid;
        // Inside: farther from the border than a footprint's diagonal, where every picture
        // around the spot exists.
        const double margin = std::hypot(c.cam.lengthM, c.cam.widthM);
        double sum = 0;
        long long n = 0;
        int least = 1 << 30;
        for (int r = 0; r < g.rows; ++r)
            for (int cc = 0; cc < g.cols; ++cc) {
                const double x = g.E0 + (cc + 0.5) - E0, y = g.N0 + (r + 0.5) - N0;
                if (std::fabs(x) > 200 - margin || std::fabs(y) > 200 - margin)
                    continue;
                sum += g.At(cc, r);
                least = std::min<int>(least, g.At(cc, r));
                ++n;
            }
        ASSERT_GT(n, 10000);
        const double textbook = 1 / ((1 - k.front / 100) * (1 - k.side / 100));
        EXPECT_NEAR(sum / static_cast<double>(n), textbook, 0.02 * textbook) << k.Ri;
        const int along = static_cast<int>(std::floor(1 / (1 - k.front / 100) + 1e-9));
        const int across = static_cast<int>(std::floor(1 / (1 - k.side / 100) + 1e-9));
        EXPECT_GE(least, along * across) << k.Ri;
        EXPECT_EQ(cov.stats.atLeast1Pct, 100.0) << k.Ri;
        EXPECT_GE(cov.stats.minCount, 1) << k.Ri;
    }
}

TEST(Coverage, SharesAndMinimumOfSmallCases) {
    // A 10 m x 10 m area on whole metres (100 cells) and footprints as squares.
    const Ring area = Square(0.0, 0.0, 5.0);
    const auto box = [](double e0, double n0, double e1, double n1) {
        return Footprint{PlanPt{E0 + e0, N0 + n0}, PlanPt{E0 + e1, N0 + n0},
                         PlanPt{E0 + e1, N0 + n1}, PlanPt{E0 + e0, N0 + n1}};
    };
    struct Case {
        const char* what;
        std::vector<Footprint> fp;
        double p1, p2, p5, p9;
        int min;
    };
    const std::vector<Case> cases = {
        {"none", {}, 0, 0, 0, 0, 0},
        {"west half", {box(-5, -5, 0, 5)}, 50, 0, 0, 0, 0},
        {"all, twice", {box(-6, -6, 6, 6), box(-6, -6, 6, 6)}, 100, 100, 0, 0, 2},
        {"nine over a fifth", std::vector<Footprint>(9, box(-5, -5, -3, 5)), 20, 20, 20, 20, 0},
        {"whole, and five over the north",
         {box(-9, -9, 9, 9), box(-5, 0, 5, 5), box(-5, 0, 5, 5), box(-5, 0, 5, 5),
          box(-5, 0, 5, 5)},
         100,
         50,
         50,
         0,
         1},
        {"beside the area", {box(20, 20, 30, 30)}, 0, 0, 0, 0, 0},
    };
    for (const Case& k : cases) {
        const Coverage cov = ComputeCoverage(area, {}, k.fp);
        EXPECT_EQ(cov.stats.cellsInArea, 100u) << k.what;
        EXPECT_DOUBLE_EQ(cov.stats.atLeast1Pct, k.p1) << k.what;
        EXPECT_DOUBLE_EQ(cov.stats.atLeast2Pct, k.p2) << k.what;
        EXPECT_DOUBLE_EQ(cov.stats.atLeast5Pct, k.p5) << k.what;
        EXPECT_DOUBLE_EQ(cov.stats.atLeast9Pct, k.p9) << k.what;
        EXPECT_EQ(cov.stats.minCount, k.min) << k.what;
    }
    // A zone over the west half leaves 50 cells, all seen by the east footprint.
    const Coverage half = ComputeCoverage(area, {Square(-5, 0, 5)}, {box(0, -5, 5, 5)});
    EXPECT_EQ(half.stats.cellsInArea, 50u);
    EXPECT_EQ(half.stats.minCount, 1);
    EXPECT_EQ(half.grid.At(2, 5), CoverageNoData);
}

TEST(Coverage, FootprintFollowsTheLineAndTheHeight) {
    // A line of 40 m in a given direction: the long side (width) lies across it.
    struct Case {
        double dirDeg;
        double heightScale;
    };
    const FootprintCamera cam{30, 50, 40, 0};
    for (const Case k : {Case{0, 1}, Case{90, 1}, Case{45, 2}, Case{200, 0.5}}) {
        const double a = k.dirDeg * M_PI / 180, ue = std::cos(a), un = std::sin(a);
        FlightPlan plan;
        const PlanPt s{E0, N0}, e{E0 + 40 * ue, N0 + 40 * un};
        plan.lines.push_back({s, e, 0, 0, true, 0, 1, false, {}});
        plan.pictures.push_back({PlanPt{E0 + 10 * ue, N0 + 10 * un}, 0});
        const Footprint f = PictureFootprints(plan, cam, {40 * k.heightScale})[0];
        const double L = 30 * k.heightScale, W = 50 * k.heightScale;
        for (std::size_t i = 0; i < 4; ++i) {
            const double de = f[i].E - plan.pictures[0].at.E, dn = f[i].N - plan.pictures[0].at.N;
            EXPECT_NEAR(std::fabs(de * ue + dn * un), L / 2, 1e-6) << k.dirDeg;
            EXPECT_NEAR(std::fabs(-de * un + dn * ue), W / 2, 1e-6) << k.dirDeg;
        }
    }
}

TEST(Coverage, ColourClassesAndTheLineOfShares) {
    const std::pair<int, int> classes[] = {{0, 0},
                                           {1, 1},
                                           {2, 1},
                                           {3, 2},
                                           {4, 2},
                                           {5, 3},
                                           {8, 3},
                                           {9, 4},
                                           {70, 4},
                                           {CoverageMaxCount, 4},
                                           {CoverageNoData, -1}};
    for (const auto& [count, cls] : classes)
        EXPECT_EQ(CoverageClassOf(static_cast<std::uint16_t>(count)), cls) << count;
    CoverageStats s;
    s.atLeast1Pct = 100;
    s.atLeast2Pct = 99.75;
    s.atLeast5Pct = 97.12;
    s.atLeast9Pct = 80.04;
    s.minCount = 3;
    EXPECT_EQ(CoverageStatsText(s, 2.5), "Abdeckung (Zelle 2.5 m): ≥1 Bild 100.0 %, ≥2 99.8 %, "
                                         "≥5 97.1 %, ≥9 80.0 %, Minimum 3");
}

TEST(Coverage, CellSizeForALimitedMap) {
    struct Case {
        double half, wanted, maxCells, cell;
    };
    for (const Case k :
         {Case{500, 1, 4e6, 1}, Case{1000, 1, 4e6, 2}, Case{1000, 0.5, 4e6, 2},
          Case{4000, 1, 4e6, 5}, Case{40000, 1, 4e6, 50}, Case{10, 0.25, 4e6, 0.25}}) {
        const double cell = CoverageCellFor(Square(0, 0, k.half), k.wanted, k.maxCells);
        EXPECT_EQ(cell, k.cell) << k.half;
        EXPECT_LE(std::ceil(2 * k.half / cell + 1) * std::ceil(2 * k.half / cell + 1), k.maxCells);
    }
}

TEST(Coverage, RefusesWhatItCannotCount) {
    using test::ExpectError;
    const Ring area = Square(0, 0, 50);
    FlightPlan plan;
    plan.lines.push_back({{E0, N0}, {E0 + 10, N0}, 0, 0, true, 0, 1, false, {}});
    plan.pictures.push_back({{E0, N0}, 0});
    const FootprintCamera cam{30, 50, 40, 0};
    for (const double cell : {0.0, -1.0, std::nan(""), HUGE_VAL})
        ExpectError([&] { ComputeCoverage(area, {}, {}, cell); }, ErrorKind::Refused, "Zellgröße");
    ExpectError([&] { ComputeCoverage(Square(0.2, 0.2, 0.1), {}, {}, 1); }, ErrorKind::Refused,
                "keine Zelle");
    ExpectError(
        [&] {
            ComputeCoverage({area[0], area[1]}, {}, {});
        },
        ErrorKind::Refused, "drei Grenzpunkte");
    ExpectError(
        [&] {
            ComputeCoverage(At({{0, 0}, {NAN, 5}, {5, 5}}), {}, {});
        },
        ErrorKind::Refused, "keine gültigen Koordinaten");
    ExpectError([&] { ComputeCoverage(Square(0, 0, 5e8), {}, {}, 0.001); }, ErrorKind::Limit,
                "zu viele");
    ExpectError([&] { PictureFootprints(plan, {0, 50, 40, 0}); }, ErrorKind::Refused, "Bildgröße");
    ExpectError([&] { PictureFootprints(plan, cam, {-3}); }, ErrorKind::Refused,
                "nicht über dem Gelände");
    ExpectError([&] { PictureFootprints(plan, cam, {40, 40}); }, ErrorKind::Internal, "Höhe");
}
