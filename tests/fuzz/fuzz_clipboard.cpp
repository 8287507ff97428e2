// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Clipboard text to control point: ReadClipboardPoint on any text. It either appends exactly
// one control point and leaves every other point as it was, or adds nothing (empty text), or
// throws korvale::Error with the state as it was. The position it reads, written back as a web
// map copies it, with "." or with "," as decimal separator, reads to the same point.
#include <cmath>
#include <string>

#include "fuzz_support.h"
#include "georef/clipboard.h"
#include "model/format.h"

namespace {

// Reads a text that must give a point into a project of the same UTM zone; returns it.
korvale::TPt ReadBack(const std::string& text, const korvale::State& zoneOf) {
    korvale::State s;
    s.UtmZone = zoneOf.UtmZone;
    s.UtmSouth = zoneOf.UtmSouth;
    // A point with ground coordinates keeps the zone: the read-back must not choose its own.
    korvale::TPt fixed;
    fixed.E = 1;
    s.Points.push_back(fixed);
    FUZZ_CHECK(korvale::fuzz::MustSucceed("reading a position written back", [&] {
        return korvale::ReadClipboardPoint(s, text, 1, 2);
    }));
    FUZZ_CHECK(s.Points.size() == 2);
    return s.Points[1];
}

std::string WithComma(std::string t) {
    for (char& c : t)
        c = c == '.' ? ',' : c;
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return korvale::fuzz::Run([&] {
        const std::string_view text = korvale::fuzz::Bytes(data, size);
        static const korvale::State before = korvale::fuzz::BusyState();
        korvale::State s = before;
        const float xb = 37.5F;
        const float yb = 512.25F;
        bool added = false;
        try {
            added = korvale::ReadClipboardPoint(s, text, xb, yb);
        } catch (const korvale::Error& e) {
            FUZZ_CHECK(e.kind() == korvale::ErrorKind::Conversion ||
                       e.kind() == korvale::ErrorKind::Refused);
            FUZZ_CHECK(korvale::fuzz::SameState(s, before));
            return;
        }
        if (!added) {
            FUZZ_CHECK(text.empty());
            FUZZ_CHECK(korvale::fuzz::SameState(s, before));
            return;
        }
        FUZZ_CHECK(s.Points.size() == before.Points.size() + 1);
        const korvale::TPt p = s.Points.back();
        s.Points.pop_back();
        FUZZ_CHECK(korvale::fuzz::SameState(s, before));
        FUZZ_CHECK(p.Typ == korvale::KindControl && p.c == 0 && p.xb == xb && p.yb == yb);
        FUZZ_CHECK(std::fabs(p.B) <= 90 && std::fabs(p.L) <= 180);
        // A control point always has ground coordinates: E == 0 would mean "none yet".
        FUZZ_CHECK(std::isfinite(p.E) && std::isfinite(p.N) && p.E != 0);

        // The same position as a web map copies it reads to the same point, with either
        // decimal separator (17 decimals hold every double of this range to within 1e-17).
        const std::string dot =
            korvale::FormatFixed(p.B, 17) + ", " + korvale::FormatFixed(p.L, 17);
        for (const std::string& t : {dot, WithComma(dot)}) {
            const korvale::TPt q = ReadBack(t, s);
            FUZZ_CHECK(std::fabs(q.B - p.B) <= 1e-14 && std::fabs(q.L - p.L) <= 1e-14);
            FUZZ_CHECK(std::fabs(q.E - p.E) <= 1e-6 && std::fabs(q.N - p.N) <= 1e-6);
        }
    });
}
