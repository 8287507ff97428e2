// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: survey areas from KML and KMZ bytes. A reader either returns polygons that
// meet its promises (at least 3 corners, in WGS84 range) and that survive a KML round trip, or
// throws korvale::Error; any other exception or a crash is a finding.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exchange/area.h"
#include "exchange/plan_export.h"
#include "fuzz_support.h"
#include "model/error.h"

namespace {

void CheckAreas(const std::vector<korvale::AreaPolygon>& areas) {
    FUZZ_CHECK(!areas.empty());
    for (const korvale::AreaPolygon& a : areas) {
        FUZZ_CHECK(a.ring.size() >= 3 && a.holes >= 0);
        for (const korvale::GeoPos& g : a.ring)
            FUZZ_CHECK(std::isfinite(g.lat) && std::isfinite(g.lon) && std::fabs(g.lat) <= 90 &&
                       std::fabs(g.lon) <= 180);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<korvale::AreaPolygon> areas;
    try {
        // Zip archives start with "PK"; everything else goes to the KML reader.
        areas =
            bytes.substr(0, 2) == "PK" ? korvale::ReadAreaKmz(bytes) : korvale::ReadAreaKml(bytes);
    } catch (const korvale::Error&) {
        return 0;
    }
    CheckAreas(areas);
    // What we write of the first area reads back as the same corners (maybe reversed).
    korvale::PlanGeo plan;
    plan.area = areas[0].ring;
    try {
        const auto back = korvale::ReadAreaKml(korvale::PlanToKml(plan));
        FUZZ_CHECK(back.size() == 1);
        const auto& r = back[0].ring;
        FUZZ_CHECK(r.size() <= plan.area.size());
        // Sorted by latitude, so that a ring of many thousand corners is checked in n log n and
        // the time limit per input only catches the reader's own slowness.
        std::vector<korvale::GeoPos> sorted = plan.area;
        std::sort(sorted.begin(), sorted.end(),
                  [](const korvale::GeoPos& a, const korvale::GeoPos& b) { return a.lat < b.lat; });
        for (const korvale::GeoPos& g : r) {
            bool found = false;
            auto it =
                std::lower_bound(sorted.begin(), sorted.end(), g.lat - 1e-9,
                                 [](const korvale::GeoPos& o, double lat) { return o.lat < lat; });
            for (; !found && it != sorted.end() && it->lat <= g.lat + 1e-9; ++it)
                found = std::fabs(it->lon - g.lon) <= 1e-9;
            FUZZ_CHECK(found);
        }
    } catch (const korvale::Error&) {
        // Corners closer than the written 9 decimals may merge below 3: a refusal is right then.
    }
    return 0;
}
