// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: survey areas from GeoJSON bytes. The reader either returns polygons that
// meet its promises and survive a GeoJSON round trip, or throws korvale::Error; any other
// exception or a crash is a finding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exchange/area.h"
#include "exchange/plan_export.h"
#include "fuzz_support.h"
#include "model/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<korvale::AreaPolygon> areas;
    try {
        areas = korvale::ReadAreaGeoJson(bytes);
    } catch (const korvale::Error&) {
        return 0;
    }
    FUZZ_CHECK(!areas.empty());
    for (const korvale::AreaPolygon& a : areas) {
        FUZZ_CHECK(a.ring.size() >= 3 && a.holes >= 0);
        for (const korvale::GeoPos& g : a.ring)
            FUZZ_CHECK(std::isfinite(g.lat) && std::isfinite(g.lon) && std::fabs(g.lat) <= 90 &&
                       std::fabs(g.lon) <= 180);
    }
    korvale::PlanGeo plan;
    plan.area = areas[0].ring;
    try {
        const auto back = korvale::ReadAreaGeoJson(korvale::PlanToGeoJson(plan));
        FUZZ_CHECK(back.size() == 1 && back[0].ring.size() <= plan.area.size());
    } catch (const korvale::Error&) {
        // Corners closer than the written 9 decimals may merge below 3: a refusal is right then.
    }
    return 0;
}
