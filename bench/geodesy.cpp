// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Time per point of the UTM conversions, ours and GeographicLib's exact transverse Mercator,
// over the same 1000 points around 48 N 11 E.
#include <vector>

#include <GeographicLib/TransverseMercator.hpp>
#include <benchmark/benchmark.h>

#include "model/geodesy.h"
#include "model/state.h"

namespace {

struct Sample {
    double B, L; // degrees
    double X, Y; // northing, easting with zone prefix
};

const std::vector<Sample>& Points() {
    static const std::vector<Sample> pts = [] {
        std::vector<Sample> v;
        for (int i = 0; i < 1000; ++i) {
            // A fixed scatter over about 1 x 1.5 degrees, the same in every run.
            const double B = 47.5 + (i * 37 % 1000) / 1000.0;
            const double L = 10.25 + (i * 611 % 1000) / 1000.0 * 1.5;
            const auto u = korvale::GeoToUTM(9, korvale::EllipsoidA, korvale::EllipsoidF, B, L);
            v.push_back({B, L, u.X, u.Y});
        }
        return v;
    }();
    return pts;
}

const GeographicLib::TransverseMercator& Exact() {
    static const GeographicLib::TransverseMercator tm(korvale::EllipsoidA, 1 / 298.257222101,
                                                      0.9996);
    return tm;
}

void BM_GeoToUTM(benchmark::State& state) {
    const auto& pts = Points();
    for (auto _ : state) {
        for (const Sample& p : pts) {
            auto r = korvale::GeoToUTM(9, korvale::EllipsoidA, korvale::EllipsoidF, p.B, p.L);
            benchmark::DoNotOptimize(r);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(pts.size()));
}

void BM_ExactForward(benchmark::State& state) {
    const auto& pts = Points();
    const auto& tm = Exact();
    for (auto _ : state) {
        for (const Sample& p : pts) {
            double x, y, gam, k;
            tm.Forward(9, p.B, p.L, y, x, gam, k);
            benchmark::DoNotOptimize(x);
            benchmark::DoNotOptimize(y);
            benchmark::DoNotOptimize(gam);
            benchmark::DoNotOptimize(k);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(pts.size()));
}

void BM_UTMToGeo(benchmark::State& state) {
    const auto& pts = Points();
    for (auto _ : state) {
        for (const Sample& p : pts) {
            auto r = korvale::UTMToGeo(korvale::EllipsoidA, korvale::EllipsoidF, p.X, p.Y);
            benchmark::DoNotOptimize(r);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(pts.size()));
}

void BM_ExactReverse(benchmark::State& state) {
    const auto& pts = Points();
    const auto& tm = Exact();
    for (auto _ : state) {
        for (const Sample& p : pts) {
            double B, L, gam, k;
            tm.Reverse(9, p.Y - 32500000, p.X, B, L, gam, k);
            benchmark::DoNotOptimize(B);
            benchmark::DoNotOptimize(L);
            benchmark::DoNotOptimize(gam);
            benchmark::DoNotOptimize(k);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(pts.size()));
}

} // namespace

BENCHMARK(BM_GeoToUTM);
BENCHMARK(BM_ExactForward);
BENCHMARK(BM_UTMToGeo);
BENCHMARK(BM_ExactReverse);

BENCHMARK_MAIN();
