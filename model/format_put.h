// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Writers that put the text of one number straight into a caller's buffer, for the notations
// the files are written with. A number's text costs a few nanoseconds this way; building it in
// a string of its own and appending that costs several times as much. Only model/format.cpp
// uses it.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace korvale::format_digits {

// The exact path, for what the quick one (QuickRound below) leaves of the values files carry
// (coordinates, heights, angles, speeds): integer arithmetic. With |v| = m * 2^-q (m < 2^53), |v| *
// 10^d is (m * 10^d) / 2^q; its whole part and the remainder decide the rounding exactly, unless
// the value lies so close to a half that its 18-digit text could land on that half; then, and
// outside the range of 128 bits, another path decides.
__extension__ typedef unsigned __int128 U128;

constexpr int kMaxScale = 22; // 10^22 * 2^53 < 2^127

constexpr U128 Pow10(int n) {
    U128 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

constexpr std::uint64_t kPow10_17 = 100'000'000'000'000'000ULL;

// |v| * 10^d rounded to a whole number by the formatter's rule, for 0 <= d <= kMaxScale and a
// normal |v|; false when integers cannot decide it (the result would need more than 17 digits,
// or the value is within reach of a half).
inline bool ScaledRound(double a, int d, std::uint64_t& result) {
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

// The quicker first try, in floating point: x = |v| * 10^d is off the exact product by at most
// 2^-53 of it (10^d is exact up to 10^22), and the value's 18-digit text by at most 5 * 10^-18
// of it; so while x stays below 2^50, a fractional part of x farther than 2^-49 * x from the
// half rounds as the 18-digit text does. Closer to the half, or larger, the integers decide.
inline bool QuickRound(double a, int d, std::uint64_t& result) {
    static constexpr double kPow[kMaxScale + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (d < 0 || d > kMaxScale)
        return false;
    const double x = a * kPow[d];
    if (!(x < 0x1p50))
        return false;
    const auto t = static_cast<std::int64_t>(x); // the whole part, exact below 2^50
    const double f = x - static_cast<double>(t); // exact as well
    const double margin = x * 0x1p-49;
    if (f < 0.5 - margin)
        result = static_cast<std::uint64_t>(t);
    else if (f > 0.5 + margin)
        result = static_cast<std::uint64_t>(t) + 1;
    else
        return false;
    return true;
}

// "00" .. "99": two digits per division, half the dependent divisions of one digit each.
inline constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324"
                                      "25262728293031323334353637383940414243444546474849"
                                      "50515253545556575859606162636465666768697071727374"
                                      "75767778798081828384858687888990919293949596979899";

inline void PutPair(char* p, std::uint64_t pair) {
    std::memcpy(p, kDigitPairs + 2 * pair, 2);
}

// Decimal digits of u in front of `end`; returns their start. At least one digit ("0").
inline char* PutDigitsBack(std::uint64_t u, char* end) {
    char* p = end;
    while (u >= 100) {
        p -= 2;
        PutPair(p, u % 100);
        u /= 100;
    }
    if (u >= 10) {
        p -= 2;
        PutPair(p, u);
    } else {
        *--p = static_cast<char>('0' + u);
    }
    return p;
}

// The eight decimal digits of u < 10^8, first digit in the lowest byte: the divisions by 10^4,
// 10^2 and 10 done on all parts at once in the lanes of one 64-bit word (each lane's product
// stays inside its lane, and the multiply-shift pairs are exact for the lane's range).
[[gnu::always_inline]] inline std::uint64_t Encode8(std::uint64_t u) {
    static_assert(std::endian::native == std::endian::little, "digit bytes are stored in order");
    std::uint64_t x = (u / 10000) | ((u % 10000) << 32);           // abcd | efgh << 32
    std::uint64_t y = ((x * 10486) >> 20) & 0x0000007F0000007FULL; // each lane / 100
    x = y | ((x - y * 100) << 16);                                 // ab | cd | ef | gh
    y = ((x * 103) >> 10) & 0x000F000F000F000FULL;                 // each lane / 10
    x = y | ((x - y * 10) << 8);
    return x | 0x3030303030303030ULL;
}

// The four decimal digits of u < 10^4 in the high half of the word, as Encode8 leaves them for
// such a number: half the lanes, half the steps (u / 100 by multiplication is exact up to 43698).
[[gnu::always_inline]] inline std::uint64_t Encode4(std::uint64_t u) {
    const std::uint64_t hi = (u * 5243) >> 19;                 // u / 100
    std::uint64_t x = hi | ((u - hi * 100) << 16);             // ab | cd
    const std::uint64_t y = ((x * 103) >> 10) & 0x000F000FULL; // each lane / 10
    x = y | ((x - y * 10) << 8);
    return (x << 32) | 0x3030303030303030ULL;
}

// Writes the last k (0..8) digits of u < 10^8 at p as one 8-byte store; the bytes behind the k
// digits are overwritten by whatever comes next or lie in the room behind the text.
// Zeros and numbers below 10^4, frequent in the files (action columns, whole degrees, heights,
// waypoint numbers), skip the eight-digit conversion.
[[gnu::always_inline]] inline char* PutTail(char* p, std::uint64_t u, int k) {
    if (k <= 0)
        return p;
    if (k > 8)
        __builtin_unreachable(); // eight digits fill the store
    std::uint64_t x = 0x3030303030303030ULL;
    if (u >= 10000) {
        x = Encode8(u);
    } else if (u >= 100) {
        x = Encode4(u);
    } else if (u != 0) {
        // the two digits in the last two bytes, before the shift below
        std::uint16_t pair = 0;
        std::memcpy(&pair, kDigitPairs + 2 * u, 2);
        x = (x & 0x0000FFFFFFFFFFFFULL) | (std::uint64_t{pair} << 48);
    }
    x >>= 64 - 8 * k;
    std::memcpy(p, &x, 8);
    return p + k;
}

// Writes exactly k (0..24) digits of u, with zeros in front; u < 10^k and u < 10^24.
[[gnu::always_inline]] inline char* PutExact(char* p, std::uint64_t u, int k) {
    constexpr std::uint64_t k8 = 100'000'000;
    constexpr std::uint64_t k16 = k8 * k8;
    if (k > 16) {
        p = PutTail(p, u / k16, k - 16);
        u %= k16;
        k = 16;
    }
    if (k > 8) {
        p = PutTail(p, u / k8, k - 8);
        u %= k8;
        k = 8;
    }
    return PutTail(p, u, k);
}

constexpr auto kPow10u = [] {
    std::array<std::uint64_t, 20> t{};
    std::uint64_t p = 1;
    for (std::size_t i = 0; i < t.size(); ++i, p *= 10)
        t[i] = p;
    return t;
}();

// r / 10^d for r < 2^57 and 1 <= d <= 16 by a multiplication: with s >= 57 + ceil(log2(10^d)),
// the multiplier floor(2^s / 10^d) + 1 exceeds 2^s / 10^d by at most 1, so the shifted product
// is the exact quotient for every numerator below 2^57. s is taken at least 64, so that the
// quotient is a shift of the high word of the product alone (a hardware division takes several
// times as long; a shift of the whole 128-bit product by a variable count several steps); the
// multiplier still fits 64 bits, as 10^d >= 10.
struct Divisor {
    std::uint64_t mul;
    int shift; // s - 64
};
constexpr auto kDivPow10 = [] {
    std::array<Divisor, 17> t{};
    for (std::size_t d = 1; d < t.size(); ++d) {
        const U128 D = Pow10(static_cast<int>(d));
        int l = 0;
        while ((U128{1} << l) < D)
            ++l;
        const int s = 57 + l > 64 ? 57 + l : 64;
        t[d] = {static_cast<std::uint64_t>((U128{1} << s) / D + 1), s - 64};
    }
    return t;
}();

inline std::uint64_t DivPow10(std::uint64_t r, int d) {
    const Divisor& k = kDivPow10[static_cast<std::size_t>(d)];
    return static_cast<std::uint64_t>((static_cast<U128>(r) * k.mul) >> 64) >> k.shift;
}

// Number of decimal digits of u (1 for 0).
inline int CountDigits(std::uint64_t u) {
    // floor(log10(2) * bits) is the digit count or one less
    const std::uint64_t w = u | 1; // the same count, and no special case for 0
    const int t = ((64 - std::countl_zero(w)) * 1233) >> 12;
    return t + (w >= kPow10u[static_cast<std::size_t>(t)] ? 1 : 0);
}

// The widest field the writers below fill, and the room they need behind the place they write
// to: the padding goes as one block of kMaxFastWidth blanks, the digits in blocks of eight, both
// partly overwritten by what follows. Fixed-size stores compile to a few moves; exact lengths
// would cost a library call each. The text is written in place: digits built elsewhere and
// copied would be read back before the processor has stored them.
constexpr int kMaxFastWidth = 64;
constexpr std::size_t kFastRoom = kMaxFastWidth + 40;

// Where a text of `len` characters starts when right-aligned in `width` at p.
inline char* Align(char* p, int len, int width) {
    if (width > len) {
        std::memset(p, ' ', kMaxFastWidth);
        p += width - len;
    }
    return p;
}

// Writes v with `dec` decimals, right-aligned in `width`, by the rounding of the formatter, to
// p, which has kFastRoom bytes of room. Returns the end of the text, or nullptr for what the
// general path has to write: a value that is not finite or subnormal, needs more than 17
// digits or lies within reach of a half; more than kMaxScale decimals; a wider field.
[[gnu::always_inline]] inline char* PutFixed(char* p, double v, int dec, int width) {
    if (dec < 0 || dec > kMaxScale || width > kMaxFastWidth)
        return nullptr;
    std::uint64_t r = 0;
    const double a = v < 0 ? -v : v;
    if (a != 0 && !QuickRound(a, dec, r) && !ScaledRound(a, dec, r))
        return nullptr;
    // r < 10^17: the whole part and the decimals; with more than 17 decimals r < 10^dec.
    std::uint64_t whole = r;
    std::uint64_t frac = 0;
    if (dec >= 17) {
        whole = 0;
        frac = r;
    } else if (dec > 0) {
        whole = DivPow10(r, dec);
        frac = r - whole * kPow10u[static_cast<std::size_t>(dec)];
    }
    // A value that rounds to zero is written without a sign: "-0.00" would only make a reader
    // wonder whether something is wrong.
    const bool sign = v < 0 && r != 0;
    const int digits = CountDigits(whole);
    const int len = (sign ? 1 : 0) + digits + (dec > 0 ? 1 + dec : 0);
    p = Align(p, len, width);
    *p = '-';
    p += sign ? 1 : 0;
    p = PutExact(p, whole, digits);
    if (dec > 0) {
        *p++ = '.';
        p = PutExact(p, frac, dec);
    }
    return p;
}

// Writes the integer v with at least minDigits digits, right-aligned in `width`, to p, which
// has kFastRoom bytes of room; nullptr for a wider field or more than 20 digits asked for.
inline char* PutInt(char* p, long long v, int minDigits, int width) {
    if (minDigits > 20 || width > kMaxFastWidth)
        return nullptr;
    const std::uint64_t u =
        v < 0 ? 0ULL - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    int digits = CountDigits(u);
    if (digits < minDigits)
        digits = minDigits;
    const int len = digits + (v < 0 ? 1 : 0);
    p = Align(p, len, width);
    *p = '-';
    p += v < 0 ? 1 : 0;
    // 20 digits (above 10^19) go as 4 + 16: PutExact takes u < 10^24.
    return PutExact(p, u, digits);
}

} // namespace korvale::format_digits
