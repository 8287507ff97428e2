// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Clipboard text "latitude, longitude" to control point.
#include "georef/clipboard.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "model/convert.h"
#include "model/error.h"
#include "model/format.h"
#include "model/geodesy.h"

namespace korvale {
namespace {

TEST(ReadClipboardPoint, TextRules) {
    struct Case {
        const char* text;
        std::optional<double> B, L; // the point read, or none
        const char* message;        // the error, or nullptr
    };
    const char* const notTwoNumbers = "'' ist kein gültiger Gleitkommawert";
    const char* const badPosition =
        "Die Zwischenablage enthält keine gültige Position: die Breite muss zwischen -90 und "
        "90, die Länge zwischen -180 und 180 Grad liegen.";
    const Case cases[] = {
        {"48.1, 11.5", 48.1, 11.5, nullptr},
        {"48,1, 11,5", 48.1, 11.5, nullptr},
        {"48.1,11.5", 48.1, 11.5, nullptr},
        {"48,1,11,5", 48.1, 11.5, nullptr},
        {"  48.1 ,   11.5  ", 48.1, 11.5, nullptr},
        {"-33.9, -70.25", -33.9, -70.25, nullptr},
        {"4.81E1, 1.15e+1", 48.1, 11.5, nullptr},
        {"", std::nullopt, std::nullopt, nullptr},
        // No comma, or only a comma in front: the latitude text is empty.
        {"48.1 11.5", std::nullopt, std::nullopt, notTwoNumbers},
        {",48.1", std::nullopt, std::nullopt, notTwoNumbers},
        {"48.1,", std::nullopt, std::nullopt, notTwoNumbers},
        // Two commas mean "," as decimal separator: an altitude spoils the latitude text.
        {"48.1, 11.5, 520", std::nullopt, std::nullopt,
         "'48.1, 11.5' ist kein gültiger Gleitkommawert"},
        {"48,1, 11.5", std::nullopt, std::nullopt, "' 11.5' ist kein gültiger Gleitkommawert"},
        {"1.048,1, 11,5", std::nullopt, std::nullopt, "'1.048,1' ist kein gültiger Gleitkommawert"},
        {"48°6'N, 11°30'E", std::nullopt, std::nullopt,
         "'48°6'N' ist kein gültiger Gleitkommawert"},
        {"Breite, Länge", std::nullopt, std::nullopt, "'Breite' ist kein gültiger Gleitkommawert"},
        {"91, 11.5", std::nullopt, std::nullopt, badPosition},
        {"48.1, -180.5", std::nullopt, std::nullopt, badPosition},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        State s;
        TPt earlier;
        earlier.Typ = KindBorder;
        earlier.xb = 3;
        s.Points.push_back(earlier);

        if (c.message) {
            try {
                ReadClipboardPoint(s, c.text, 120.5f, 80.25f);
                ADD_FAILURE() << "text accepted";
            } catch (const Error& e) {
                // The message as it always was; a text that is no number adds what the
                // clipboard must hold on a second line.
                const std::string text = e.what();
                const std::string first = text.substr(0, text.find('\n'));
                EXPECT_EQ(first, c.message);
                if (e.kind() == ErrorKind::Conversion)
                    EXPECT_EQ(text, first + "\n" + kClipboardFormatHint);
                else
                    EXPECT_EQ(text, first);
            }
            EXPECT_EQ(s.Points.size(), 1u);
            continue;
        }
        const bool added = ReadClipboardPoint(s, c.text, 120.5f, 80.25f);
        EXPECT_EQ(added, c.B.has_value());
        if (!c.B) {
            EXPECT_EQ(s.Points.size(), 1u);
            continue;
        }
        ASSERT_EQ(s.Points.size(), 2u);
        const TPt& p = s.Points[1];
        // The first point of a project chooses the zone of its own longitude (zone 32 for
        // every German position, so these are the old values bit for bit).
        const int zone = UtmZoneForLongitude(*c.L);
        const UtmResult u =
            GeoToUTM(CentralMeridianOfZone(zone), EllipsoidA, EllipsoidF, *c.B, *c.L);
        EXPECT_EQ(s.UtmZone, zone);
        EXPECT_EQ(s.UtmSouth, *c.B < 0);
        EXPECT_EQ(p.Typ, KindControl);
        EXPECT_DOUBLE_EQ(p.B, *c.B);
        EXPECT_DOUBLE_EQ(p.L, *c.L);
        EXPECT_EQ(p.E, u.Y);
        EXPECT_EQ(p.N, u.X);
        EXPECT_EQ(p.c, 0.0);
        EXPECT_EQ(p.xb, 120.5f);
        EXPECT_EQ(p.yb, 80.25f);
        EXPECT_EQ(s.Points[0].Typ, KindBorder);
    }
}

TEST(ReadClipboardPoint, GivesTheZone32Position) {
    State s;
    ASSERT_TRUE(ReadClipboardPoint(s, "48.1, 11.5", 0, 0));
    // Roughly 186 km east of 9 degrees east, 5.33e6 m north of the equator, zone 32 in front.
    EXPECT_NEAR(s.Points[0].E, 32686000, 1000);
    EXPECT_NEAR(s.Points[0].N, 5330000, 5000);
}

TEST(ReadClipboardPoint, LeavesTheNumberFormatAlone) {
    State s;
    ASSERT_TRUE(ReadClipboardPoint(s, "48,1, 11,5", 0, 0));
    EXPECT_THROW(ReadClipboardPoint(s, "48,1, 11,5, 3", 0, 0), Error);
    EXPECT_EQ(Format("%6.2f", {1234.5}), "1234.50");
    EXPECT_EQ(FormatFixed(0.25, 2), "0.25");
    EXPECT_EQ(StrToFloat("2.5"), 2.5);
    EXPECT_THROW(StrToFloat("2,5"), Error);
}

} // namespace
} // namespace korvale
