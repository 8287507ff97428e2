// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Number texts: the strict conversions StrToFloat and StrToInt against an independent reading
// of the same grammar (the C library's strtod and plain 128-bit accumulation), and the
// formatter's texts read back by them.
//
// Input: the first byte picks the decimal separator ("." or ",") and the decimals of the
// round trip; the rest is the text.
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz_support.h"
#include "model/convert.h"
#include "model/format.h"

namespace {

using korvale::fuzz::SameBits;

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

bool HexDigit(char c) {
    return Digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The float grammar: blanks, optional sign, digits with at most one separator (at least one
// digit), optional exponent with at least one digit, blanks. Returns the text in the C
// notation, or nothing when the grammar refuses it.
std::optional<std::string> CFloatText(std::string_view t, char sep) {
    std::size_t i = 0;
    std::size_t end = t.size();
    while (i < end && t[i] == ' ')
        ++i;
    while (end > i && t[end - 1] == ' ')
        --end;
    std::string out;
    if (i < end && (t[i] == '+' || t[i] == '-'))
        out += t[i++];
    bool digits = false;
    bool point = false;
    for (; i < end; ++i) {
        if (Digit(t[i])) {
            digits = true;
            out += t[i];
        } else if (t[i] == sep && !point) {
            point = true;
            out += '.';
        } else {
            break;
        }
    }
    if (!digits)
        return std::nullopt;
    if (i < end && (t[i] == 'e' || t[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < end && (t[i] == '+' || t[i] == '-'))
            out += t[i++];
        bool expDigits = false;
        for (; i < end && Digit(t[i]); ++i) {
            expDigits = true;
            out += t[i];
        }
        if (!expDigits)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;
    return out;
}

// Wide enough for any integer the grammar may hold; a compiler extension, which the replay
// build (GCC, -Wpedantic) accepts only when marked as one.
__extension__ typedef __int128 Int128;

// The integer grammar and its value (any size), or nothing when the grammar refuses the text.
std::optional<Int128> IntValue(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ')
        ++i;
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        neg = t[i++] == '-';
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    } else if (t.substr(i, 2) == "0x" || t.substr(i, 2) == "0X") {
        base = 16;
        i += 2;
    }
    if (i == t.size())
        return std::nullopt;
    Int128 v = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (base == 10 ? !Digit(c) : !HexDigit(c))
            return std::nullopt;
        const int d = Digit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
        if (v < (static_cast<Int128>(1) << 40))
            v = v * base + d;
    }
    return neg ? -v : v;
}

void CheckFloat(std::string_view text, char sep, int decimals) {
    const std::optional<std::string> c = CFloatText(text, sep);
    std::optional<double> got;
    try {
        got = korvale::StrToFloat(text, sep);
    } catch (const korvale::Error& e) {
        FUZZ_CHECK(e.kind() == korvale::ErrorKind::Conversion);
        // what() ends at a NUL byte of the text; the message up to there is the whole one.
        FUZZ_CHECK(std::string_view(e.what()) == korvale::FloatErrorText(text).c_str());
    }
    if (!c) {
        FUZZ_CHECK(!got); // a text outside the grammar is refused
        return;
    }
    errno = 0;
    const double ref = std::strtod(c->c_str(), nullptr);
    if (std::isinf(ref)) {
        FUZZ_CHECK(!got); // too large for a double: refused, never infinity or zero
        return;
    }
    FUZZ_CHECK(got.has_value());
    FUZZ_CHECK(std::isfinite(*got));
    if (std::fabs(ref) >= DBL_MIN)
        FUZZ_CHECK(SameBits(*got, ref)); // correctly rounded, sign included
    else
        FUZZ_CHECK(*got == ref || *got == 0.0); // below the normal range: exact or zero

    // What the formatter writes reads back: fixed point to its decimals, the general format to
    // 15 digits, a DXF real to 15 digits. The general and DXF forms round to 15 digits, which
    // takes the largest doubles past the range; their writers refuse those themselves.
    const double v = *got;
    const auto readBack = [](const std::string& t) {
        return korvale::fuzz::MustSucceed("reading a formatted number",
                                          [&] { return korvale::StrToFloat(t); });
    };
    const double fixedBack = readBack(korvale::FormatFixed(v, decimals));
    const double tol = 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + std::fabs(v) * 0x1p-51;
    FUZZ_CHECK(std::fabs(fixedBack - v) <= tol);
    if (std::fabs(v) <= 1e308) {
        const double general = readBack(korvale::FormatGeneral(v));
        FUZZ_CHECK(std::fabs(general - v) <= std::fabs(v) * 1e-14 || std::fabs(v) < 1e-300);
        const double dxf = readBack(korvale::FormatDxfReal(v));
        FUZZ_CHECK(std::fabs(dxf - v) <= std::fabs(v) * 1e-14 || std::fabs(v) < 1e-300);
    }
}

void CheckInt(std::string_view text) {
    const std::optional<Int128> ref = IntValue(text);
    std::optional<std::int32_t> got;
    try {
        got = korvale::StrToInt(text);
    } catch (const korvale::Error& e) {
        FUZZ_CHECK(e.kind() == korvale::ErrorKind::Conversion);
        FUZZ_CHECK(std::string_view(e.what()) == korvale::IntErrorText(text).c_str());
    }
    const bool inRange = ref && *ref >= INT32_MIN && *ref <= INT32_MAX;
    FUZZ_CHECK(got.has_value() == inRange);
    if (!got)
        return;
    FUZZ_CHECK(*got == *ref);
    // The formatter's integer text reads back to the same number.
    const std::int32_t i = *got;
    for (const char* fmt : {"%d", "%11d"}) {
        const std::string t = korvale::Format(fmt, {i});
        FUZZ_CHECK(korvale::fuzz::MustSucceed("reading a formatted integer",
                                              [&] { return korvale::StrToInt(t); }) == i);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return korvale::fuzz::Run([&] {
        if (size == 0)
            return;
        const char sep = (data[0] & 1) != 0 ? ',' : '.';
        const int decimals = (data[0] >> 1) % 19;
        const std::string_view text = korvale::fuzz::Bytes(data + 1, size - 1);
        CheckFloat(text, sep, decimals);
        CheckInt(text);
    });
}
