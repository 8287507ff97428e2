// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: DJI WPML missions (KMZ, or the bare XML of waylines.wpml / template.kml)
// through the reader and the checker. The checker never throws and reports any damage as a
// hard finding with its rule; the XML reader returns or throws korvale::Error; checking twice
// gives the same findings.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dji/wpml_check.h"
#include "dji/wpml_read.h"
#include "fuzz_support.h"
#include "model/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.substr(0, 2) != "PK") {
        for (bool waylines : {true, false}) {
            try {
                const korvale::WpmlReadDoc d = korvale::ReadWpmlXml(bytes, waylines);
                for (const korvale::WpmlReadFolder& f : d.folders)
                    for (const korvale::WpmlReadPoint& p : f.points)
                        FUZZ_CHECK(!p.lat || (*p.lat == *p.lat)); // strict numbers: never NaN
            } catch (const korvale::Error&) {
            }
        }
        return 0;
    }
    const korvale::WpmlCheck a = korvale::CheckWpmlKmz(bytes, nullptr);
    for (const auto* list : {&a.hard, &a.soft})
        for (const korvale::WpmlFinding& f : *list)
            FUZZ_CHECK(!f.rule.empty() && !f.text.empty());
    const korvale::WpmlCheck b = korvale::CheckWpmlKmz(bytes, nullptr);
    FUZZ_CHECK(a.hard.size() == b.hard.size() && a.soft.size() == b.soft.size() &&
               a.waypoints == b.waypoints);
    return 0;
}
