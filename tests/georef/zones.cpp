// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Projects in any UTM zone: the zone follows the first control point, every conversion uses
// it, and the results agree with PROJ's exact transverse Mercator (cs2cs) in their own zones.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "georef/clipboard.h"
#include "georef/transform.h"
#include "model/format.h"
#include "model/geodesy.h"

namespace korvale {
namespace {

struct LonLat {
    double lon, lat;
};
struct EN {
    double E, N;
};

// Runs PROJ's cs2cs on the positions: geographic GRS80 to standard UTM of `zone` (false
// northing 10 000 000 m with `south`), or back with `inverse`.
std::vector<EN> Cs2cs(const std::vector<LonLat>& in, int zone, bool south, bool inverse) {
    const std::string geo = "+proj=longlat +ellps=GRS80";
    const std::string utm =
        "+proj=utm +zone=" + std::to_string(zone) + (south ? " +south" : "") + " +ellps=GRS80";
    std::ostringstream input;
    for (const LonLat& p : in)
        input << FormatFixed(p.lon, 12) << ' ' << FormatFixed(p.lat, 12) << '\n';
    char name[] = "/tmp/korvale_cs2cs_XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    FILE* f = fdopen(fd, "w");
    std::fputs(input.str().c_str(), f);
    std::fclose(f);
    const std::string cmd =
        "cs2cs " + (inverse ? utm + " +to " + geo : geo + " +to " + utm) + " -f %.10f < " + name;
    FILE* pipe = popen(cmd.c_str(), "r");
    EXPECT_NE(pipe, nullptr) << "cs2cs (Debian package proj-bin) is needed";
    std::vector<EN> out;
    if (pipe) {
        double a = 0, b = 0, h = 0;
        while (std::fscanf(pipe, "%lf %lf %lf", &a, &b, &h) == 3)
            out.push_back({a, b});
        pclose(pipe);
    }
    std::remove(name);
    EXPECT_EQ(out.size(), in.size());
    return out;
}

std::string Text(double lat, double lon) {
    return FormatFixed(lat, 10) + ", " + FormatFixed(lon, 10);
}

struct Field {
    const char* name;
    double lat, lon; // centre
    int zone;
    bool south;
};
// Spain at 3 W, Brazil at 45 W south of the equator, Poland east of 15 E.
const Field kFields[] = {
    {"3 W", 40.4, -3.0, 30, false},
    {"45 W south", -23.5, -45.0, 23, true},
    {"15.5 E", 52.4, 15.5, 33, false},
};

// Corners of a field of about 2 x 2 km around its centre, and the map positions they are
// clicked at on a north-up map copy of about 2 m per pixel.
std::vector<LonLat> Corners(const Field& f) {
    return {{f.lon - 0.012, f.lat + 0.009},
            {f.lon + 0.013, f.lat + 0.008},
            {f.lon + 0.011, f.lat - 0.010},
            {f.lon - 0.010, f.lat - 0.009}};
}

TEST(UtmZones, ControlPointsAndDerivedPointsAgreeWithProj) {
    for (const Field& f : kFields) {
        SCOPED_TRACE(f.name);
        const std::vector<LonLat> corners = Corners(f);
        const std::vector<EN> proj = Cs2cs(corners, f.zone, f.south, false);
        ASSERT_EQ(proj.size(), corners.size());

        State s;
        const double e0 = proj[0].E, n0 = proj[0].N;
        for (std::size_t i = 0; i < corners.size(); ++i) {
            // North-up at 2 m per pixel: the exact map position of each corner.
            const auto xb = static_cast<float>((proj[i].E - e0) / 2 + 100);
            const auto yb = static_cast<float>((n0 - proj[i].N) / 2 + 100);
            ASSERT_TRUE(ReadClipboardPoint(s, Text(corners[i].lat, corners[i].lon), xb, yb));
        }
        EXPECT_EQ(s.UtmZone, f.zone);
        EXPECT_EQ(s.UtmSouth, f.south);
        for (std::size_t i = 0; i < corners.size(); ++i) {
            const TPt& p = s.Points[i];
            // Zone in front of the easting; northings from the equator, negative in the south.
            EXPECT_NEAR(p.E, f.zone * 1e6 + proj[i].E, 1e-3);
            EXPECT_NEAR(p.N, f.south ? proj[i].N - 1e7 : proj[i].N, 1e-3);
            const StandardUtm st = ToStandardUtm(s, p.E, p.N);
            EXPECT_EQ(st.epsg, (f.south ? 32700 : 32600) + f.zone);
            EXPECT_NEAR(st.easting, proj[i].E, 1e-3);
            EXPECT_NEAR(st.northing, proj[i].N, 1e-3);
            const ProjectUtm back = FromStandardUtm(s, st.easting, st.northing);
            EXPECT_NEAR(back.E, p.E, 1e-6);
            EXPECT_NEAR(back.N, p.N, 1e-6);
        }

        // Fit, then a point clicked in the middle gets its ground and geographic position
        // from the project's zone: compare with PROJ's inverse of the same standard UTM.
        TrafPar(s);
        TPt mid;
        mid.xb = 300;
        mid.yb = 250;
        s.Points.push_back(mid);
        Trafall(s);
        const TPt& m = s.Points.back();
        const StandardUtm st = ToStandardUtm(s, m.E, m.N);
        const std::vector<EN> geo = Cs2cs({{st.easting, st.northing}}, f.zone, f.south, true);
        ASSERT_EQ(geo.size(), 1u);
        // 1e-8 degrees is about 1 mm.
        EXPECT_NEAR(m.L, geo[0].E, 1e-8);
        EXPECT_NEAR(m.B, geo[0].N, 1e-8);
        EXPECT_NEAR(std::fabs(m.L - f.lon), 0, 0.05);
    }
}

TEST(UtmZones, Zone32ProjectsKeepTheOldValuesBitForBit) {
    State s;
    ASSERT_TRUE(ReadClipboardPoint(s, "48.1, 11.5", 10, 20));
    const UtmResult u = GeoToUTM(9, EllipsoidA, EllipsoidF, 48.1, 11.5);
    EXPECT_EQ(s.UtmZone, 32);
    EXPECT_FALSE(s.UtmSouth);
    EXPECT_EQ(s.Points[0].E, u.Y);
    EXPECT_EQ(s.Points[0].N, u.X);
    for (const double E : {32400000.5, 32686000.25, 32899999.0}) {
        const GeoResult a = UTMToGeo(EllipsoidA, EllipsoidF, 5330000.75, E);
        const GeoResult b = ProjectUtmToGeo(s, 5330000.75, E);
        EXPECT_EQ(a.B, b.B);
        EXPECT_EQ(a.L, b.L);
        EXPECT_EQ(a.c, b.c);
        EXPECT_EQ(a.m, b.m);
    }
}

TEST(UtmZones, TheFirstControlPointChoosesLaterOnesKeep) {
    State s;
    ASSERT_TRUE(ReadClipboardPoint(s, "40.4, -3.0", 0, 0));
    EXPECT_EQ(s.UtmZone, 30);
    // A second point across the zone border (zone 31) stays in the project's zone 30.
    ASSERT_TRUE(ReadClipboardPoint(s, "40.4, 0.5", 10, 0));
    EXPECT_EQ(s.UtmZone, 30);
    EXPECT_EQ(std::trunc(s.Points[1].E / 1e6), 30);
    EXPECT_FALSE(ZoneWarning(s, 0.5).has_value());
    // After every point is gone, a new project takes its zone from its own first point.
    s.Points.clear();
    ASSERT_TRUE(ReadClipboardPoint(s, "-33.9, 151.2", 0, 0));
    EXPECT_EQ(s.UtmZone, 56);
    EXPECT_TRUE(s.UtmSouth);
    // A refused text changes neither the points nor the zone.
    State t;
    EXPECT_ANY_THROW(ReadClipboardPoint(t, "-33.9, 200", 0, 0));
    EXPECT_EQ(t.UtmZone, 32);
    EXPECT_FALSE(t.UtmSouth);
}

TEST(UtmZones, ZoneOfALongitude) {
    const struct {
        double lon;
        int zone;
    } cases[] = {{-180, 1},       {-174.000001, 1}, {-174, 2}, {-45, 23},    {-3, 30},
                 {-0.000001, 30}, {0, 31},          {9, 32},   {11.999, 32}, {12, 33},
                 {15.5, 33},      {179.999, 60},    {180, 60}, {-186, 60},   {NAN, 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lon);
        EXPECT_EQ(UtmZoneForLongitude(c.lon), c.zone);
    }
    EXPECT_EQ(CentralMeridianOfZone(32), 9);
    EXPECT_EQ(CentralMeridianOfZone(30), -3);
    EXPECT_EQ(CentralMeridianOfZone(1), -177);
}

TEST(UtmZones, WarningMoreThanThreeDegreesOutsideTheZone) {
    State s; // zone 32: 6..12 E, warned beyond 3..15 E
    const struct {
        double lon;
        bool warned;
    } cases[] = {{9, false},   {3.0, false},  {15.0, false},
                 {2.99, true}, {15.01, true}, {-170, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lon);
        const auto w = ZoneWarning(s, c.lon);
        EXPECT_EQ(w.has_value(), c.warned);
        if (w) {
            EXPECT_NE(w->find("außerhalb der UTM-Zone 32"), std::string::npos) << *w;
        }
    }
    // Across 180 degrees: zone 60 (central meridian 177 E) reaches to 177 W without warning.
    s.UtmZone = 60;
    EXPECT_FALSE(ZoneWarning(s, -177.5).has_value());
    EXPECT_TRUE(ZoneWarning(s, -170).has_value());
}

TEST(UtmZones, FarWestOfTheCentralMeridianIsNotReadAsTheZoneBelow) {
    // At the equator 4.6 degrees west of 9 E lies more than 500 km from the central meridian:
    // its prefixed easting falls below 32 000 000 and reads as zone 31.
    State s;
    const UtmResult u = GeoToProjectUtm(s, 0.5, 4.4);
    ASSERT_LT(u.Y, 32000000.0);
    const GeoResult g = ProjectUtmToGeo(s, u.X, u.Y);
    EXPECT_NEAR(g.L, 4.4, 1e-7);
    EXPECT_NEAR(g.B, 0.5, 1e-7);
}

// A zone's ground reaches across 180 degrees: 179.5 W in zone 60 lies 3.5 degrees east of its
// central meridian, as 180.5 E would, and comes back as 179.5 W; likewise 179.5 E in zone 1.
TEST(UtmZones, LongitudesAcrossTheAntimeridianConvertTheShortWayRound) {
    const struct {
        int zone;
        double B, L, unwrapped;
    } cases[] = {{60, -17.0, -179.5, 180.5},
                 {60, 65.0, -177.2, 182.8},
                 {1, -17.0, 179.5, -180.5},
                 {1, 52.0, 178.1, -181.9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "zone " << c.zone << " at " << c.L);
        State s;
        s.UtmZone = c.zone;
        const UtmResult u = GeoToProjectUtm(s, c.B, c.L);
        const UtmResult same =
            GeoToUTM(CentralMeridianOfZone(c.zone), EllipsoidA, EllipsoidF, c.B, c.unwrapped);
        // Equal up to the rounding of the longitude difference (1e-14 degrees).
        EXPECT_NEAR(u.X, same.X, 1e-6);
        EXPECT_NEAR(u.Y, same.Y, 1e-6);
        EXPECT_NEAR(u.c, same.c, 1e-12);
        EXPECT_NEAR(u.Y, c.zone * 1e6 + 500000, 400000); // within the zone's strip
        const GeoResult g = ProjectUtmToGeo(s, u.X, u.Y);
        EXPECT_NEAR(g.L, c.L, 1e-8);
        EXPECT_NEAR(g.B, c.B, 1e-8);
        const GeoResult prefixed = UTMToGeo(EllipsoidA, EllipsoidF, u.X, u.Y);
        EXPECT_NEAR(prefixed.L, c.L, 1e-8);
    }
}

} // namespace
} // namespace korvale
