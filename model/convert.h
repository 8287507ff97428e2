// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Strict text-to-number conversions with the system's German messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvale {

// Float: blanks before and after are skipped; then an optional sign, digits with at most one
// decimal separator, an optional exponent (E/e, optional sign, digits). Anything else, an
// empty text included, throws Error("'<text>' ist kein gültiger Gleitkommawert"). Only blanks
// (' ') are skipped, never tabs; no thousands separator; "inf"/"nan" are refused; a value too
// large for a double is refused, one too small for it reads as zero. The result is the
// correctly rounded double and does not depend on the C or C++ locale.
double StrToFloat(std::string_view text, char decimalSeparator = '.');

// Integer: blanks before are skipped; optional sign, then decimal digits, or hexadecimal after
// "$" or "0x" (a sign may stand before them: "-$10" is -16); nothing after them, not even a
// blank. Out of the 32-bit range (-2147483648..2147483647) or malformed throws
// Error("'<text>' ist kein gültiger Integerwert").
std::int32_t StrToInt(std::string_view text);

// The messages themselves, for callers that check before converting.
std::string FloatErrorText(std::string_view text);
std::string IntErrorText(std::string_view text);

} // namespace korvale
