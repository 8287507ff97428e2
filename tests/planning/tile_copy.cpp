// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A tile-map copy replaces the control points and the fit in one step: undo brings back the
// points, the transformation and the window's map copy; a refused view changes nothing.
#include "planning/tile_copy.h"

#include <gtest/gtest.h>

#include <any>
#include <string>

#include "georef/clipboard.h"
#include "model/error.h"

namespace korvale {
namespace {

constexpr double kTop = 80;

// A project with two control points and a border point, fitted.
State Project() {
    State s;
    AddGeoControlPoint(s, 48.0, 9.16, 100, 100);
    AddGeoControlPoint(s, 48.001, 9.162, 300, 200);
    TrafPar(s);
    TPt b;
    b.xb = 200;
    b.yb = 150;
    b.Typ = KindBorder;
    s.Points.push_back(b);
    Trafall(s);
    return s;
}

void ExpectSame(const State& a, const State& b) {
    ASSERT_EQ(a.Points.size(), b.Points.size());
    for (std::size_t i = 0; i < a.Points.size(); ++i) {
        EXPECT_EQ(a.Points[i].E, b.Points[i].E) << i;
        EXPECT_EQ(a.Points[i].xb, b.Points[i].xb) << i;
        EXPECT_EQ(a.Points[i].Typ, b.Points[i].Typ) << i;
    }
    for (const auto& [x, y] : {std::pair{a.TrafO, b.TrafO},
                               {a.TrafA, b.TrafA},
                               {a.TrafM, b.TrafM},
                               {a.TrafYs, b.TrafYs},
                               {a.TrafXs, b.TrafXs},
                               {a.TrafXbs, b.TrafXbs},
                               {a.TrafYbs, b.TrafYbs}})
        EXPECT_EQ(x, y);
    EXPECT_EQ(a.UtmZone, b.UtmZone);
}

TEST(TileCopy, ReplacesTheControlPointsFitsAndUndoesAsOneStep) {
    const TileCopyPlan plan = PlanTileCopy({17, {48.1420, 11.5560}, {48.1360, 11.5700}}, 1305, 838);
    ParamPageModel p;
    State s = Project();
    const State before = s;
    UndoHistory h;
    const TrafResult r = TakeTileCopy(s, p, plan, kTop, &h, std::any(std::string("old copy")));
    EXPECT_FALSE(r.protocol.empty());
    // The border point stays (last), the two control points give way to the five of the copy.
    ASSERT_EQ(s.Points.size(), 6u);
    EXPECT_EQ(s.Points[0].Typ, KindBorder);
    for (std::size_t i = 0; i < 5; ++i) {
        const TPt& c = s.Points[i + 1];
        EXPECT_EQ(c.Typ, KindControl);
        EXPECT_EQ(c.xb, static_cast<float>(plan.points[i].x));
        EXPECT_EQ(c.yb, static_cast<float>(plan.points[i].y + kTop));
        EXPECT_EQ(c.B, plan.points[i].geo.B);
    }
    EXPECT_NE(s.TrafYs, before.TrafYs);
    const State taken = s;

    const UndoStep u = h.Undo(s, p, std::any(std::string("tile copy")));
    EXPECT_EQ(u.text, "Rückgängig: Kachelkarte übernehmen");
    ASSERT_TRUE(u.restoresExtra);
    EXPECT_EQ(std::any_cast<std::string>(u.extra), "old copy");
    ExpectSame(s, before);
    const UndoStep r2 = h.Redo(s, p);
    EXPECT_EQ(std::any_cast<std::string>(r2.extra), "tile copy");
    ExpectSame(s, taken);

    // A control point off the globe: refused before anything changes or is recorded.
    TileCopyPlan bad = plan;
    bad.points[4].geo.B = 91;
    EXPECT_THROW(TakeTileCopy(s, p, bad, kTop, &h), Error);
    ExpectSame(s, taken);
    EXPECT_EQ(h.UndoCount(), 1u);
}

} // namespace
} // namespace korvale
