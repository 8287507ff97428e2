// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// An imported area and imported control points are edits like any other: one step each, which
// undo takes back and redo brings again, and a refused file changes nothing and records nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/area_place.h"
#include "exchange/georef_files.h"
#include "georef/transform.h"
#include "model/error.h"
#include "model/geodesy.h"
#include "planning/border.h"
#include "planning/edits.h"

namespace korvale {
namespace {

constexpr double kTop = 80;

// About 1 m per pixel in zone 32, with a control point and an old border of three points.
State Georeferenced() {
    State s;
    s.TrafO = 0.98;
    s.TrafA = 0.17;
    s.TrafXbs = 400;
    s.TrafYbs = 300;
    s.TrafYs = 32512345.678;
    s.TrafXs = 5318000.5;
    const float pos[][2] = {{400, 300}, {100, 100}, {300, 120}, {200, 400}};
    for (std::size_t i = 0; i < 4; ++i) {
        TPt p;
        p.xb = pos[i][0];
        p.yb = pos[i][1];
        const EastNorth en = Trafone(s, p.xb, p.yb);
        p.E = en.E;
        p.N = en.N;
        p.Typ = i == 0 ? KindControl : KindBorder;
        s.Points.push_back(p);
    }
    return s;
}

void ExpectSamePoints(const State& a, const State& b) {
    ASSERT_EQ(a.Points.size(), b.Points.size());
    for (std::size_t i = 0; i < a.Points.size(); ++i) {
        EXPECT_EQ(a.Points[i].E, b.Points[i].E) << i;
        EXPECT_EQ(a.Points[i].N, b.Points[i].N) << i;
        EXPECT_EQ(a.Points[i].xb, b.Points[i].xb) << i;
        EXPECT_EQ(a.Points[i].Typ, b.Points[i].Typ) << i;
    }
    EXPECT_EQ(a.BorderIdx, b.BorderIdx);
    EXPECT_EQ(a.BorderLines, b.BorderLines);
    EXPECT_EQ(a.UtmZone, b.UtmZone);
    EXPECT_EQ(a.UtmSouth, b.UtmSouth);
}

TEST(Imports, AnAreaIsOneStepThatUndoTakesBack) {
    ParamPageModel p;
    State s = Georeferenced();
    SetBorderPointer(s, p);
    const State before = s;
    UndoHistory h;
    AreaPolygon field;
    field.ring = {{48.0, 9.16}, {48.0012, 9.1601}, {48.0013, 9.1622}, {47.9999, 9.1619}};
    PlaceArea(s, p, field, ProjectCentralMeridian(s), &h);
    ASSERT_EQ(s.Points.size(), 5u); // the control point and the four corners
    const State imported = s;
    const UndoStep u = h.Undo(s, p);
    EXPECT_EQ(u.text, "Rückgängig: Gebiet importieren");
    ExpectSamePoints(s, before);
    h.Redo(s, p);
    ExpectSamePoints(s, imported);

    // Refused: nothing changes, nothing is recorded.
    AreaPolygon line;
    line.ring = {{48.0, 9.16}, {48.001, 9.161}};
    EXPECT_THROW(PlaceArea(s, p, line, ProjectCentralMeridian(s), &h), Error);
    ExpectSamePoints(s, imported);
    EXPECT_EQ(h.UndoCount(), 1u);
}

TEST(Imports, ControlPointFilesAreOneStepAndAFreshProjectTakesTheirZone) {
    const std::string head = "mapX,mapY,sourceX,sourceY,enable\n";
    struct Case {
        const char* what;
        bool fresh; // no point has ground coordinates yet
        std::string text;
        int zone; // of the project afterwards; 0: refused
        bool south;
    };
    const Case cases[] = {
        {"utm of another zone, fresh", true,
         "#CRS: EPSG:32733\n" + head + "500000,6000000,10,-20,1\n500100,6000000,110,-20,1\n", 33,
         true},
        {"degrees without a system, fresh", true,
         head + "-60.5,-30.25,10,-20,1\n-60.49,-30.25,110,-20,1\n", 20, true},
        {"degrees, project with ground coordinates", false,
         head + "9.16,48.0,10,-20,1\n9.17,48.0,110,-20,1\n", 32, false},
        {"utm of another zone, project with ground coordinates", false,
         "#CRS: EPSG:32633\n" + head + "500000,5300000,10,-20,1\n", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ParamPageModel p;
        State s = Georeferenced();
        if (c.fresh)
            for (TPt& q : s.Points)
                q.E = q.N = 0;
        const State before = s;
        UndoHistory h;
        const GcpFile f = ReadGcpPoints(c.text);
        if (c.zone == 0) {
            EXPECT_THROW(ImportGcpControlPoints(s, p, f, kTop, &h), Error);
            ExpectSamePoints(s, before);
            EXPECT_EQ(h.UndoCount(), 0u);
            continue;
        }
        const std::size_t added = ImportGcpControlPoints(s, p, f, kTop, &h);
        EXPECT_EQ(added, f.points.size());
        ASSERT_EQ(s.Points.size(), before.Points.size() + added);
        EXPECT_EQ(s.UtmZone, c.zone);
        EXPECT_EQ(s.UtmSouth, c.south);
        const TPt& last = s.Points.back();
        EXPECT_EQ(last.Typ, KindControl);
        EXPECT_EQ(static_cast<int>(last.E / 1e6), c.zone);
        EXPECT_EQ(last.N < 0, c.south);
        // Back in the project's own terms: the point's standard UTM is the file's.
        if (f.crs == GcpCrs::Utm) {
            const StandardUtm back = ToStandardUtm(s, last.E, last.N);
            EXPECT_NEAR(back.easting, f.points.back().mapX, 1e-6);
            EXPECT_NEAR(back.northing, f.points.back().mapY, 1e-6);
        }
        EXPECT_EQ(h.Undo(s, p).text, "Rückgängig: Passpunkte laden");
        ExpectSamePoints(s, before);
    }
}

} // namespace
} // namespace korvale
