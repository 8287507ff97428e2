// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The formatter's fast path must write every byte as the exact 18-digit formatter before it
// did: a sweep of random and chosen values through every notation the system writes, compared
// with the reference copy of that formatter.
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/format.h"
#include "tests/model/format_reference.h"

using namespace korvale;

namespace {

// Every notation of the files, the protocol and the status line, and a few wider ones.
const char* const kFloatFormats[] = {"%4d",    "%6.2f", "%10.6f", "%4f",   "%s",    "%10.3f",
                                     "%10.4f", "%5.1f", "%4.0f",  "%.0f",  "%.1f",  "%.2f",
                                     "%.3f",   "%.4f",  "%.8f",   "%.12f", "%.15f", "%.20f",
                                     "%d",     "%2d",   "%5d",    "%f",    "%.30f", "%.40f"};

struct Mismatch {
    std::string what;
};

void Compare(double v, std::vector<Mismatch>& bad) {
    auto check = [&](const std::string& got, const std::string& want, const char* how) {
        if (got != want && bad.size() < 20)
            bad.push_back({std::string(how) + " of " + reference::FormatGeneral(v) + " (bits " +
                           Format("%x", {static_cast<long long>(std::bit_cast<std::uint64_t>(v))}) +
                           "): '" + got + "' instead of '" + want + "'"});
    };
    for (const char* f : kFloatFormats)
        check(Format(f, {v}), reference::Format(f, {v}), f);
    check(FormatGeneral(v), reference::FormatGeneral(v), "general");
    check(FormatDxfReal(v), reference::FormatDxfReal(v), "DXF real");
    std::string appended = "x";
    AppendDxfReal(appended, v);
    std::string wantAppended = "x";
    wantAppended += reference::FormatDxfReal(v);
    check(appended, wantAppended, "appended DXF real");
    check(FormatFixed(v, 6), reference::FormatFixed(v, 6), "fixed 6");
}

// One decimal count only, for the sweeps that aim at the half of one place.
void CompareFixed(double v, int decimals, std::vector<Mismatch>& bad) {
    const std::string got = FormatFixed(v, decimals);
    const std::string want = reference::FormatFixed(v, decimals);
    const std::string fmt = "%12." + std::to_string(decimals) + "f";
    if ((got != want || Format(fmt, {v}) != reference::Format(fmt, {v})) && bad.size() < 20)
        bad.push_back({"fixed " + std::to_string(decimals) + " of " + reference::FormatGeneral(v) +
                       ": '" + got + "' instead of '" + want + "'"});
}

// How many values a sweep takes. By default a small share, which keeps the test quick in the
// sanitizer build too; with KORVALE_FORMAT_SWEEP=<factor> the full count times that factor, for
// a long run by hand (a factor of 20 compares some millions of values).
int SweepFactor() {
    const char* text = std::getenv("KORVALE_FORMAT_SWEEP");
    return text != nullptr ? std::atoi(text) : 0;
}

int Sweep(int quick, int full) {
    return SweepFactor() > 0 ? full * SweepFactor() : quick;
}

// Every exponent in a long run, every 16th otherwise.
int ExponentStep() {
    return SweepFactor() > 0 ? 1 : 16;
}

void ExpectNoMismatch(const std::vector<Mismatch>& bad) {
    for (const Mismatch& m : bad)
        ADD_FAILURE() << m.what;
}

} // namespace

TEST(FormatIdentity, RandomBitPatterns) {
    std::mt19937_64 rng(20261210);
    std::vector<Mismatch> bad;
    for (int i = 0; i < Sweep(1000, 50000); ++i)
        Compare(std::bit_cast<double>(rng()), bad);
    ExpectNoMismatch(bad);
}

TEST(FormatIdentity, DecimalsNearRoundingTies) {
    // Values typed with a few decimals lie on or next to the halves the notations cut at:
    // x.xx5, its neighbouring doubles, and single-precision values widened as the waypoints are.
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<long long> digits(0, 99999999);
    std::uniform_int_distribution<int> places(0, 8);
    std::vector<Mismatch> bad;
    for (int i = 0; i < Sweep(300, 25000); ++i) {
        const double scale = std::pow(10.0, places(rng));
        const double half = (static_cast<double>(digits(rng)) + 0.5) / scale;
        for (double v : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e300), -half,
                         static_cast<double>(static_cast<float>(half))})
            Compare(v, bad);
    }
    // Coordinates as the files carry them: latitudes, longitudes, UTM eastings with the zone.
    std::uniform_real_distribution<double> lat(-90, 90), east(32'300'000, 32'700'000);
    for (int i = 0; i < Sweep(100, 10000); ++i) {
        Compare(lat(rng), bad);
        Compare(static_cast<double>(static_cast<float>(lat(rng))), bad);
        Compare(east(rng), bad);
    }
    ExpectNoMismatch(bad);
}

TEST(FormatIdentity, ExtremesPowersAndSpecialValues) {
    std::vector<Mismatch> bad;
    const double special[] = {0.0,
                              -0.0,
                              DBL_MIN,
                              -DBL_MIN,
                              DBL_MAX,
                              -DBL_MAX,
                              DBL_TRUE_MIN,
                              std::nextafter(DBL_MIN, 0.0),
                              static_cast<double>(FLT_MAX),
                              static_cast<double>(FLT_MIN),
                              std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              0.1,
                              0.3,
                              1.005,
                              2.5,
                              0.125,
                              999.995,
                              9.9995,
                              0.49999999999999994,
                              9.999999999999999,
                              999999999999999.9,
                              1e15,
                              1e16,
                              1e17,
                              1e18,
                              1e22,
                              1e23,
                              123456789012345678.0,
                              4503599627370496.5,
                              9007199254740993.0};
    for (double v : special)
        Compare(v, bad);
    // Powers of ten and of two, their neighbours, and nines just below a power of ten.
    for (int e = -324; e <= 308; e += ExponentStep()) {
        const double p = std::pow(10.0, e);
        for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, 1e308), -p, 9.5 * p, 0.95 * p,
                         0.995 * p, 0.9999995 * p})
            Compare(v, bad);
    }
    for (int e = -1067; e <= 1023; e += ExponentStep()) {
        const double p = std::ldexp(1.0, e);
        for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, 1e308), 1.5 * p})
            Compare(v, bad);
    }
    ExpectNoMismatch(bad);
}

TEST(FormatIdentity, IntegersTextsAndMixedLinesAsBefore) {
    const long long ints[] = {0,
                              1,
                              -1,
                              7,
                              -123,
                              12345,
                              2147483647,
                              -2147483647 - 1,
                              4294967296LL,
                              std::numeric_limits<long long>::min(),
                              std::numeric_limits<long long>::max()};
    for (long long i : ints) {
        for (const char* f :
             {"%d", "%4d", "%2d", "%5d", "%.3d", "%x", "%4X", "%s", "%f", "%4.0f", "%10.6f"})
            EXPECT_EQ(Format(f, {i}), reference::Format(f, {i})) << f << " " << i;
    }
    EXPECT_EQ(Format("%6s|%.2s|%s|100%%", {"ab", "abc", 0.1}),
              reference::Format("%6s|%.2s|%s|100%%", {"ab", "abc", 0.1}));
    const std::string line = "%10.6f,%10.6f,%10.3f,%10.4f,%5.1f,%10.4f,%2d,%5.1f,";
    const std::initializer_list<FmtArg> args = {48.1234567, -11.5, 60.0, 270.0,
                                                0.0,        -0.0,  1,    -90.0};
    EXPECT_EQ(Format(line, args), reference::Format(line, args));
    std::string appended = "x";
    FormatAppend(appended, "%d,%4f,", {-1, 1500.0});
    EXPECT_EQ(appended, "x-1,1500.00,");
}

TEST(FormatIdentity, EveryShortIntegerAndTextLengthsAroundTheShortCopy) {
    // Every integer below 10^5 and its negative: the digit writers change at 10^2, 10^4 and 10^8.
    std::string got, want;
    for (long long i = -99'999; i <= 99'999; i += SweepFactor() > 0 ? 1 : 7) {
        FormatAppend(got, "%5d,", {i});
        want += reference::Format("%5d,", {i});
    }
    EXPECT_EQ(got, want);
    // Texts of 1 to 40 characters appended one after another: a short text is handed over as a
    // block of fixed size and cut back to its length.
    got.clear();
    want.clear();
    for (int width = 0; width <= 38; ++width) {
        std::string fmt = "%";
        fmt += std::to_string(width);
        fmt += ".1f;";
        FormatAppend(got, fmt, {-2.25});
        want += reference::Format(fmt, {-2.25});
        EXPECT_EQ(got, want) << fmt;
    }
}

TEST(FormatIdentity, FileValuesAndHalvesAtEveryScale) {
    std::mt19937_64 rng(20261211);
    std::vector<Mismatch> bad;
    // The values the files carry, widened from single precision where the waypoints are.
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180), height(-50, 500),
        east(32'300'000, 32'700'000), north(5'000'000, 6'000'000);
    std::uniform_int_distribution<long long> whole(-1'000'000, 1'000'000);
    for (int i = 0; i < Sweep(300, 2000); ++i) {
        for (const double v : {static_cast<double>(static_cast<float>(lat(rng))),
                               static_cast<double>(static_cast<float>(lon(rng))),
                               static_cast<double>(static_cast<float>(height(rng))), east(rng),
                               north(rng), east(rng) - 32'000'000, static_cast<double>(whole(rng)),
                               static_cast<double>(whole(rng)) / 8}) {
            for (const int d : {0, 1, 2, 3, 4, 6})
                CompareFixed(v, d, bad);
        }
    }
    // Halves of the last written place and the doubles next to them, for every decimal count the
    // integers take and whole parts up to 2^50 and beyond: the quick rounding keeps a margin to
    // the half that grows with the value.
    std::uniform_int_distribution<int> bits(1, 56);
    for (int i = 0; i < Sweep(500, 1500); ++i) {
        const int d = static_cast<int>(rng() % 23);
        const auto n = static_cast<double>(rng() >> (64 - bits(rng)));
        const double half = (n + 0.5) / std::pow(10.0, d);
        double below = half, above = half;
        for (int k = 0; k < 3; ++k) {
            CompareFixed(below, d, bad);
            CompareFixed(-above, d, bad);
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, 1e300);
        }
    }
    // Tiny and huge magnitudes through every notation.
    std::uniform_real_distribution<double> exponent(-320, 308);
    for (int i = 0; i < Sweep(20, 300); ++i)
        Compare(std::pow(10.0, exponent(rng)) * (rng() % 2 ? 1 : -1), bad);
    ExpectNoMismatch(bad);
}
