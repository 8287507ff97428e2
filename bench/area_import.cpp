// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Importing a survey area of 5,000 corners (a field boundary traced in detail): reading the
// KML from its bytes, and the whole import of the window without drawing (file read, parse,
// UTM and map positions of the border points). Also a document of many small polygons in one
// multi-geometry (a parcel map exported as one feature), where the reading must stay linear.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "exchange/area.h"
#include "exchange/area_place.h"
#include "model/fileio.h"
#include "model/format.h"

namespace {

using namespace korvale;

constexpr int kCorners = 5000;

// A wavy ring of about 1 km around 48.74 N 9 E, written as Google Earth writes it: one line of
// "lon,lat,0" triples in a Placemark with a style.
std::string MakeKml() {
    std::string coords;
    for (int i = 0; i <= kCorners; ++i) {
        const double t = 2 * M_PI * (i % kCorners) / kCorners;
        const double r = 0.005 * (1 + 0.1 * std::sin(37 * t));
        coords += FormatFixed(9.0 + r * 1.5 * std::cos(t), 9) + "," +
                  FormatFixed(48.74 + r * std::sin(t), 9) + ",0 ";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml "
           "xmlns=\"http://www.opengis.net/kml/2.2\"><Document><name>Feld</name><Style "
           "id=\"s\"><LineStyle><color>ff00ffff</color></LineStyle></Style><Placemark>"
           "<name>Acker</name><styleUrl>#s</styleUrl><Polygon><tessellate>1</tessellate>"
           "<outerBoundaryIs><LinearRing><coordinates>" +
           coords +
           "</coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark>"
           "</Document></kml>\n";
}

void BM_ReadKml5000(benchmark::State& st) {
    const std::string kml = MakeKml();
    for (auto _ : st) {
        auto areas = ReadAreaKml(kml);
        benchmark::DoNotOptimize(areas);
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * kml.size()));
}
BENCHMARK(BM_ReadKml5000)->Unit(benchmark::kMillisecond);

// `count` small squares in one MultiGeometry of one Placemark, 200 m apart on a grid.
std::string MakeMultiKml(int count) {
    std::string polygons;
    polygons.reserve(static_cast<std::size_t>(count) * 200);
    const int perRow = 500;
    for (int i = 0; i < count; ++i) {
        const double lon = 9.0 + 0.003 * (i % perRow);
        const double lat = 48.0 + 0.002 * (i / perRow);
        const std::string w = FormatFixed(lon, 6), e = FormatFixed(lon + 0.001, 6);
        const std::string s = FormatFixed(lat, 6), n = FormatFixed(lat + 0.001, 6);
        polygons += "<Polygon><outerBoundaryIs><LinearRing><coordinates>" + w + "," + s + " " + e +
                    "," + s + " " + e + "," + n + " " + w + "," + n + " " + w + "," + s +
                    "</coordinates></LinearRing></outerBoundaryIs></Polygon>";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml "
           "xmlns=\"http://www.opengis.net/kml/2.2\"><Document><Placemark><name>Flurstücke"
           "</name><MultiGeometry>" +
           polygons + "</MultiGeometry></Placemark></Document></kml>\n";
}

void BM_ReadKmlPolygons(benchmark::State& st) {
    const std::string kml = MakeMultiKml(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        auto areas = ReadAreaKml(kml);
        benchmark::DoNotOptimize(areas);
    }
    st.SetItemsProcessed(st.iterations() * st.range(0));
}
BENCHMARK(BM_ReadKmlPolygons)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_ImportKml5000(benchmark::State& st) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "korvale_bench_area.kml").string();
    WriteFileAtomic(path, MakeKml());
    State base;
    base.TrafO = 1;
    base.TrafXbs = 250;
    base.TrafYbs = 400;
    base.TrafYs = 32500000;
    base.TrafXs = 5400000;
    ParamPageModel p;
    for (auto _ : st) {
        State s = base;
        const auto areas = ReadAreaFile(path);
        PlaceArea(s, p, areas[0], ProjectCentralMeridian(s));
        benchmark::DoNotOptimize(s.Points.data());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_ImportKml5000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
