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

// The first path, for the values files carry (coordinates, heights, angles, speeds): exact
// integer arithmetic. With |v| = m * 2^-q (m < 2^53), |v| * 10^d is (m * 10^d) / 2^q; its whole
// part and the remainder decide the rounding exactly, unless the value lies so close to a half
// that its 18-digit text could land on that half; then, and outside the range of 128 bits,
// another path decides.
__extension__ typedef unsigned __int128 U128;

constexpr int kMaxScale = 22; // 10^22 * 2^53 < 2^127

constexpr U128 Pow10(int n) {
    U128 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

constexpr std::uint64_t kPow10_17 = 100'000'000'000'000'000ULL;

// |v| * 10^d rounded to a whole number by the rule of this file, for 0 <= d <= kMaxScale and a
// normal |v|; false when integers cannot decide it (the result would need more than 17 digits,
// or the value is within reach of a half).
bool ScaledRound(double a, int d, std::uint64_t& result) {
    static constexpr auto pow10 = [] {
        std::array<U128, kMaxScale + 1> t{};
        for (int i = 0; i <= kMaxScale; ++i)
            t[static_cast<std::size_t>(i)] = Pow10(i);
        return t;
    }();
    const auto bits = std::bit_cast<std::uint64_t>(a);
    const int biased = static_cast<int>(bits >> 52) & 0x7FF;
    if (biased == 0 || d < 0 || d > kMaxScale)
        return false;
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int e2 = biased - 1075; // |v| = m * 2^e2
    const U128 n = static_cast<U128>(m) * pow10[static_cast<std::size_t>(d)];
    if (e2 >= 0) {
        // A whole number: exact, no rounding; it must fit 17 digits.
        if (e2 > 60 || (n >> (127 - e2)) != 0)
            return false;
        const U128 whole = n << e2;
        if (whole >= kPow10_17)
            return false;
        result = static_cast<std::uint64_t>(whole);
        return true;
    }
    const int q = -e2;
    if (q > 126)
        return false;
    const U128 whole = n >> q;
    if (whole >= kPow10_17)
        return false;
    const U128 twice = (n & ((U128{1} << q) - 1)) << 1; // twice the remainder, below 2^(q+1)
    const U128 one = U128{1} << q;
    result = static_cast<std::uint64_t>(whole);
    if (twice >= one) {
        ++result; // at or above the half: its 18-digit text is too
        return true;
    }
    // Most values are far below the half: a quarter of the last place decides at once (the
    // bound below is at most a fifth of it while the whole part has up to 16 digits).
    if (one - twice > (one >> 1) && whole < kPow10_17 / 10)
        return true;
    // Below the half by (one - twice) / 2^(q+1) of the last place. The 18-digit text is within
    // 10^(L-18) of that place of the value (L the digits of the whole part); twenty times that
    // keeps clear of every rounding of the comparison itself.
    static constexpr double kTenth[18] = {1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12,
                                          1e-11, 1e-10, 1e-9,  1e-8,  1e-7,  1e-6,
                                          1e-5,  1e-4,  1e-3,  1e-2,  1e-1,  1};
    int L = 0;
    for (std::uint64_t p = 1; L < 17 && static_cast<std::uint64_t>(whole) >= p; p *= 10)
        ++L;
    // gap / 2^(q+1) with the power of two built directly (q + 1 <= 127)
    const double scale = std::bit_cast<double>(static_cast<std::uint64_t>(1023 - (q + 1)) << 52);
    const double gap = static_cast<double>(one - twice) * scale;
    return gap > kTenth[L] * 1.01;
}

// 10^-22 .. 10^22, exact as doubles up to 10^22 and correctly rounded below 1.
constexpr double kTenPowers[45] = {1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14,
                                   1e-13, 1e-12, 1e-11, 1e-10, 1e-9,  1e-8,  1e-7,  1e-6,  1e-5,
                                   1e-4,  1e-3,  1e-2,  1e-1,  1,     1e1,   1e2,   1e3,   1e4,
                                   1e5,   1e6,   1e7,   1e8,   1e9,   1e10,  1e11,  1e12,  1e13,
                                   1e14,  1e15,  1e16,  1e17,  1e18,  1e19,  1e20,  1e21,  1e22};

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
        int i = keep - 1;
        while (i >= 0 && s[i] == '9') {
            s[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++s[i];
        } else {
            s.insert(s.begin(), '1');
            s.pop_back();
            ++exp10;
        }
    }
    return s;
}

// 15 significant digits of a finite non-zero value, rounded by the rule of this file, into d;
// returns the place of d[0].
int Significant15(double v, char* d) {
    const double a = std::fabs(v);
    if (a >= DBL_MIN) {
        // The place of the first digit from the binary exponent (exact or one too low), then
        // the scale that leaves 15 digits before the point.
        const int b = (static_cast<int>(std::bit_cast<std::uint64_t>(a) >> 52) & 0x7FF) - 1023;
        int e = (b * 78913) >> 18; // floor(b * log10(2)) for |b| < 2^12
        if (e >= -23 && e <= 21 && a >= kTenPowers[e + 23])
            ++e;
        // A misjudged place shows as a result of 14 or 16 digits, which the next path takes.
        constexpr std::uint64_t kLow = 100'000'000'000'000ULL; // 10^14
        std::uint64_t r = 0;
        if (ScaledRound(a, 14 - e, r) && r >= kLow && r <= kLow * 10) {
            if (r == kLow * 10) {
                // 999...9.5 rounded up into the next place
                r = kLow;
                ++e;
            }
            for (int i = 14; i >= 0; --i, r /= 10)
                d[i] = static_cast<char>('0' + r % 10);
            return e;
        }
        const Shortest s = ToShortest(a);
        const int up = FastApplies(s) ? RoundsUp(s, 15) : -1;
        if (up >= 0) {
            for (int i = 0; i < 15; ++i)
                d[i] = i < s.n ? s.d[i] : '0';
            int e2 = s.exp10;
            if (up == 1 && Increment(d, 15)) {
                d[0] = '1'; // 999... + 1: the rest is zeros already
                ++e2;
            }
            return e2;
        }
    }
    int e = 0;
    const std::string s = RoundSignificant(ToDigits18(v), 15, e);
    s.copy(d, 15);
    return e;
}

} // namespace korvale::format_digits
