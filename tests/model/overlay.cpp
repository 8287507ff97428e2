// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/overlay.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using namespace korvale;

TEST(Overlay, PrimitivesKeepOrderAndCirclesTheirBox) {
    Overlay ov;
    ov.Line(ColBlue, 1, 2, 3, 4);
    ov.Circle(ColMagenta, 10, 20, 5);
    ov.Disc(ColCyan, 0, 0, 10);
    ov.Label(ColYellow, 5, 6, 50, 16, "P1");
    ASSERT_EQ(ov.Size(), 4u);
    const auto& it = ov.Items();
    EXPECT_EQ(it[0].kind, Primitive::Kind::Line);
    EXPECT_EQ(it[0].stroke, ColBlue);
    EXPECT_EQ(it[0].x2, 3);
    EXPECT_EQ(it[1].kind, Primitive::Kind::Circle);
    EXPECT_EQ(it[1].stroke, ColMagenta);
    EXPECT_EQ(it[1].x1, 5);
    EXPECT_EQ(it[1].y1, 15);
    EXPECT_EQ(it[1].x2, 15);
    EXPECT_EQ(it[1].y2, 25);
    EXPECT_EQ(it[2].kind, Primitive::Kind::Disc);
    EXPECT_EQ(it[2].fill, ColCyan);
    EXPECT_EQ(it[2].x1, -10);
    EXPECT_EQ(it[3].kind, Primitive::Kind::Label);
    EXPECT_EQ(it[3].text, "P1");
    EXPECT_EQ(it[3].fill, ColYellow);
    ov.Clear();
    EXPECT_EQ(ov.Size(), 0u);
}

TEST(Overlay, NonFiniteCoordinatesAreDropped) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    Overlay ov;
    ov.Line(ColBlue, nan, 0, 1, 1);
    ov.Line(ColBlue, 0, 0, 1, inf);
    ov.Circle(ColBlue, 0, nan, 5);
    ov.Disc(ColBlue, 0, 0, inf);
    ov.Label(ColBlue, 0, 0, -inf, 1, "x");
    EXPECT_EQ(ov.Size(), 0u);
    ov.Line(ColBlue, 0, 0, 1e300, -1e300);
    EXPECT_EQ(ov.Size(), 1u);
}

TEST(Overlay, FrontRequestIsTakenOnce) {
    Overlay ov;
    EXPECT_FALSE(ov.TakeFrontRequest());
    ov.RequestFront();
    EXPECT_TRUE(ov.TakeFrontRequest());
    EXPECT_FALSE(ov.TakeFrontRequest());
}

TEST(Overlay, MarkerColourAndRadiusPerKind) {
    const struct {
        int typ;
        Argb colour;
        double r;
    } cases[] = {{0, 0xFFADD8E6, 5},  {1, 0xFFFF00FF, 5}, {2, 0xFFFFFF00, 5},  {3, 0xFF0000FF, 5},
                 {4, 0xFF00FFFF, 10}, {5, 0xFF808080, 5}, {255, 0xFF808080, 5}};
    for (const auto& c : cases) {
        EXPECT_EQ(MarkerColour(c.typ), c.colour) << c.typ;
        EXPECT_EQ(MarkerRadius(c.typ), c.r) << c.typ;
    }
}
