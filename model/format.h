// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The one number-to-text formatter of the system. Every number a user or a file sees goes
// through here: "." as decimal separator, no thousands separator, independent of the locale.
//
// Rounding: the value is first taken to 18 significant decimal digits; that digit string is
// then cut after the last written place and rounded up when the next digit is 5 or more
// (so halves go away from zero: 0.125 -> "0.13", 2.5 -> "3"). The 18 digits are those of the
// double's exact binary value: 1.005 is 1.00499999999999989... and gives "1.00".
// A value that rounds to zero is written without a minus sign ("0.00", never "-0.00").
// NaN is written "NAN", infinities "INF" and "-INF", in every function here.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace korvale {

// One argument of Format: an integer, a floating-point value or a text. Only the member named
// by `kind` is set: the argument is built at every call, so it is kept to two words and a tag.
struct FmtArg {
    enum class Kind : std::uint8_t { Int, Float, Str };
    FmtArg(int v) : kind(Kind::Int), i(v) {}
    FmtArg(long v) : kind(Kind::Int), i(v) {}
    FmtArg(long long v) : kind(Kind::Int), i(v) {}
    FmtArg(unsigned v) : kind(Kind::Int), i(v) {}
    FmtArg(std::size_t v) : kind(Kind::Int), i(static_cast<long long>(v)) {}
    FmtArg(double v) : kind(Kind::Float), d(v) {}
    FmtArg(float v) : kind(Kind::Float), d(v) {}
    FmtArg(const char* v) : kind(Kind::Str), s(v) {}
    FmtArg(std::string_view v) : kind(Kind::Str), s(v) {}
    FmtArg(const std::string& v) : kind(Kind::Str), s(v) {}
    Kind kind;
    union {
        long long i;
        double d;
        std::string_view s;
    };
};

// Formats with the notation used throughout: %d, %Wd, %W.Df, %Wf (2 decimals), %.Df, %f, %s,
// %%. A width is a minimum: the value is right-aligned in it, a longer value takes the room it
// needs, a minus sign counts inside the width. A float argument to %d, or an integer to %f, is
// converted (an integer is never truncated silently: %d of a float rounds like %.0f).
// Also accepted: %s of a number (an integer, or a float in the general format), %x/%X of an
// integer (hexadecimal, two's complement for negatives), %.Nd (at least N digits).
// Throws korvale::Error on a malformed format or too few arguments.
std::string Format(std::string_view fmt, std::initializer_list<FmtArg> args);

// Format, appending to `out` instead of returning a new text: writers of long files build them
// without a temporary text per line. On an error `out` may hold part of the text.
void FormatAppend(std::string& out, std::string_view fmt, std::initializer_list<FmtArg> args);

// Fixed-point text of v with `decimals` places (the rounding above), no width.
std::string FormatFixed(double v, int decimals);

// General format: the shortest text with at most 15 significant digits, no exponent for
// values from 1e-5 up to 1e15, otherwise "d.dddE+XX"; "." as decimal separator.
std::string FormatGeneral(double v);

// A DXF real value: always 23 characters, sign (blank or "-"), one digit, ".", 14 digits,
// "E", exponent sign and 4 exponent digits; 15 significant digits rounded to nearest.
std::string FormatDxfReal(double v);
// FormatDxfReal, appended to `out`.
void AppendDxfReal(std::string& out, double v);

} // namespace korvale
