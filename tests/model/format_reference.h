// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The number formatter as it stood before its fast path, kept unchanged as the reference that
// the identity sweep compares the production formatter with byte for byte.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "model/error.h"
#include "model/format.h"

namespace reference {
using korvale::Error;
using korvale::ErrorKind;
using korvale::FmtArg;
namespace detail {

// A finite non-zero magnitude as 18 significant decimal digits: |v| = 0.d[0]d[1]...d[17] *
// 10^(exp10 + 1), that is d[0] stands at the place 10^exp10. The digits come from the
// correctly rounded shortest-independent conversion of the standard library, which does not
// look at the locale.
struct Digits18 {
    char d[18];
    int exp10;
};

inline Digits18 ToDigits18(double v) {
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

// Rounds the 18 digits to `keep` significant digits (1..17), half away from zero. Returns the
// kept digits; a carry out of the first digit shifts the exponent.
inline std::string RoundSignificant(const Digits18& dg, int keep, int& exp10) {
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

inline std::string NonFinite(double v) {
    if (std::isnan(v))
        return "NAN";
    return v < 0 ? "-INF" : "INF";
}

inline std::string IntDigits(unsigned long long u) {
    char buf[24];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    std::string s;
    s.reserve(n);
    while (n > 0)
        s.push_back(buf[--n]);
    return s;
}

inline std::string HexDigits(unsigned long long u, bool upper) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string s;
    do {
        s.insert(s.begin(), set[u & 15]);
        u >>= 4;
    } while (u != 0);
    return s;
}

inline std::string FormatInt(long long v, int minDigits) {
    const bool neg = v < 0;
    const unsigned long long u =
        neg ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    std::string s = IntDigits(u);
    if (static_cast<int>(s.size()) < minDigits)
        s.insert(0, static_cast<std::size_t>(minDigits) - s.size(), '0');
    return neg ? "-" + s : s;
}

inline std::string PadLeft(std::string s, int width) {
    if (width > 0 && static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
}

[[noreturn]] inline void BadFormat(std::string_view fmt) {
    throw Error(ErrorKind::Internal, "Ungültiges Format: '" + std::string(fmt) + "'");
}

} // namespace detail
using namespace detail;

inline std::string FormatFixed(double v, int decimals) {
    if (!std::isfinite(v))
        return NonFinite(v);
    if (decimals < 0)
        decimals = 0;
    // The written digits, as the integer |v| * 10^decimals.
    std::string kept;
    if (v != 0) {
        const Digits18 dg = ToDigits18(v);
        const int k = dg.exp10 + decimals + 1; // digits at or above the last written place
        if (k >= 18) {
            kept.assign(dg.d, dg.d + 18);
            kept.append(static_cast<std::size_t>(k - 18), '0');
        } else if (k >= 0) {
            kept.assign(dg.d, dg.d + k);
            if (dg.d[k] >= '5') {
                int i = k - 1;
                while (i >= 0 && kept[i] == '9') {
                    kept[i] = '0';
                    --i;
                }
                if (i >= 0)
                    ++kept[i];
                else
                    kept.insert(kept.begin(), '1');
            }
        }
    }
    // Leading zeros so that at least one digit stands before the point.
    if (static_cast<int>(kept.size()) < decimals + 1)
        kept.insert(0, static_cast<std::size_t>(decimals + 1) - kept.size(), '0');
    if (decimals > 0)
        kept.insert(kept.size() - static_cast<std::size_t>(decimals), 1, '.');
    // A value that rounds to zero is written without a sign: "-0.00" would only make a reader
    // wonder whether something is wrong.
    const bool allZero = kept.find_first_not_of("0.") == std::string::npos;
    if (v < 0 && !allZero)
        kept.insert(kept.begin(), '-');
    return kept;
}

inline std::string FormatGeneral(double v) {
    if (!std::isfinite(v))
        return NonFinite(v);
    if (v == 0)
        return "0";
    int e = 0;
    std::string s = RoundSignificant(ToDigits18(v), 15, e);
    while (s.size() > 1 && s.back() == '0')
        s.pop_back();
    std::string out = v < 0 ? "-" : "";
    const int n = static_cast<int>(s.size());
    if (e >= -5 && e < 15) {
        if (e < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-e - 1), '0');
            out += s;
        } else if (n <= e + 1) {
            out += s;
            out.append(static_cast<std::size_t>(e + 1 - n), '0');
        } else {
            out += s.substr(0, static_cast<std::size_t>(e + 1));
            out += '.';
            out += s.substr(static_cast<std::size_t>(e + 1));
        }
        return out;
    }
    out += s[0];
    if (n > 1) {
        out += '.';
        out += s.substr(1);
    }
    out += e < 0 ? "E-" : "E+";
    out += FormatInt(e < 0 ? -e : e, 2);
    return out;
}

inline std::string FormatDxfReal(double v) {
    if (!std::isfinite(v))
        return PadLeft(NonFinite(v), 23);
    std::string out(1, std::signbit(v) && v != 0 ? '-' : ' ');
    std::string s = "000000000000000";
    int e = 0;
    if (v != 0)
        s = RoundSignificant(ToDigits18(v), 15, e);
    out += s[0];
    out += '.';
    out += s.substr(1);
    out += e < 0 ? "E-" : "E+";
    out += FormatInt(e < 0 ? -e : e, 4);
    return out;
}

inline std::string Format(std::string_view fmt, std::initializer_list<FmtArg> args) {
    std::string out;
    auto next = args.begin();
    std::size_t i = 0;
    while (i < fmt.size()) {
        const char ch = fmt[i++];
        if (ch != '%') {
            out += ch;
            continue;
        }
        if (i >= fmt.size())
            BadFormat(fmt);
        if (fmt[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        int width = -1;
        int prec = -1;
        auto readNumber = [&](int& target) {
            if (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') {
                target = 0;
                while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') {
                    target = target * 10 + (fmt[i] - '0');
                    if (target > 10000)
                        BadFormat(fmt);
                    ++i;
                }
            }
        };
        readNumber(width);
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            prec = 0;
            readNumber(prec);
        }
        if (i >= fmt.size())
            BadFormat(fmt);
        const char conv = fmt[i++];
        if (next == args.end())
            throw Error(ErrorKind::Internal,
                        "Zu wenige Argumente für das Format '" + std::string(fmt) + "'");
        const FmtArg& a = *next++;
        std::string text;
        switch (conv) {
        case 'd':
        case 'D':
            if (a.kind == FmtArg::Kind::Int)
                text = FormatInt(a.i, prec);
            else if (a.kind == FmtArg::Kind::Float)
                text = FormatFixed(a.d, 0);
            else
                BadFormat(fmt);
            break;
        case 'f':
        case 'F': {
            const int dec = prec < 0 ? 2 : prec;
            if (a.kind == FmtArg::Kind::Int)
                text = FormatFixed(static_cast<double>(a.i), dec);
            else if (a.kind == FmtArg::Kind::Float)
                text = FormatFixed(a.d, dec);
            else
                BadFormat(fmt);
            break;
        }
        case 'x':
        case 'X':
            if (a.kind != FmtArg::Kind::Int)
                BadFormat(fmt);
            text = HexDigits(static_cast<unsigned long long>(a.i), conv == 'X');
            if (prec > 0 && static_cast<int>(text.size()) < prec)
                text.insert(0, static_cast<std::size_t>(prec) - text.size(), '0');
            break;
        case 's':
        case 'S':
            if (a.kind == FmtArg::Kind::Str)
                text = std::string(a.s);
            else if (a.kind == FmtArg::Kind::Int)
                text = FormatInt(a.i, 0);
            else
                text = FormatGeneral(a.d);
            if (prec >= 0 && static_cast<int>(text.size()) > prec)
                text.resize(static_cast<std::size_t>(prec));
            break;
        default:
            BadFormat(fmt);
        }
        out += PadLeft(std::move(text), width);
    }
    return out;
}

} // namespace reference
