// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/border.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace korvale;

namespace {

// Zone-prefixed eastings with odd fractions, so that lost digits would show.
constexpr double E0 = 32512345.678;
constexpr double N0 = 5301234.567;

TPt Pt(std::uint8_t typ, double e, double n) {
    TPt p;
    p.Typ = typ;
    p.E = e;
    p.N = n;
    return p;
}

State Square(bool clockwise) {
    State s;
    std::vector<std::pair<double, double>> c = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    if (clockwise)
        std::reverse(c.begin(), c.end());
    for (const auto& [e, n] : c)
        s.Points.push_back(Pt(KindBorder, E0 + e, N0 + n));
    return s;
}

} // namespace

TEST(SetBorderPointer, SquareOf100MetresIsOneHectareEitherWay) {
    for (const bool clockwise : {false, true}) {
        State s = Square(clockwise);
        ParamPageModel p;
        SetBorderPointer(s, p);
        EXPECT_EQ(s.BorderIdx, (std::vector<int>{0, 1, 2, 3, 0}));
        EXPECT_EQ(s.BorderLines, (std::vector<TLine>{{0, 1}, {1, 2}, {2, 3}, {3, 0}}));
        EXPECT_EQ(p.NumberBoxFlaeche.Text(), "1.000");
        // Products of prefixed eastings would lose about 1e-5 ha here.
        EXPECT_NEAR(p.NumberBoxFlaeche.Value(), 1.0, 1e-9);
    }
}

TEST(SetBorderPointer, FewPointsAndOtherKinds) {
    struct Case {
        std::vector<std::uint8_t> kinds;
        std::vector<int> idx;
        std::vector<TLine> lines;
    };
    const std::vector<Case> cases = {
        {{KindPlain, KindControl}, {}, {}},
        {{KindControl, KindBorder}, {1, 1}, {{1, 1}}},
        {{KindBorder, KindPOI, KindBorder}, {0, 2, 0}, {{0, 2}, {2, 0}}},
        {{KindControl, KindBorder, KindPlain, KindBorder, KindBorder, KindFreeLine},
         {1, 3, 4, 1},
         {{1, 3}, {3, 4}, {4, 1}}},
    };
    for (const Case& c : cases) {
        State s;
        for (std::size_t i = 0; i < c.kinds.size(); ++i)
            s.Points.push_back(Pt(c.kinds[i], E0 + 10.0 * static_cast<double>(i * i),
                                  N0 + 7.0 * static_cast<double>(i)));
        s.BorderLines = {{9, 9}}; // stale content is replaced
        ParamPageModel p;
        p.NumberBoxFlaeche.SetValue(5);
        SetBorderPointer(s, p);
        EXPECT_EQ(s.BorderIdx, c.idx);
        EXPECT_EQ(s.BorderLines, c.lines);
        if (c.idx.size() < 4)
            EXPECT_EQ(p.NumberBoxFlaeche.Value(), 0);
        else // triangle (10,7), (90,21), (160,28) relative to the first point's origin
            EXPECT_NEAR(p.NumberBoxFlaeche.Value() * 10000, 210.0, 1e-6);
    }
}

TEST(SetFreeLine, TakesTheWorkingListAndEmptiesTheRing) {
    State s = Square(false);
    s.Points.insert(s.Points.begin() + 1, Pt(KindFreeLine, E0 + 5, N0 + 5));
    s.Points.push_back(Pt(KindFreeLine, E0 + 6, N0 + 6));
    s.Points.push_back(Pt(KindFreeLine, E0 + 7, N0 + 9));
    ParamPageModel p;
    SetBorderPointer(s, p);
    ASSERT_FALSE(s.BorderLines.empty());
    SetFreeLine(s);
    EXPECT_EQ(s.BorderIdx, (std::vector<int>{1, 5, 6}));
    EXPECT_TRUE(s.BorderLines.empty());
    EXPECT_EQ(s.FreeLines, (std::vector<TLine>{{1, 5}, {5, 6}}));

    s.Points.resize(2); // one free-line point left: no segment
    SetFreeLine(s);
    EXPECT_EQ(s.BorderIdx, (std::vector<int>{1}));
    EXPECT_TRUE(s.FreeLines.empty());
}

TEST(CalcBorderMinMax, ClosingEntryAndOtherKinds) {
    State s = Square(false);
    s.Points.push_back(Pt(KindFreeLine, E0 - 500, N0 + 900));
    s.BorderIdx = {0, 1, 2, 3, 4, 0};
    CalcBorderMinMax(s);
    EXPECT_EQ(s.BorderEMin, E0);
    EXPECT_EQ(s.BorderEMax, E0 + 100);
    EXPECT_EQ(s.BorderNMin, N0);
    EXPECT_EQ(s.BorderNMax, N0 + 100);

    s.BorderIdx = {4};
    CalcBorderMinMax(s);
    EXPECT_EQ(s.BorderEMin, 1e10);
    EXPECT_EQ(s.BorderNMin, 1e10);
    EXPECT_EQ(s.BorderEMax, -1e10);
    EXPECT_EQ(s.BorderNMax, -1e10);
}
