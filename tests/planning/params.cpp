// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/params.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "model/error.h"

using namespace korvale;

namespace {

// Everything the computation may write, for "nothing changed" checks.
using Shot = std::vector<std::tuple<double, double, std::string>>;
Shot Snapshot(const ParamPageModel& p) {
    Shot out;
    for (const NumberBox* b : {&p.NumberBoxLG, &p.NumberBoxBG, &p.NumberBoxA, &p.NumberBoxB,
                               &p.NumberBoxFrameS, &p.NumberBoxBA})
        out.emplace_back(b->Raw(), b->Max(), b->Text());
    return out;
}

std::string ErrorText(ParamPageModel& p) {
    try {
        Rechnen(p);
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(Rechnen, StartValuesGiveTheWorkedExample) {
    ParamPageModel p;
    EXPECT_EQ(Rechnen(p), "");
    EXPECT_EQ(p.NumberBoxLG.Text(), "35");
    EXPECT_EQ(p.NumberBoxBG.Text(), "63");
    EXPECT_EQ(p.NumberBoxA.Text(), "7.1");
    EXPECT_EQ(p.NumberBoxB.Text(), "12.5");
    EXPECT_EQ(p.NumberBoxFrameS.Text(), "2");
    EXPECT_EQ(p.NumberBoxFrameS.Value(), 2.0); // later readers get the whole number
    EXPECT_EQ(p.NumberBoxBA.Text(), "4.6");
    // Exact values behind the shown ones; A and B may not exceed the footprint.
    EXPECT_NEAR(p.NumberBoxLG.Value(), 35.261097852, 1e-8);
    EXPECT_NEAR(p.NumberBoxBG.Value(), 62.686396181, 1e-8);
    EXPECT_NEAR(p.NumberBoxA.Value(), 7.052219570, 1e-8);
    EXPECT_NEAR(p.NumberBoxB.Value(), 12.537279236, 1e-8);
    EXPECT_DOUBLE_EQ(p.NumberBoxA.Max(), p.NumberBoxLG.Value());
    EXPECT_DOUBLE_EQ(p.NumberBoxB.Max(), p.NumberBoxBG.Value());
}

TEST(Rechnen, FormatOverlapsAndClamps) {
    struct Case {
        const char* name;
        std::string f, yb;
        double h, pOver, qOver;
        double lg, bg, a, b, frameS;
    };
    const std::vector<Case> cases = {
        {"3:2", "8.38", "3648", 40, 80, 80, 41.790930788, 62.686396181, 8.358186158, 12.537279236,
         2},
        {"overlap 0%", "8.38", "3078", 40, 0, 0, 35.261097852, 62.686396181, 35.261097852,
         62.686396181, 8},
        {"overlap 100%", "8.38", "3078", 40, 100, 100, 35.261097852, 62.686396181, 0, 0, 0},
        // Footprints of 1477 m and 2627 m are clamped to 1000, which bounds A and B too;
        // A = 1000 m at 15 km/h would be 240 s, clamped to 100.
        {"above 1000 m", "1", "3078", 200, 0, 80, 1000, 1000, 1000, 525.312, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParamPageModel p;
        p.EditF = c.f;
        p.EditYb = c.yb;
        p.NumberBoxH.SetValue(c.h);
        p.NumberBoxP.SetValue(c.pOver);
        p.NumberBoxQ.SetValue(c.qOver);
        EXPECT_EQ(Rechnen(p), "");
        EXPECT_NEAR(p.NumberBoxLG.Value(), c.lg, 1e-6);
        EXPECT_NEAR(p.NumberBoxBG.Value(), c.bg, 1e-6);
        EXPECT_NEAR(p.NumberBoxA.Value(), c.a, 1e-6);
        EXPECT_NEAR(p.NumberBoxB.Value(), c.b, 1e-6);
        EXPECT_EQ(p.NumberBoxFrameS.Value(), c.frameS);
        EXPECT_LE(p.NumberBoxA.Value(), p.NumberBoxA.Max());
        EXPECT_DOUBLE_EQ(p.NumberBoxA.Max(), p.NumberBoxLG.Value());
    }
}

TEST(Rechnen, BadTextOrFocalLengthChangesNothing) {
    struct Case {
        std::string ParamPageModel::*edit;
        std::string text;
        std::string message;
    };
    const std::vector<Case> cases = {
        {&ParamPageModel::EditF, "abc", "'abc' ist kein gültiger Gleitkommawert"},
        {&ParamPageModel::EditF, "8,38", "'8,38' ist kein gültiger Gleitkommawert"},
        {&ParamPageModel::EditAufloesung, "", "'' ist kein gültiger Gleitkommawert"},
        {&ParamPageModel::EditXb, "5472x", "'5472x' ist kein gültiger Gleitkommawert"},
        {&ParamPageModel::EditYb, "3,078", "'3,078' ist kein gültiger Gleitkommawert"},
        {&ParamPageModel::EditF, "0", "Brennweite"},
        {&ParamPageModel::EditF, "-8.38", "Brennweite"},
        {&ParamPageModel::EditF, "1e-305", "Kameradaten"}, // a scale beyond any number
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ParamPageModel p;
        p.EditXb = "4000"; // a first computation with other values, so there is something to keep
        Rechnen(p);
        p.EditXb = "5472";
        const auto before = Snapshot(p);
        p.*c.edit = c.text;
        p.NumberBoxH.SetValue(100);
        EXPECT_NE(ErrorText(p).find(c.message), std::string::npos) << ErrorText(p);
        EXPECT_EQ(Snapshot(p), before);
    }
}

TEST(Rechnen, SpeedZeroWritesGeometryAndExplains) {
    ParamPageModel p;
    p.NumberBoxFrameS.SetValue(7);
    p.NumberBoxV.SetValue(0);
    const std::string status = Rechnen(p);
    EXPECT_NE(status.find("0 km/h"), std::string::npos);
    EXPECT_EQ(p.NumberBoxFrameS.Value(), 0);
    EXPECT_EQ(p.NumberBoxA.Text(), "7.1");
    EXPECT_EQ(p.NumberBoxB.Text(), "12.5");
    EXPECT_EQ(p.NumberBoxBA.Text(), "4.6");
}

TEST(CheckBoxFormatClick, TogglingTwiceReturnsToStart) {
    ParamPageModel p;
    p.CheckBoxFormat = !p.CheckBoxFormat;
    CheckBoxFormatClick(p);
    EXPECT_EQ(p.CheckBoxFormatCaption, "3:2");
    EXPECT_EQ(p.EditXb, "5472");
    EXPECT_EQ(p.EditYb, "3648");
    EXPECT_EQ(p.NumberBoxLG.Value(), 0); // the derived values follow only at the next computation
    p.CheckBoxFormat = !p.CheckBoxFormat;
    CheckBoxFormatClick(p);
    EXPECT_TRUE(p.CheckBoxFormat);
    EXPECT_EQ(p.CheckBoxFormatCaption, "16:9");
    EXPECT_EQ(p.EditXb, "5472");
    EXPECT_EQ(p.EditYb, "3078");
}
