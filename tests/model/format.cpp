// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/format.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <string>

#include <gtest/gtest.h>

#include "model/convert.h"
#include "model/error.h"

using namespace korvale;

namespace {

struct FmtCase {
    const char* fmt;
    double v;
    const char* want;
};

// Round half away from zero on the 18-digit decimal text of the value; width is a minimum
// with the sign inside it; no thousands separator ever.
const FmtCase kFloatCases[] = {
    {"%.2f", 0.125, "0.13"},
    {"%.2f", -0.125, "-0.13"},
    {"%.0f", 2.5, "3"},
    {"%.0f", -2.5, "-3"},
    {"%.0f", 0.5, "1"},
    {"%.0f", 0.49999999999999994, "0"},
    {"%.2f", 1.005, "1.00"}, // 1.00499999999999989... as a double
    {"%.2f", 999.995, "1000.00"},
    {"%.3f", 9.9995, "9.999"}, // 9.99949999999999939...
    {"%.1f", 0.05, "0.1"},
    {"%6.2f", -1.5, " -1.50"},
    {"%6.2f", 3.14159, "  3.14"},
    {"%6.2f", 123456.0, "123456.00"},
    {"%4f", 1000, "1000.00"},
    {"%4f", 1.5, "1.50"},
    {"%f", 2, "2.00"},
    {"%10.6f", 48.123456789, " 48.123457"},
    {"%10.6f", -11.0000005, "-11.000001"},
    {"%5.0f", 12.5, "   13"},
    {"%5.0f", -123456.7, "-123457"},
    {"%.2f", 1234567.891, "1234567.89"},
    {"%.2f", 32512345.678, "32512345.68"},
    {"%.4f", 0.00005, "0.0001"},
    {"%.4f", 0.000049999, "0.0000"},
    {"%.2f", 1e20, "100000000000000000000.00"},
    {"%.2f", 1e-300, "0.00"},
    {"%.2f", -0.001, "0.00"}, // rounds to zero: no sign
    {"%.2f", -0.0, "0.00"},
    {"%.0f", 0.0, "0"},
    {"%d", 2.5, "3"},
    {"%4d", -7.4, "  -7"},
};

} // namespace

TEST(Format, FixedRoundingAndWidth) {
    for (const auto& c : kFloatCases)
        EXPECT_EQ(Format(c.fmt, {c.v}), c.want) << c.fmt << " of " << c.v;
}

TEST(Format, IntegersTextsAndMixedLines) {
    EXPECT_EQ(Format("%4d", {7}), "   7");
    EXPECT_EQ(Format("%4d", {-123}), "-123");
    EXPECT_EQ(Format("%2d", {12345}), "12345");
    EXPECT_EQ(Format("%d", {std::numeric_limits<long long>::min()}), "-9223372036854775808");
    EXPECT_EQ(Format("%d", {std::size_t{42}}), "42");
    EXPECT_EQ(Format("%f", {3}), "3.00");
    EXPECT_EQ(Format("%s", {"Punkt"}), "Punkt");
    EXPECT_EQ(Format("%6s|", {std::string("ab")}), "    ab|");
    EXPECT_EQ(Format("100%%", {}), "100%");
    EXPECT_EQ(Format("%4d %10.6f %10.6f %s", {3, 48.5, 11.25, "ok"}),
              "   3  48.500000  11.250000 ok");
    EXPECT_EQ(Format("E/A-Fehler %d", {5}), "E/A-Fehler 5");
    EXPECT_EQ(Format("%.3d|%4X|%x", {7, 255, 4096}), "007|  FF|1000");
    EXPECT_EQ(Format("%s|%s", {12, 0.1}), "12|0.1");
}

TEST(Format, NonFiniteNeverCrashes) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Format("%6.2f", {std::nan("")}), "   NAN");
    EXPECT_EQ(Format("%.2f", {inf}), "INF");
    EXPECT_EQ(Format("%.2f", {-inf}), "-INF");
    EXPECT_EQ(FormatGeneral(std::nan("")), "NAN");
    EXPECT_EQ(FormatDxfReal(-inf).size(), 23u);
}

TEST(Format, MalformedFormatsAndMissingArgumentsThrow) {
    EXPECT_THROW(Format("%d %d", {1}), Error);
    EXPECT_THROW(Format("%", {1}), Error);
    EXPECT_THROW(Format("%6.2", {1.0}), Error);
    EXPECT_THROW(Format("%q", {1}), Error);
    EXPECT_THROW(Format("%d", {"text"}), Error);
}

TEST(Format, GeneralIsShortestWithFifteenDigits) {
    const struct {
        double v;
        const char* want;
    } cases[] = {
        {0, "0"},
        {1, "1"},
        {-3.25, "-3.25"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {2.4 * 4 / 10000 * (40 / 0.00838), "4.58233890214797"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},
        {1234567890123456789.0, "1.23456789012346E+18"},
        {0.00001, "0.00001"},
        {0.0000099, "9.9E-06"},
        {-2.5e-300, "-2.5E-300"},
        {0.30000000000000004, "0.3"},
        {999999999999999.9, "1E+15"}, // rounds up into the exponent form
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatGeneral(c.v), c.want) << c.want;
}

TEST(Format, DxfRealIsAlwaysTwentyThreeCharacters) {
    const struct {
        double v;
        const char* want;
    } cases[] = {
        {0, " 0.00000000000000E+0000"},
        {-0.0, " 0.00000000000000E+0000"},
        {10, " 1.00000000000000E+0001"},
        {-3.5, "-3.50000000000000E+0000"},
        {32512345.678, " 3.25123456780000E+0007"},
        {-5432109.8765, "-5.43210987650000E+0006"},
        {0.000123, " 1.23000000000000E-0004"},
        {1.0 / 3, " 3.33333333333333E-0001"},
        {9.999999999999999, " 1.00000000000000E+0001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDxfReal(c.v), c.want);
        EXPECT_EQ(FormatDxfReal(c.v).size(), 23u);
    }
}

namespace {

// Decimal comma and "." as thousands separator, as a German desktop has it.
struct GermanPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

} // namespace

TEST(Format, UnchangedUnderGermanLocale) {
    const std::locale before =
        std::locale::global(std::locale(std::locale::classic(), new GermanPunct));
    // The C library's locale too, where the machine has a German one.
    const std::string cBefore = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        std::setlocale(LC_ALL, "de_DE");

    EXPECT_EQ(Format("%6.2f|%d|%4f", {1234567.891, 1234567, 1000.0}), "1234567.89|1234567|1000.00");
    EXPECT_EQ(FormatGeneral(4.58233890214797), "4.58233890214797");
    EXPECT_EQ(FormatDxfReal(-3.5), "-3.50000000000000E+0000");
    EXPECT_EQ(StrToFloat("1234.5"), 1234.5);
    EXPECT_EQ(StrToFloat("1234,5", ','), 1234.5);
    EXPECT_THROW(StrToFloat("1234,5"), Error);
    EXPECT_THROW(StrToFloat("1.234,5", ','), Error);

    std::setlocale(LC_ALL, cBefore.c_str());
    std::locale::global(before);
}
