// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/numberbox.h"

#include <cmath>

#include <gtest/gtest.h>

using namespace korvale;

TEST(NumberBox, RoundHalfEven) {
    const struct {
        double v, want;
    } cases[] = {{2.5, 2},
                 {3.5, 4},
                 {-2.5, -2},
                 {-3.5, -4},
                 {0.5, 0},
                 {1.5, 2},
                 {2.4, 2},
                 {2.6, 3},
                 {-0.4, 0},
                 {4503599627370497.0, 4503599627370497.0},
                 {0.49999999999999994, 0},
                 {7, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundHalfEven(c.v), c.want) << c.v;
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::nan(""))));
}

TEST(NumberBox, DefaultsAndClamping) {
    NumberBox box;
    EXPECT_EQ(box.Min(), 0);
    EXPECT_EQ(box.Max(), 100);
    EXPECT_EQ(box.Value(), 0);
    EXPECT_EQ(box.GetKind(), NumberBox::Kind::Float);

    EXPECT_TRUE(box.SetValue(150));
    EXPECT_EQ(box.Value(), 100);
    EXPECT_FALSE(box.SetValue(120)); // clamps to the same value
    EXPECT_TRUE(box.SetValue(-5));
    EXPECT_EQ(box.Value(), 0);

    NumberBox made(NumberBox::Kind::Float, 500, 10, 200, 2);
    EXPECT_EQ(made.Value(), 200);
}

TEST(NumberBox, NaNKeepsTheOldValue) {
    NumberBox box(NumberBox::Kind::Float, 12.5, 0, 100, 1);
    EXPECT_FALSE(box.SetValue(std::nan("")));
    EXPECT_EQ(box.Value(), 12.5);
    EXPECT_EQ(box.Text(), "12.5");
}

TEST(NumberBox, BoundsClampTheStoredValue) {
    NumberBox box(NumberBox::Kind::Float, 80, 0, 100, 2);
    box.SetMax(50);
    EXPECT_EQ(box.Raw(), 50);
    box.SetMin(60); // above Max: the range collapses onto the new minimum
    EXPECT_EQ(box.Min(), 60);
    EXPECT_EQ(box.Max(), 60);
    EXPECT_EQ(box.Raw(), 60);
    box.SetMax(1000);
    EXPECT_EQ(box.Raw(), 60);
    box.SetMin(-10);
    EXPECT_TRUE(box.SetValue(-3.25));
    EXPECT_EQ(box.Value(), -3.25);
}

TEST(NumberBox, IntegerKindHandsOutTheEvenNeighbourButKeepsTheRaw) {
    NumberBox box(NumberBox::Kind::Integer, 0, 0, 1000);
    box.SetValue(12.5);
    EXPECT_EQ(box.Value(), 12);
    EXPECT_EQ(box.Raw(), 12.5);
    EXPECT_EQ(box.Text(), "12");
    box.SetValue(13.5);
    EXPECT_EQ(box.Value(), 14);
    EXPECT_EQ(box.Text(), "14");
}

TEST(NumberBox, TextShowsDecimalsOrTheSetText) {
    NumberBox box(NumberBox::Kind::Float, 0, 0, 100000, 2);
    box.SetValue(1234.5678);
    EXPECT_EQ(box.Text(), "1234.57");
    EXPECT_EQ(box.Value(), 1234.5678); // the float box hands out its exact value
    box.SetText("---");
    EXPECT_EQ(box.Text(), "---");
    EXPECT_EQ(box.Value(), 1234.5678);
    box.SetValue(0.125);
    EXPECT_EQ(box.Text(), "0.13");
}
