// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/format_digits.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <system_error>

namespace korvale::format_digits {
Digits18 ToDigits18(double v) {
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 17);
    // res.ec cannot fail with this buffer size; the layout is "d.ddddddddddddddddde[+-]XX".
    Digits18 out{};
    const char* p = buf;
    out.d[0] = *p++;
    ++p; // '.'
    for (int i = 1; i < 18; ++i)
        out.d[i] = *p++;
    ++p; // 'e'
    const bool neg = *p == '-';
    ++p;
    int e = 0;
    for (; p < res.ptr; ++p)
        e = e * 10 + (*p - '0');
    out.exp10 = neg ? -e : e;
    return out;
}

Shortest ToShortest(double a) {
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific);
    // The layout is "d[.ddd]e[+-]XX[X]".
    Shortest s{};
    const char* p = buf;
    s.d[s.n++] = *p++;
    if (*p == '.') {
        ++p;
        while (*p != 'e')
            s.d[s.n++] = *p++;
    }
    ++p; // 'e'
    const bool neg = *p == '-';
    ++p;
    int e = 0;
    for (; p < res.ptr; ++p)
        e = e * 10 + (*p - '0');
    s.exp10 = neg ? -e : e;
    return s;
}

namespace {

// True when the shortest text is the double's exact value: a whole number or a binary
// fraction that fits 53 bits. Then the 18-digit text is the shortest text with zeros behind.
bool IsExact(const Shortest& s) {
    std::uint64_t sig = 0;
    for (int i = 0; i < s.n; ++i)
        sig = sig * 10 + static_cast<std::uint64_t>(s.d[i] - '0');
    const int p = s.exp10 - s.n + 1; // value = sig * 10^p
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 53;
    if (p >= 0) {
        // sig * 5^p must fit 53 bits once the factors 2 are gone; 2^p only moves the exponent.
        for (int i = 0; i < p; ++i) {
            if (sig > kLimit)
                return false;
            sig *= 5;
        }
    } else {
        // sig / 10^q is a binary fraction only when 5^q divides sig.
        const int q = -p;
        if (q > 25)
            return false;
        std::uint64_t five = 1;
        for (int i = 0; i < q; ++i)
            five *= 5;
        if (sig % five != 0)
            return false;
        sig /= five;
    }
    while (sig != 0 && (sig & 1) == 0)
        sig >>= 1;
    return sig <= kLimit;
}

} // namespace

// Whether the 18-digit text, cut after k significant digits (0 <= k <= 15), rounds up: 1 yes,
// 0 no, -1 the shortest text cannot tell. The value lies within half a unit of its last binary
// place of the shortest text, at most 1.12 * 10^(exp10 - 15) for a normal double, and the
// 18-digit text within 0.05 * 10^(exp10 - 15) of the value; so both are on the same side of the
// half of the last kept place as the shortest text unless that text is within
// 1.2 * 10^(exp10 - 15) of it, which is 1.2 * 10^(n - 16) units of its own last digit.
int RoundsUp(const Shortest& s, int k) {
    if (k >= s.n)
        return 0; // the tail is zero, half a kept place away from any half
    std::uint64_t tail = 0;
    std::uint64_t half = 5;
    for (int i = k; i < s.n; ++i) {
        tail = tail * 10 + static_cast<std::uint64_t>(s.d[i] - '0');
        if (i > k)
            half *= 10;
    }
    if (tail == half)
        return IsExact(s) ? 1 : -1;
    const std::uint64_t diff = tail > half ? tail - half : half - tail;
    const std::uint64_t need = s.n <= 15 ? 1 : (s.n == 16 ? 2 : 13);
    if (diff < need)
        return -1;
    return tail > half ? 1 : 0;
}

// The fast path applies to normal doubles whose shortest text is not a lone 1 (a power of ten
// may stand for a value just below it, whose 18 digits start one place lower).
bool FastApplies(const Shortest& s) {
    return !(s.n == 1 && s.d[0] == '1');
}

// Adds 1 at the last of the n digits; returns true when the carry runs out of the first one
// (all nines), which the caller handles.
bool Increment(char* d, int n) {
    int i = n - 1;
    while (i >= 0 && d[i] == '9') {
        d[i] = '0';
        --i;
    }
    if (i < 0)
        return true;
    ++d[i];
    return false;
}

// Rounds the 18 digits to `keep` significant digits (1..17), half away from zero. Returns the
// kept digits; a carry out of the first digit shifts the exponent.
std::string RoundSignificant(const Digits18& dg, int keep, int& exp10) {
    std::string s(dg.d, dg.d + keep);
    exp10 = dg.exp10;
    if (dg.d[keep] >= '5') {
        // The carry moves left over the nines; i digits are left before it (0: it ran out).
        auto i = static_cast<std::size_t>(keep);
        while (i > 0 && s[i - 1] == '9') {
            s[i - 1] = '0';
            --i;
        }
        if (i > 0) {
            ++s[i - 1];
        } else {
            s.insert(s.begin(), '1');
            s.pop_back();
            ++exp10;
        }
    }
    return s;
}

} // namespace korvale::format_digits
