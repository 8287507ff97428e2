// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The digits behind the number formatter: the exact 18-digit text of a double and the faster
// ways to the same rounding (exact integers, the shortest text). Only model/format.cpp uses it.
#pragma once

#include <cstdint>
#include <string>

namespace korvale::format_digits {

// A finite non-zero magnitude as 18 significant decimal digits: |v| = 0.d[0]d[1]...d[17] *
// 10^(exp10 + 1), that is d[0] stands at the place 10^exp10. The digits come from the
// correctly rounded shortest-independent conversion of the standard library, which does not
// look at the locale.
struct Digits18 {
    char d[18];
    int exp10;
};

Digits18 ToDigits18(double v);

// The fast path. Printing 18 exact digits is slow; the shortest text that reads back as the
// value (at most 17 digits) is several times faster and almost always decides the rounding
// too: the value, and its 18-digit text, lie so close to the shortest text that only a cut
// right at a half of the last kept place can come out differently. Those rare cases, and the
// ones the bound below does not cover, take the exact 18 digits.
struct Shortest {
    char d[17];
    int n;     // number of digits, 1..17; the last one is not 0 (except for a single 0)
    int exp10; // place of d[0]: 10^exp10
};

Shortest ToShortest(double a);

// Whether the 18-digit text, cut after k significant digits (0 <= k <= 15), rounds up: 1 yes,
// 0 no, -1 the shortest text cannot tell.
int RoundsUp(const Shortest& s, int k);

// Whether the shortest text may stand for the value's 18 digits (not so for a lone 1).
bool FastApplies(const Shortest& s);

// Adds 1 at the last of the n digits; true when the carry runs out of the first one.
bool Increment(char* d, int n);

// Rounds the 18 digits to `keep` significant digits (1..17), half away from zero.
std::string RoundSignificant(const Digits18& dg, int keep, int& exp10);

} // namespace korvale::format_digits
