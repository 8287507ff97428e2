// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The map project's extension block: zone, hemisphere, switched-off control points and the
// elevation model, with older files and zone-32 projects unchanged.
#include "georef/project_ext.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "georef/project.h"
#include "model/error.h"

namespace korvale {
namespace {

std::string Records(const std::vector<double>& v) {
    std::string out;
    for (double d : v) {
        const auto bits = std::bit_cast<std::uint64_t>(d);
        for (int i = 0; i < 8; ++i)
            out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFFu));
    }
    return out;
}

State ThreePoints() {
    State s;
    s.TrafO = 0.5;
    s.TrafA = -0.25;
    for (int i = 0; i < 3; ++i) {
        TPt p;
        p.B = 40.4;
        p.L = -3.0 + 0.01 * i;
        p.E = 30500000 + 100 * i;
        p.N = 4470000 + 50 * i;
        p.xb = 10.0f * static_cast<float>(i);
        p.yb = 20;
        p.Typ = i == 1 ? KindBorder : KindControl;
        s.Points.push_back(p);
    }
    return s;
}

// The file exactly as the program has always written it.
std::string OldLayout(const State& s) {
    std::vector<double> v = {s.TrafO,
                             s.TrafA,
                             s.TrafYbs,
                             s.TrafXbs,
                             s.TrafYs,
                             s.TrafXs,
                             static_cast<double>(s.Points.size()) - 1};
    for (const TPt& p : s.Points)
        v.insert(v.end(), {p.B, p.L, p.E, p.N, p.c, p.xb, p.yb, static_cast<double>(p.Typ)});
    return Records(v);
}

TEST(ProjectExtension, Zone32NorthWithoutSwitchedOffPointsIsTheOldFile) {
    State s = ThreePoints();
    EXPECT_EQ(EncodeProject(s), OldLayout(s));
    // A switched-off flag on a point that is no control point means nothing and is not stored.
    s.Points[1].Off = true;
    EXPECT_EQ(EncodeProject(s), OldLayout(s));
    // Old files, also with stray bytes after the points, load as zone 32 north.
    for (const std::string& tail : {std::string(), std::string("xyz"), std::string(16, '\0')}) {
        const ProjectData d = DecodeProject(OldLayout(ThreePoints()) + tail);
        EXPECT_EQ(d.UtmZone, 32);
        EXPECT_FALSE(d.UtmSouth);
        ASSERT_EQ(d.Points.size(), 3u);
        for (const TPt& p : d.Points)
            EXPECT_FALSE(p.Off);
    }
}

TEST(ProjectExtension, ZoneHemisphereAndSwitchedOffPointsRoundTrip) {
    const struct {
        int zone;
        bool south;
        bool off0, off2;
    } cases[] = {{30, false, false, false},
                 {23, true, false, true},
                 {32, false, true, true},
                 {32, true, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone);
        State s = ThreePoints();
        s.UtmZone = c.zone;
        s.UtmSouth = c.south;
        s.Points[0].Off = c.off0;
        s.Points[2].Off = c.off2;
        const std::string bytes = EncodeProject(s);
        const std::string old = OldLayout(s);
        // The old part unchanged in front, then marker, R, zone, hemisphere, K, indices.
        ASSERT_EQ(bytes.substr(0, old.size()), old);
        const std::size_t k = (c.off0 ? 1 : 0) + (c.off2 ? 1 : 0);
        EXPECT_EQ(bytes.size(), old.size() + 8 + 8 * (4 + k));
        EXPECT_EQ(bytes.substr(old.size(), 8), "KVEXT001");

        State t;
        ApplyProject(t, DecodeProject(bytes));
        EXPECT_EQ(t.UtmZone, c.zone);
        EXPECT_EQ(t.UtmSouth, c.south);
        EXPECT_EQ(t.Points[0].Off, c.off0);
        EXPECT_FALSE(t.Points[1].Off);
        EXPECT_EQ(t.Points[2].Off, c.off2);
        EXPECT_EQ(EncodeProject(t), bytes);
    }
}

TEST(ProjectExtension, ADamagedBlockIsRefusedWhole) {
    const std::string head = OldLayout(ThreePoints()) + "KVEXT001";
    const double nan = std::nan("");
    const struct {
        const char* what;
        std::vector<double> records;
    } cases[] = {
        {"marker only", {}},
        {"count without records", {4}},
        {"count below three", {2, 30, 0}},
        {"count beyond the file", {5, 30, 0, 1, 0}},
        {"zone 0", {3, 0, 0, 0}},
        {"zone 61", {3, 61, 0, 0}},
        {"zone not whole", {3, 30.5, 0, 0}},
        {"zone NaN", {3, nan, 0, 0}},
        {"hemisphere 2", {3, 30, 2, 0}},
        {"K and count disagree", {4, 30, 0, 0, 0}},
        {"K beyond the points", {7, 30, 0, 4, 0, 1, 2, 2}},
        {"index beyond the points", {4, 30, 0, 1, 3}},
        {"negative index", {4, 30, 0, 1, -1}},
        {"indices not ascending", {5, 30, 0, 2, 2, 0}},
        {"index repeated", {5, 30, 0, 2, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            DecodeProject(head + Records(c.records));
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Damaged);
            EXPECT_NE(std::string(e.what()).find("Erweiterungsblock"), std::string::npos)
                << e.what();
        }
    }
    // A truncated record after a valid block is only stray bytes.
    const ProjectData d = DecodeProject(head + Records({3, 30, 1, 0}) + "abc");
    EXPECT_EQ(d.UtmZone, 30);
    EXPECT_TRUE(d.UtmSouth);
}

TEST(ProjectExtension, ElevationModelRoundTripsAfterTheBlockOlderReadersKnow) {
    for (const std::string& path :
         {std::string("/daten/dgm1.tif"), std::string("/home/pilot/Höhen ü/Marburg Süd.tif")}) {
        SCOPED_TRACE(path);
        State s = ThreePoints();
        s.DemFile = path;
        const std::string bytes = EncodeProject(s);
        const std::string old = OldLayout(s);
        // Zone 32 north: the block of an older writer, then the model's.
        ASSERT_EQ(bytes.substr(0, old.size()), old);
        EXPECT_EQ(bytes.substr(old.size(), 8 + 8 * 4), "KVEXT001" + Records({3, 32, 0, 0}));
        EXPECT_EQ(bytes.substr(old.size() + 40, 8), "KVDEM001");
        EXPECT_EQ(bytes.size(), old.size() + 40 + 8 + 8 * (1 + path.size()));
        State t;
        ApplyProject(t, DecodeProject(bytes));
        EXPECT_EQ(t.DemFile, path);
        EXPECT_EQ(EncodeProject(t), bytes);
    }
    // No model, no block: the file of before.
    EXPECT_EQ(DecodeProject(OldLayout(ThreePoints())).DemFile, "");

    const std::string head = OldLayout(ThreePoints()) + "KVEXT001" + Records({3, 32, 0, 0});
    const struct {
        const char* what;
        std::string tail;
    } bad[] = {
        {"marker only", "KVDEM001"},
        {"length beyond the file", "KVDEM001" + Records({3, 65, 66})},
        {"length 0", "KVDEM001" + Records({0})},
        {"byte above 255", "KVDEM001" + Records({2, 65, 256})},
        {"byte not whole", "KVDEM001" + Records({2, 65, 66.5})},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.what);
        try {
            DecodeProject(head + c.tail);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Damaged);
        }
    }
}

TEST(ProjectExtension, ExclusionZonesRoundTripAfterTheBlocksOlderReadersKnow) {
    const auto corner = [](double E, double N, float xb, float yb) {
        TPt p;
        p.E = E, p.N = N, p.xb = xb, p.yb = yb;
        return p;
    };
    const std::vector<std::vector<TPt>> zones = {
        {corner(30500010, 4470010, 11, 12), corner(30500030, 4470010, 31.5f, 12),
         corner(30500020, 4470030, 21, -3)},
        {corner(30500100, 4470100, 101, 102)}}; // one corner: a mast with its buffer
    for (const bool dem : {false, true}) {
        SCOPED_TRACE(dem);
        State s = ThreePoints();
        s.Zones = zones;
        if (dem)
            s.DemFile = "/daten/dgm1.tif";
        const std::string bytes = EncodeProject(s);
        const std::string old = OldLayout(s);
        ASSERT_EQ(bytes.substr(0, old.size()), old);
        EXPECT_EQ(bytes.substr(old.size(), 8 + 8 * 4), "KVEXT001" + Records({3, 32, 0, 0}));
        const std::size_t at = old.size() + 40 + (dem ? 8 + 8 * 16 : 0);
        EXPECT_EQ(bytes.substr(at, 8), "KVZON001");
        EXPECT_EQ(bytes.substr(at + 8),
                  Records({2, 3, 30500010, 4470010, 11, 12, 30500030, 4470010, 31.5, 12, 30500020,
                           4470030, 21, -3, 1, 30500100, 4470100, 101, 102}));
        State t;
        ApplyProject(t, DecodeProject(bytes));
        ASSERT_EQ(t.Zones.size(), 2u);
        ASSERT_EQ(t.Zones[0].size(), 3u);
        EXPECT_EQ(t.Zones[0][1].E, 30500030);
        EXPECT_EQ(t.Zones[0][1].xb, 31.5f);
        EXPECT_EQ(t.Zones[1][0].N, 4470100);
        EXPECT_EQ(t.DemFile, dem ? "/daten/dgm1.tif" : "");
        EXPECT_EQ(EncodeProject(t), bytes);
        // What an older reader reads: the points and the first block, without the zones.
        EXPECT_EQ(DecodeProject(bytes.substr(0, old.size() + 40)).Zones.size(), 0u);
    }
    // Without zones the file is the one of before.
    EXPECT_TRUE(DecodeProject(OldLayout(ThreePoints())).Zones.empty());

    const std::string head = OldLayout(ThreePoints()) + "KVEXT001" + Records({3, 32, 0, 0});
    const double nan = std::nan("");
    const struct {
        const char* what;
        std::string tail;
    } bad[] = {
        {"marker only", "KVZON001"},
        {"zones beyond the file", "KVZON001" + Records({2, 1, 1, 2, 3, 4})},
        {"corners beyond the file", "KVZON001" + Records({1, 2, 1, 2, 3, 4})},
        {"count not whole", "KVZON001" + Records({0.5})},
        {"count negative", "KVZON001" + Records({-1})},
        {"easting NaN", "KVZON001" + Records({1, 1, nan, 2, 3, 4})},
        {"map position beyond a float", "KVZON001" + Records({1, 1, 1, 2, 1e300, 4})},
        {"huge count", "KVZON001" + Records({1e18})},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.what);
        try {
            DecodeProject(head + c.tail);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Damaged);
            EXPECT_NE(std::string(e.what()).find("Sperrflächen"), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace korvale
