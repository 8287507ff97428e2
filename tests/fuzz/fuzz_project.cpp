// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The map project data file: DecodeProject on any bytes, then the loading steps of the window
// (ApplyProject, then Trafall of the redraw), then saving again.
//
// - All or nothing: the decoder either returns, or throws korvale::Error with the state as it
//   was; ApplyProject replaces exactly the points and the six stored transformation values.
// - Nothing is invented: every stored double the decoder keeps is the file's bits.
// - Decode -> encode -> decode gives the same data, encode of it the same bytes.
// - A project that loads is saved as one that loads again, also after the redraw gave its
//   points ground coordinates; zone, hemisphere, elevation model and exclusion zones come
//   with it.
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "georef/project.h"
#include "georef/transform.h"

namespace {

using korvale::fuzz::SameBits;
using korvale::fuzz::SamePoints;
using korvale::fuzz::SameState;

constexpr std::size_t kHeaderBytes = 7 * 8;
constexpr std::size_t kPointBytes = 8 * 8;

double Record(std::string_view bytes, std::size_t index) {
    // The test hosts are little-endian, like the file.
    double v = 0;
    std::memcpy(&v, bytes.data() + index * 8, 8);
    return v;
}

bool SameData(const korvale::ProjectData& a, const korvale::ProjectData& b) {
    return SameBits(a.TrafO, b.TrafO) && SameBits(a.TrafA, b.TrafA) &&
           SameBits(a.TrafYbs, b.TrafYbs) && SameBits(a.TrafXbs, b.TrafXbs) &&
           SameBits(a.TrafYs, b.TrafYs) && SameBits(a.TrafXs, b.TrafXs) &&
           SamePoints(a.Points, b.Points) && a.UtmZone == b.UtmZone && a.UtmSouth == b.UtmSouth &&
           a.DemFile == b.DemFile && korvale::fuzz::SameZones(a.Zones, b.Zones);
}

// The decoded values are the file's: the six transformation values and B, L, E, N, c of every
// point bit for bit, the map positions as the nearest single, the kind from the stored number.
void CheckAgainstBytes(std::string_view bytes, const korvale::ProjectData& d) {
    FUZZ_CHECK(bytes.size() >= kHeaderBytes + kPointBytes * d.Points.size());
    const double traf[] = {d.TrafO, d.TrafA, d.TrafYbs, d.TrafXbs, d.TrafYs, d.TrafXs};
    for (std::size_t i = 0; i < 6; ++i)
        FUZZ_CHECK(SameBits(traf[i], Record(bytes, i)));
    FUZZ_CHECK(Record(bytes, 6) == static_cast<double>(d.Points.size()) - 1.0);
    for (std::size_t i = 0; i < d.Points.size(); ++i) {
        const korvale::TPt& p = d.Points[i];
        const std::size_t r = 7 + 8 * i;
        FUZZ_CHECK(SameBits(p.B, Record(bytes, r)) && SameBits(p.L, Record(bytes, r + 1)) &&
                   SameBits(p.E, Record(bytes, r + 2)) && SameBits(p.N, Record(bytes, r + 3)) &&
                   SameBits(p.c, Record(bytes, r + 4)));
        FUZZ_CHECK(SameBits(p.xb, static_cast<float>(Record(bytes, r + 5))));
        FUZZ_CHECK(SameBits(p.yb, static_cast<float>(Record(bytes, r + 6))));
        const double typ = Record(bytes, r + 7);
        if (typ >= 0 && typ < 256)
            FUZZ_CHECK(p.Typ == static_cast<int>(typ));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return korvale::fuzz::Run([&] {
        const std::string_view bytes = korvale::fuzz::Bytes(data, size);
        static const korvale::State before = korvale::fuzz::BusyState();
        korvale::State s = before;

        korvale::ProjectData d;
        try {
            d = korvale::DecodeProject(bytes);
        } catch (const korvale::Error& e) {
            // A damaged file, or one beyond a fixed limit of the reader.
            FUZZ_CHECK(e.kind() == korvale::ErrorKind::Damaged ||
                       e.kind() == korvale::ErrorKind::Limit);
            FUZZ_CHECK(korvale::fuzz::ShowableText(e.what()));
            FUZZ_CHECK(SameState(s, before));
            return;
        }
        CheckAgainstBytes(bytes, d);

        korvale::ApplyProject(s, d);
        korvale::State expected = before;
        expected.Points = d.Points;
        expected.TrafO = d.TrafO;
        expected.TrafA = d.TrafA;
        expected.TrafYbs = d.TrafYbs;
        expected.TrafXbs = d.TrafXbs;
        expected.TrafYs = d.TrafYs;
        expected.TrafXs = d.TrafXs;
        expected.Zones = d.Zones;
        FUZZ_CHECK(SameState(s, expected));
        FUZZ_CHECK(s.UtmZone == d.UtmZone && s.UtmSouth == d.UtmSouth && s.DemFile == d.DemFile);

        // The points, then the extension blocks only where the project needs them.
        const std::string encoded = korvale::EncodeProject(s);
        const std::size_t plain = kHeaderBytes + kPointBytes * d.Points.size();
        FUZZ_CHECK(encoded.size() >= plain);
        bool off = false;
        for (const korvale::TPt& p : d.Points)
            off = off || (p.Typ == korvale::KindControl && p.Off);
        if (d.UtmZone == 32 && !d.UtmSouth && !off && d.DemFile.empty() && d.Zones.empty())
            FUZZ_CHECK(encoded.size() == plain);
        const korvale::ProjectData again = korvale::fuzz::MustSucceed(
            "decoding what was encoded", [&] { return korvale::DecodeProject(encoded); });
        FUZZ_CHECK(SameData(again, d));
        korvale::State s2 = before;
        korvale::ApplyProject(s2, again);
        FUZZ_CHECK(korvale::EncodeProject(s2) == encoded);

        // The redraw after loading gives points without ground coordinates theirs; points that
        // have them keep them. What it leaves must save as a project that loads again.
        const korvale::State loaded = s;
        try {
            korvale::Trafall(s);
        } catch (const korvale::Error& e) {
            FUZZ_CHECK(korvale::fuzz::ShowableText(e.what()));
            FUZZ_CHECK(SameState(s, loaded));
        }
        for (std::size_t i = 0; i < s.Points.size(); ++i) {
            if (loaded.Points[i].E != 0)
                FUZZ_CHECK(korvale::fuzz::SamePoint(s.Points[i], loaded.Points[i]));
        }
        const korvale::ProjectData saved =
            korvale::fuzz::MustSucceed("loading a project saved after the redraw", [&] {
                return korvale::DecodeProject(korvale::EncodeProject(s));
            });
        FUZZ_CHECK(SamePoints(saved.Points, s.Points));
    });
}
