// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/draw.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvale {
namespace {

using K = Primitive::Kind;

TPt At(float x, float y, std::uint8_t typ) {
    TPt p;
    p.xb = x;
    p.yb = y;
    p.Typ = typ;
    return p;
}

struct Seg {
    double x1, y1, x2, y2;
    bool operator==(const Seg&) const = default;
};

std::vector<Seg> Lines(const Overlay& o, Argb colour) {
    std::vector<Seg> r;
    for (const Primitive& p : o.Items()) {
        EXPECT_EQ(p.kind, K::Line);
        EXPECT_EQ(p.stroke, colour);
        r.push_back({p.x1, p.y1, p.x2, p.y2});
    }
    return r;
}

TEST(ShowPoints, CircleDiscAndLabelPerPointInKindColourAndRadius) {
    State s;
    s.Points = {At(100, 130, 0), At(50, 200, 4), At(10, 90, 1), At(7, 8, 9)};
    Overlay o;
    ShowPoints(s, o);
    EXPECT_TRUE(o.TakeFrontRequest());
    ASSERT_EQ(o.Size(), 12u);
    const struct {
        Argb colour;
        double r;
    } want[] = {{ColLightBlue, 5}, {ColCyan, 10}, {ColMagenta, 5}, {ColGrey, 5}};
    for (std::size_t i = 0; i < 4; ++i) {
        const TPt& p = s.Points[i];
        const Primitive& circle = o.Items()[3 * i];
        const Primitive& disc = o.Items()[3 * i + 1];
        const Primitive& label = o.Items()[3 * i + 2];
        const double r = want[i].r;
        EXPECT_EQ(circle.kind, K::Circle);
        EXPECT_EQ(circle.stroke, want[i].colour);
        EXPECT_DOUBLE_EQ(circle.x1, p.xb - r);
        EXPECT_DOUBLE_EQ(circle.y2, p.yb + r);
        EXPECT_EQ(disc.kind, K::Disc);
        EXPECT_EQ(disc.fill, want[i].colour);
        EXPECT_DOUBLE_EQ(disc.x2, p.xb + r);
        EXPECT_DOUBLE_EQ(disc.y1, p.yb - r);
        EXPECT_EQ(label.kind, K::Label);
        EXPECT_EQ(label.fill, want[i].colour);
        EXPECT_EQ(label.text, std::to_string(i));
        // Label box (xb, yb - r) to (xb + 20 + r, yb + r): xb + 30 for a point of interest.
        EXPECT_DOUBLE_EQ(label.x1, p.xb);
        EXPECT_DOUBLE_EQ(label.y1, p.yb - r);
        EXPECT_DOUBLE_EQ(label.x2, p.xb + 20 + r);
        EXPECT_DOUBLE_EQ(label.y2, p.yb + r);
    }
}

TEST(ShowPoints, EmptyListOnlyAsksForThePage) {
    State s;
    Overlay o;
    ShowPoints(s, o);
    EXPECT_EQ(o.Size(), 0u);
    EXPECT_TRUE(o.TakeFrontRequest());
}

TEST(RunningLines, ScanJoinsEachPointOfTheKindToTheNextOne) {
    const struct Case {
        const char* name;
        std::vector<TPt> pts;
        std::vector<Seg> border;
        std::vector<Seg> free;
    } cases[] = {
        {"kinds 1 2 1 2: point 1 to point 3, nothing from control points",
         {At(10, 100, 1), At(20, 100, 2), At(30, 100, 1), At(40, 110, 2)},
         {{20, 100, 40, 110}},
         {}},
        {"border then control: nothing until a second border point",
         {At(10, 100, 2), At(20, 100, 1)},
         {},
         {}},
        {"two border points at one position: no line",
         {At(10, 100, 2), At(10, 100, 2), At(30, 120, 2)},
         {{10, 100, 30, 120}},
         {}},
        {"start point with y not above 0.01 starts no segment",
         {At(10, 0.01f, 2), At(20, 100, 2), At(30, 120, 2)},
         {{20, 100, 30, 120}},
         {}},
        {"free line passes over other kinds",
         {At(1, 50, 3), At(2, 60, 0), At(3, 70, 3), At(4, 80, 2), At(5, 90, 3)},
         {},
         {{1, 50, 3, 70}, {3, 70, 5, 90}}},
        {"a single point draws nothing", {At(1, 50, 2)}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        State s;
        s.Points = c.pts;
        Overlay ob;
        ShowBorder(s, ob);
        EXPECT_EQ(Lines(ob, ColYellow), c.border);
        EXPECT_FALSE(ob.TakeFrontRequest());
        Overlay of;
        ShowFreeline(s, of);
        EXPECT_EQ(Lines(of, ColBlue), c.free);
    }
}

TEST(DisplayLines, DrawListedPairsInOrderAndSkipPairsOutsideThePoints) {
    State s;
    s.Points = {At(0, 100, 2), At(10, 100, 2), At(10, 110, 3), At(0, 110, 3)};
    s.BorderLines = {{1, 0}, {0, 4}, {-1, 2}, {2, 3}};
    s.FreeLines = {{3, 2}, {2, 7}};
    Overlay ob;
    DisplayBorderLine(s, ob);
    EXPECT_TRUE(ob.TakeFrontRequest());
    EXPECT_EQ(Lines(ob, ColYellow), (std::vector<Seg>{{10, 100, 0, 100}, {10, 110, 0, 110}}));
    Overlay of;
    DisplayFreeline(s, of);
    EXPECT_TRUE(of.TakeFrontRequest());
    EXPECT_EQ(Lines(of, ColBlue), (std::vector<Seg>{{0, 110, 10, 110}}));

    State empty;
    Overlay oe;
    DisplayBorderLine(empty, oe);
    EXPECT_EQ(oe.Size(), 0u);
    EXPECT_TRUE(oe.TakeFrontRequest());
}

} // namespace
} // namespace korvale
