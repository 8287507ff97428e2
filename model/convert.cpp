// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/convert.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "model/error.h"

namespace korvale {
namespace {

constexpr long long kExponentCap = 1'000'000'000'000'000;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

namespace {

// Built by appending: the chain of operator+ trips a false -Wrestrict of GCC 12 at -O3.
std::string Quoted(std::string_view text, std::string_view rest) {
    std::string s;
    s.reserve(text.size() + rest.size() + 1);
    s += '\'';
    s += text;
    s += rest;
    return s;
}

} // namespace

std::string FloatErrorText(std::string_view text) {
    return Quoted(text, "' ist kein gültiger Gleitkommawert");
}

std::string IntErrorText(std::string_view text) {
    return Quoted(text, "' ist kein gültiger Integerwert");
}

double StrToFloat(std::string_view text, char decimalSeparator) {
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && text[i] == ' ')
        ++i;
    while (end > i && text[end - 1] == ' ')
        --end;

    // Rebuild the number in the one notation the standard parser reads ("." and "e"), so the
    // result never depends on the locale of the process.
    std::string norm;
    norm.reserve(end - i + 1);
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            norm += '-';
        ++i;
    }
    bool anyDigit = false;
    bool seenSep = false;
    // Decimal magnitude of the first non-zero digit, to tell an underflow from an overflow.
    long long magnitude = 0;
    bool nonZero = false;
    for (; i < end; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            norm += c;
            anyDigit = true;
            if (!seenSep && (nonZero || c != '0')) {
                nonZero = true;
                ++magnitude;
            } else if (seenSep && !nonZero) {
                if (c == '0')
                    --magnitude;
                else
                    nonZero = true;
            }
        } else if (c == decimalSeparator && !seenSep) {
            norm += '.';
            seenSep = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        throw Error(ErrorKind::Conversion, FloatErrorText(text));
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        norm += 'e';
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            if (text[i] == '-')
                norm += '-';
            ++i;
        }
        const bool expNeg = text[i - 1] == '-';
        bool expDigit = false;
        long long expValue = 0;
        for (; i < end && IsDigit(text[i]); ++i) {
            norm += text[i];
            expDigit = true;
            // Saturates far above the length of any text a process can hold, so that no run
            // of zeros in the digits can outweigh an exponent that stopped growing.
            if (expValue < kExponentCap)
                expValue = expValue * 10 + (text[i] - '0');
        }
        magnitude += expNeg ? -expValue : expValue;
        if (!expDigit)
            throw Error(ErrorKind::Conversion, FloatErrorText(text));
    }
    if (i != end)
        throw Error(ErrorKind::Conversion, FloatErrorText(text));

    double v = 0;
    const auto res = std::from_chars(norm.data(), norm.data() + norm.size(), v);
    if (res.ptr != norm.data() + norm.size())
        throw Error(ErrorKind::Conversion, FloatErrorText(text));
    if (res.ec == std::errc::result_out_of_range) {
        // Too small to represent is zero; too large has no value at all.
        if (magnitude > 0)
            throw Error(ErrorKind::Conversion, FloatErrorText(text));
        v = norm[0] == '-' ? -0.0 : 0.0;
    } else if (res.ec != std::errc{} || !std::isfinite(v)) {
        throw Error(ErrorKind::Conversion, FloatErrorText(text));
    }
    return v;
}

std::int32_t StrToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool neg = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        neg = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        throw Error(ErrorKind::Conversion, IntErrorText(text));
    // Accumulate in 64 bits and stop as soon as the 32-bit range is left.
    constexpr long long limit = 2147483648LL; // magnitude of the smallest int32
    long long mag = 0;
    for (; i < text.size(); ++i) {
        const int d = base == 16 ? HexValue(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
        if (d < 0)
            throw Error(ErrorKind::Conversion, IntErrorText(text));
        mag = mag * base + d;
        if (mag > limit)
            throw Error(ErrorKind::Conversion, IntErrorText(text));
    }
    if (!neg && mag == limit)
        throw Error(ErrorKind::Conversion, IntErrorText(text));
    return static_cast<std::int32_t>(neg ? -mag : mag);
}

} // namespace korvale
