// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/convert.h"

#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "model/error.h"

using namespace korvale;

namespace {

// The message of a refused text; every refusal of a conversion is of the conversion kind.
std::string FloatMessage(std::string_view text, char sep = '.') {
    try {
        StrToFloat(text, sep);
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Conversion) << e.what();
        return e.what();
    }
    return "no error";
}

std::string IntMessage(std::string_view text) {
    try {
        StrToInt(text);
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Conversion) << e.what();
        return e.what();
    }
    return "no error";
}

std::string Quote(std::string_view text) {
    std::string s(1, '\'');
    s += text;
    s += '\'';
    return s;
}

} // namespace

TEST(Convert, FloatAccepted) {
    const struct {
        const char* text;
        char sep;
        double want;
    } cases[] = {
        {"0", '.', 0},
        {"48.123456", '.', 48.123456},
        {"  -11.5  ", '.', -11.5},
        {"+3", '.', 3},
        {"5.", '.', 5},
        {".25", '.', 0.25},
        {"1e3", '.', 1000},
        {"1.5E-2", '.', 0.015},
        {"-2.5e+1", '.', -25},
        {"48,25", ',', 48.25},
        {"0.1", '.', 0.1},  // correctly rounded, the same double as the literal
        {"1e-400", '.', 0}, // below the smallest double: zero
        {"1.7976931348623157e308", '.', 1.7976931348623157e308},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToFloat(c.text, c.sep), c.want) << c.text;
    EXPECT_TRUE(std::signbit(StrToFloat("-0")));
    // Far below the smallest double without an exponent: also zero, not an error.
    EXPECT_EQ(StrToFloat("0." + std::string(400, '0') + "1"), 0);
    EXPECT_EQ(FloatMessage("1" + std::string(400, '0')).rfind("'1000", 0), 0u);
}

TEST(Convert, VeryLongTextsAreJudgedByTheirWholeMagnitude) {
    // Ten million zeros against an exponent of a hundred million: the exponent must not stop
    // counting while the zeros do, or a huge value reads as zero (and a tiny one is refused).
    const std::string zeros(10'000'000, '0');
    const std::string huge = "0." + zeros + "1e99999999";
    EXPECT_NE(FloatMessage(huge).find("' ist kein gültiger Gleitkommawert"), std::string::npos);
    EXPECT_EQ(StrToFloat("1" + zeros + "e-99999999"), 0);
    EXPECT_EQ(StrToFloat("0." + zeros + "1e10000005"), 1e4);
    EXPECT_NE(FloatMessage("1e99999999999999999999").find("kein gültiger"), std::string::npos);
    EXPECT_EQ(StrToFloat("1e-99999999999999999999"), 0);
}

TEST(Convert, FloatRefusedWithTheOriginalText) {
    const struct {
        const char* text;
        char sep;
    } cases[] = {
        {"", '.'},        {"   ", '.'},
        {"abc", '.'},     {"1,5", '.'},
        {"1.5", ','},     {"1.234,5", ','},
        {"1,234.5", '.'}, {"1.2.3", '.'},
        {"\t1", '.'},     {"1\t", '.'},
        {"1 2", '.'},     {"--1", '.'},
        {"+", '.'},       {".", '.'},
        {"-.", '.'},      {"1e", '.'},
        {"1e+", '.'},     {"e5", '.'},
        {"0x10", '.'},    {"inf", '.'},
        {"nan", '.'},     {"1.7976931348623159e308", '.'},
        {"1e400", '.'},   {"-1e309", '.'},
        {"1d", '.'},      {"1 000", '.'},
        {"5%", '.'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatMessage(c.text, c.sep), Quote(c.text) + " ist kein gültiger Gleitkommawert")
            << "[" << c.text << "]";
    EXPECT_EQ(FloatErrorText("x"), "'x' ist kein gültiger Gleitkommawert");
}

TEST(Convert, IntAcceptedAndRefused) {
    const struct {
        const char* text;
        std::int32_t want;
    } ok[] = {
        {"0", 0},
        {"42", 42},
        {"  -7", -7},
        {"+5", 5},
        {"$1F", 31},
        {"0x1f", 31},
        {"-$10", -16},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$7FFFFFFF", 2147483647},
        {"007", 7},
    };
    for (const auto& c : ok)
        EXPECT_EQ(StrToInt(c.text), c.want) << c.text;

    const char* bad[] = {"",    " ",          "1.0",         "1 ",
                         "1e3", "abc",        "$",           "0x",
                         "$G",  "2147483648", "-2147483649", "$80000000",
                         "--1", "1,000",      "\t1",         "99999999999999999999999"};
    for (const char* text : bad)
        EXPECT_EQ(IntMessage(text), Quote(text) + " ist kein gültiger Integerwert")
            << "[" << text << "]";
}
