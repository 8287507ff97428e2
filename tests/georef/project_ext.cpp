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

} // namespace
} // namespace korvale
