// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/tools.h"

#include <gtest/gtest.h>

#include "model/geodesy.h"

namespace korvale {
namespace {

TPt At(float x, float y) {
    TPt p;
    p.xb = x;
    p.yb = y;
    return p;
}

TEST(SelPoint, NearestPointOfAnyKindLowestIndexOnTiesMinusOneWhenEmpty) {
    State s;
    EXPECT_EQ(SelPoint(s, 5, 5), -1);
    s.Points = {At(0, 0), At(10, 0), At(0, 10), At(10, 0)};
    s.Points[2].Typ = 4;
    EXPECT_EQ(SelPoint(s, 9, 1), 1); // index 3 is as near: the lower index wins
    EXPECT_EQ(SelPoint(s, 1, 9), 2);
    EXPECT_EQ(SelPoint(s, -5000, -5000), 0); // no distance limit
}

TEST(ToolMode, ClickKeepsOnlyTheClickedToolsState) {
    ToolState all{true, true, true, true, true, true, true, true, true, true};
    const struct {
        Tool tool;
        bool ToolState::*member;
    } cases[] = {{Tool::Border, &ToolState::Border}, {Tool::Freeline, &ToolState::Freeline},
                 {Tool::POI, &ToolState::POI},       {Tool::Poly, &ToolState::Poly},
                 {Tool::Move, &ToolState::Move},     {Tool::PtDel, &ToolState::PtDel},
                 {Tool::Messen, &ToolState::Messen}, {Tool::Area, &ToolState::Area},
                 {Tool::Help, &ToolState::Help},     {Tool::Zone, &ToolState::Zone}};
    for (const auto& c : cases) {
        const ToolState r = ReleaseOthers(all, c.tool);
        ToolState want;
        want.*c.member = true;
        EXPECT_EQ(r.Border, want.Border);
        EXPECT_EQ(r.Freeline, want.Freeline);
        EXPECT_EQ(r.POI, want.POI);
        EXPECT_EQ(r.Poly, want.Poly);
        EXPECT_EQ(r.Move, want.Move);
        EXPECT_EQ(r.PtDel, want.PtDel);
        EXPECT_EQ(r.Messen, want.Messen);
        EXPECT_EQ(r.Area, want.Area);
        EXPECT_EQ(r.Help, want.Help);
        EXPECT_EQ(r.Zone, want.Zone);
        // A released button stays released.
        ToolState none;
        EXPECT_FALSE(ReleaseOthers(none, c.tool).*c.member);
    }
    const ToolState d = ReleaseOthers(all, Tool::DelAll);
    EXPECT_FALSE(d.Border || d.Freeline || d.POI || d.Poly || d.Move || d.PtDel || d.Messen ||
                 d.Area || d.Help || d.Zone);
}

TEST(ToolMode, LeftPressRuleAndNewPointKind) {
    const struct {
        ToolState t;
        PressRule rule;
        std::uint8_t kind;
    } cases[] = {
        {{}, PressRule::Add, KindPlain},
        {{.Area = true}, PressRule::Add, KindPlain},
        {{.Help = true}, PressRule::Add, KindPlain},
        {{.Border = true}, PressRule::Add, KindBorder},
        {{.Freeline = true}, PressRule::Add, KindFreeLine},
        {{.POI = true}, PressRule::Add, KindPOI},
        {{.Poly = true}, PressRule::Orbit, KindPlain},
        {{.Move = true}, PressRule::Move, KindPlain},
        {{.PtDel = true}, PressRule::Delete, KindPlain},
        {{.Messen = true}, PressRule::Measure, KindPlain},
        {{.Zone = true}, PressRule::Zone, KindPlain},
        // First rule that applies decides.
        {{.Poly = true, .PtDel = true, .Messen = true}, PressRule::Delete, KindPlain},
        {{.Poly = true, .Move = true, .Messen = true}, PressRule::Orbit, KindPlain},
        {{.Move = true, .Messen = true}, PressRule::Measure, KindPlain},
        {{.Move = true, .Zone = true}, PressRule::Move, KindPlain},
        {{.Border = true, .Freeline = true, .POI = true}, PressRule::Add, KindPOI},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeftPressRule(c.t), c.rule);
        EXPECT_EQ(NewPointKind(c.t), c.kind);
    }
}

TEST(ToolMode, ViewToMapAddsToolbarAndTabHeader) {
    const MapPos p = ViewToMap(100, 50, 40, 40);
    EXPECT_FLOAT_EQ(p.xb, 100);
    EXPECT_FLOAT_EQ(p.yb, 130);
}

TEST(MeasureText, ReleasePointAzimuthAndDistance) {
    TPt down;
    down.E = 32500000.0;
    down.N = 5300000.0;
    const struct {
        double dE, dN;
        const char* text;
    } cases[] = {
        {30, 40, "E 32500030.00 N 5300040.00 Az     36.870 Dist     50.000"},
        {0, 0, "E 32500000.00 N 5300000.00 Az      0.000 Dist      0.000"},
        {-3, 0, "E 32499997.00 N 5300000.00 Az    270.000 Dist      3.000"},
    };
    for (const auto& c : cases) {
        TPt up;
        up.E = down.E + c.dE;
        up.N = down.N + c.dN;
        EXPECT_EQ(MeasureText(down, up), c.text);
    }
}

} // namespace
} // namespace korvale
