// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The core of Cp on a tile map, without the window: a reported view of 1280 x 860 page pixels
// at zoom 18 becomes the resampled copy's plan, five control points and the fit.
#include <benchmark/benchmark.h>

#include "georef/clipboard.h"
#include "georef/tilemap.h"
#include "georef/transform.h"

namespace {

void BM_TileCopyPointsAndFit(benchmark::State& state) {
    const korvale::WorldPixel c = korvale::GeoToWorldPixel(48.1372, 11.5755, 18);
    const korvale::TileView view{18, korvale::WorldPixelToGeo(c.x - 640, c.y - 430, 18),
                                 korvale::WorldPixelToGeo(c.x + 640, c.y + 430, 18)};
    const int ratio = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const korvale::TileCopyPlan plan = korvale::PlanTileCopy(view, 1280 * ratio, 860 * ratio);
        korvale::State s;
        for (const korvale::TileControlPixel& p : plan.points)
            korvale::AddGeoControlPoint(s, p.geo.B, p.geo.L, static_cast<float>(p.x),
                                        static_cast<float>(p.y + 80));
        const korvale::TrafResult r = korvale::TrafPar(s);
        benchmark::DoNotOptimize(r.mp);
    }
}
BENCHMARK(BM_TileCopyPointsAndFit)->Arg(1)->Arg(2);

} // namespace

BENCHMARK_MAIN();
