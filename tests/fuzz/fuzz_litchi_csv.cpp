// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The Litchi mission CSV reader: ParseLitchiCsv on any bytes, then what the window does with a
// mission it read (selector, editor, drawing).
//
// - All or nothing: a complete mission, or korvale::Error (a showable message of bounded size)
//   with the session's mission, editor and every other part of the state as they were.
// - The limit check of a mission read only warns, and before writing passes or refuses.
// - The writer's file of a mission read reads back without error, to the written precision of
//   each column, and from then on write -> read -> write is the same file; ";" as separator
//   and LF line ends read the same.
#include <cmath>
#include <string>

#include "fuzz_support.h"
#include "litchi/csv.h"
#include "litchi/editor.h"
#include "litchi/write_check.h"
#include "model/overlay.h"

namespace {

using korvale::TlitchRec;
using korvale::fuzz::SameRecs;
using korvale::fuzz::SameState;

// The written value of a float column is within half its last place of the stored one, and the
// reader's narrowing to single precision adds at most one step of a single.
bool Near(float written, float read, int decimals) {
    const double w = written;
    const double tol =
        0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + std::fabs(w) * 0x1p-23 + 1e-300;
    return std::fabs(static_cast<double>(read) - w) <= tol;
}

bool NearRec(const TlitchRec& a, const TlitchRec& b) {
    bool near =
        Near(a.latitude, b.latitude, 6) && Near(a.longitude, b.longitude, 6) &&
        Near(a.altitude, b.altitude, 3) && Near(a.heading, b.heading, 4) &&
        Near(a.curvesize, b.curvesize, 1) && Near(a.rotationdir, b.rotationdir, 4) &&
        a.gimbalmode == b.gimbalmode && Near(a.gimbalpitchangle, b.gimbalpitchangle, 1) &&
        a.altitudemode == b.altitudemode && Near(a.speed, b.speed, 1) &&
        Near(a.poi_latitude, b.poi_latitude, 6) && Near(a.poi_longitude, b.poi_longitude, 6) &&
        Near(a.poi_altitude, b.poi_altitude, 3) && a.poi_altitudemode == b.poi_altitudemode &&
        a.photo_timeinterval == b.photo_timeinterval &&
        Near(a.photo_distinterval, b.photo_distinterval, 0);
    for (std::size_t k = 0; k < a.Actions.size(); ++k) {
        const double p = a.Actions[k].actionparam;
        const double q = b.Actions[k].actionparam;
        near = near && a.Actions[k].actiontype == b.Actions[k].actiontype &&
               std::fabs(p - q) <= 0.005 * (1 + 1e-9) + std::fabs(p) * 0x1p-51;
    }
    return near;
}

std::size_t Count(std::string_view s, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t p = s.find(what); p != std::string_view::npos; p = s.find(what, p + 1))
        ++n;
    return n;
}

std::string Variant(const std::string& file) {
    std::string out;
    for (char c : file) {
        if (c != '\r')
            out += c == ',' ? ';' : c;
    }
    return out;
}

struct Session {
    korvale::State s = korvale::fuzz::BusyState();
    korvale::LitchiPageModel m;
    korvale::Overlay o;
};

bool SameEditor(const korvale::LitchiPageModel& a, const korvale::LitchiPageModel& b) {
    return a.NumberBoxActrec.Raw() == b.NumberBoxActrec.Raw() &&
           a.NumberBoxActrec.Max() == b.NumberBoxActrec.Max() &&
           a.NumberBoxLat.Raw() == b.NumberBoxLat.Raw() &&
           a.NumberBoxAlt.Raw() == b.NumberBoxAlt.Raw() && a.Label14 == b.Label14 &&
           a.CheckBoxPhoto == b.CheckBoxPhoto && a.EditCVS == b.EditCVS;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return korvale::fuzz::Run([&] {
        const std::string_view bytes = korvale::fuzz::Bytes(data, size);
        static const Session before = [] {
            Session b;
            korvale::SetActrecMax(b.s, b.m, static_cast<int>(b.s.LitchiRecs.size()) - 1);
            b.m.NumberBoxActrec.SetValue(1);
            korvale::NumberBoxActrecChange(b.s, b.m);
            return b;
        }();
        Session now = before;

        std::vector<TlitchRec> recs;
        try {
            recs = korvale::ParseLitchiCsv(bytes);
        } catch (const korvale::Error& e) {
            // A damaged file, or one beyond a fixed limit of the reader.
            FUZZ_CHECK(e.kind() == korvale::ErrorKind::Damaged ||
                       e.kind() == korvale::ErrorKind::Limit);
            const std::string_view msg = e.what();
            FUZZ_CHECK(!msg.empty() && msg.size() <= 600 && korvale::fuzz::ShowableText(msg));
            FUZZ_CHECK(SameState(now.s, before.s) && SameEditor(now.m, before.m));
            return;
        }

        // The window's steps after a read: the mission, the selector, waypoint 0, the drawing.
        now.s.LitchiRecs = recs;
        korvale::SetActrecMax(now.s, now.m, static_cast<int>(recs.size()) - 1);
        now.m.NumberBoxActrec.SetValue(0);
        korvale::NumberBoxActrecChange(now.s, now.m);
        korvale::ShowLitchiCVS(now.s, now.m, 0);
        korvale::DisplayLitchiRecs(now.s, now.m, now.o);
        FUZZ_CHECK(SameRecs(now.s.LitchiRecs, recs)); // showing and drawing change no waypoint

        // The check after reading only warns, whatever the file holds; before writing it either
        // passes or refuses with the limit kind. Every finding names a waypoint of the mission.
        const auto warnings = korvale::CheckMissionAfterRead(recs);
        for (const auto& f : warnings) {
            FUZZ_CHECK(f.waypoint >= 0 && static_cast<std::size_t>(f.waypoint) <= recs.size());
            FUZZ_CHECK(!f.text.empty() && korvale::fuzz::ShowableText(f.text));
        }
        try {
            const auto check = korvale::CheckMissionForWrite({recs}, {});
            FUZZ_CHECK(check.warnings.size() <= warnings.size());
        } catch (const korvale::Error& e) {
            FUZZ_CHECK(e.kind() == korvale::ErrorKind::Limit);
        }

        // Written, the mission reads back: one line per waypoint, 46 values each.
        const std::string written = korvale::FormatLitchiCsv(recs);
        FUZZ_CHECK(Count(written, "\r\n") == recs.size() + 1);
        FUZZ_CHECK(Count(written, ",") == 45 * (recs.size() + 1));
        const std::vector<TlitchRec> back = korvale::fuzz::MustSucceed(
            "reading what the writer wrote", [&] { return korvale::ParseLitchiCsv(written); });
        FUZZ_CHECK(back.size() == recs.size());
        for (std::size_t i = 0; i < recs.size(); ++i)
            FUZZ_CHECK(NearRec(recs[i], back[i]));

        // What the writer wrote is what it writes again: write -> read is lossless from here.
        const std::string rewritten = korvale::FormatLitchiCsv(back);
        FUZZ_CHECK(rewritten == written);
        const std::string variant = Variant(written);
        FUZZ_CHECK(
            SameRecs(korvale::fuzz::MustSucceed("reading with \";\" and LF",
                                                [&] { return korvale::ParseLitchiCsv(variant); }),
                     back));
    });
}
