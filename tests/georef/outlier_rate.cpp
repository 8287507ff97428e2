// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The control-point outlier flag by its stated rate: simulated fits of 4 to 12 clicked control
// points (fixed seed) flag a correct point at most about once in a hundred, and find a point
// clicked 8 pixels off at a click noise of 1 pixel in at least nine fits of ten.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iostream>
#include <numbers>
#include <random>

#include "georef/quality.h"

namespace korvale {
namespace {

// The factor is sqrt(2 F) with F the 99 % quantile of F(2, nu); the quantiles are the printed
// values of the usual statistical tables.
TEST(OutlierRate, FactorIsTheFQuantileOfTheTables) {
    const struct {
        int nu;
        double f99;
    } table[] = {{2, 99.00}, {4, 18.00}, {6, 10.92}, {10, 7.559}, {20, 5.849}, {60, 4.977}};
    for (const auto& t : table) {
        SCOPED_TRACE(t.nu);
        EXPECT_NEAR(OutlierFactor(t.nu), std::sqrt(2 * t.f99), 2e-3 * std::sqrt(2 * t.f99));
    }
    // Many points: the two-dimensional normal's 1 % radius, sqrt(-2 ln 0.01).
    EXPECT_NEAR(OutlierFactor(100000), std::sqrt(-2 * std::log(0.01)), 1e-4);
}

// Uniform and normal numbers spelled out, so the simulation is the same with every library.
class Random {
  public:
    explicit Random(std::uint64_t seed) : rng_(seed) {}
    double Uniform() { return static_cast<double>(rng_() >> 11) * 0x1.0p-53; }
    double Normal() {
        const double u = 1 - Uniform(); // (0, 1]
        return std::sqrt(-2 * std::log(u)) * std::cos(2 * std::numbers::pi * Uniform());
    }

  private:
    std::mt19937_64 rng_;
};

// n control points spread over a 1200 x 800 map copy, tied by a random similarity (scale 0.05
// to 2 m per pixel, any rotation) to ground positions, clicked with a normal error of `noise`
// pixels in each direction. Point `bad` (if any) is clicked `off` pixels away in a random
// direction besides.
State Fit(Random& r, int n, double noise, int bad, double off) {
    const double scale = 0.05 + 1.95 * r.Uniform();
    const double turn = 2 * std::numbers::pi * r.Uniform();
    const double O = scale * std::cos(turn), A = scale * std::sin(turn);
    State s;
    for (int i = 0; i < n; ++i) {
        const double x = 1200 * r.Uniform(), y = 800 * r.Uniform();
        TPt p;
        p.Typ = KindControl;
        p.E = 32500000 + O * x + A * y;
        p.N = 5400000 + A * x - O * y;
        double cx = x + noise * r.Normal(), cy = y + noise * r.Normal();
        if (i == bad) {
            const double dir = 2 * std::numbers::pi * r.Uniform();
            cx += off * std::cos(dir);
            cy += off * std::sin(dir);
        }
        p.xb = static_cast<float>(cx);
        p.yb = static_cast<float>(cy);
        s.Points.push_back(p);
    }
    return s;
}

TEST(OutlierRate, CorrectPointsAreFlaggedAtMostOnceInAHundred) {
    Random r(20261210);
    const int fits = 4000;
    for (const double noise : {1.0, 3.0}) {
        for (const auto& [lo, hi] : {std::pair{4, 6}, std::pair{7, 12}}) {
            long points = 0, flagged = 0, fitsFlagged = 0;
            for (int n = lo; n <= hi; ++n)
                for (int k = 0; k < fits; ++k) {
                    const ControlQuality q = ControlPointQuality(Fit(r, n, noise, -1, 0));
                    int here = 0;
                    for (const ControlResidual& c : q.points) {
                        ASSERT_TRUE(c.hasLimit);
                        here += c.outlier;
                    }
                    points += n;
                    flagged += here;
                    fitsFlagged += here > 0;
                }
            const double rate = static_cast<double>(flagged) / points;
            std::cout << "[ measured ] noise " << noise << " px, " << lo << "-" << hi
                      << " points: " << 100 * rate << " % of correct points flagged, "
                      << 100.0 * fitsFlagged / (fits * (hi - lo + 1)) << " % of fits\n";
            SCOPED_TRACE(testing::Message() << "noise " << noise << ", " << lo << "-" << hi);
            EXPECT_LE(rate, 0.015);
            // Not bought by a limit no outlier reaches: where the 2-pixel minimum does not
            // hold the limit up, the rate is the stated one.
            if (noise >= 3) {
                EXPECT_GE(rate, 0.007);
            }
        }
    }
}

// Over the fits of 6 to 12 points. With exactly six points at random places the test (the
// likelihood-ratio test for that point, so no test of the same level is stronger) has only six
// degrees of freedom for s0' and finds the point in about 88 % of fits; from seven points on
// in more than 96 %.
TEST(OutlierRate, APointEightPixelsOffIsFoundInNineFitsOfTen) {
    Random r(19);
    const int fits = 4000;
    int foundAll = 0;
    for (int n = 6; n <= 12; ++n) {
        int found = 0;
        for (int k = 0; k < fits; ++k) {
            const int bad = static_cast<int>(r.Uniform() * n);
            const ControlQuality q = ControlPointQuality(Fit(r, n, 1.0, bad, 8.0));
            found += q.points[static_cast<std::size_t>(bad)].outlier;
        }
        foundAll += found;
        const double rate = static_cast<double>(found) / fits;
        std::cout << "[ measured ] " << n << " points, one 8 px off at 1 px noise: found in "
                  << 100 * rate << " % of fits\n";
        EXPECT_GE(rate, n == 6 ? 0.85 : 0.95) << n << " points";
    }
    const double rate = static_cast<double>(foundAll) / (7 * fits);
    std::cout << "[ measured ] 6-12 points: found in " << 100 * rate << " % of fits\n";
    EXPECT_GE(rate, 0.90);
}

} // namespace
} // namespace korvale
