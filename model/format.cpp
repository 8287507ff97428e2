// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "model/error.h"
#include "model/format_digits.h"
#include "model/format_put.h"

namespace korvale {
namespace {

using namespace format_digits;

// 10^-22 .. 10^22, exact as doubles up to 10^22 and correctly rounded below 1.
constexpr double kTenPowers[45] = {1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14,
                                   1e-13, 1e-12, 1e-11, 1e-10, 1e-9,  1e-8,  1e-7,  1e-6,  1e-5,
                                   1e-4,  1e-3,  1e-2,  1e-1,  1,     1e1,   1e2,   1e3,   1e4,
                                   1e5,   1e6,   1e7,   1e8,   1e9,   1e10,  1e11,  1e12,  1e13,
                                   1e14,  1e15,  1e16,  1e17,  1e18,  1e19,  1e20,  1e21,  1e22};

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
        if ((QuickRound(a, 14 - e, r) || ScaledRound(a, 14 - e, r)) && r >= kLow &&
            r <= kLow * 10) {
            if (r == kLow * 10) {
                // 999...9.5 rounded up into the next place
                r = kLow;
                ++e;
            }
            PutExact(d, r, 15); // 7 + 8 digits: nothing written behind d[14]
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

const char* NonFinite(double v) {
    if (std::isnan(v))
        return "NAN";
    return v < 0 ? "-INF" : "INF";
}

std::string HexDigits(unsigned long long u, bool upper) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string s;
    do {
        s.insert(s.begin(), set[u & 15]);
        u >>= 4;
    } while (u != 0);
    return s;
}

// Collects the text of one Format call in a buffer on the stack and hands it to the output
// string in one piece at the end: appending a few characters at a time to a string costs more
// than converting the number itself.
class Sink {
  public:
    // The first kShort bytes start out set, so that the fixed-size copy in Flush never reads
    // bytes that nothing wrote.
    explicit Sink(std::string& out) : out_(out) { std::memset(buf_, 0, kShort); }
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;

    // Room for kFastRoom characters written directly; Close(end) takes what was written.
    char* Open() {
        if (n_ + kFastRoom > kSize)
            FlushLong();
        return buf_ + n_;
    }
    void Close(const char* end) { n_ = static_cast<std::size_t>(end - buf_); }

    void Put(char c) {
        if (n_ == kSize)
            FlushLong();
        buf_[n_++] = c;
    }
    void Append(const char* p, std::size_t k) {
        if (n_ + k > kSize) {
            FlushLong();
            if (k > kSize) {
                out_.append(p, k);
                return;
            }
        }
        std::memcpy(buf_ + n_, p, k);
        n_ += k;
    }
    void Append(std::string_view text) { Append(text.data(), text.size()); }
    void Fill(std::size_t k, char c) {
        while (k > 0) {
            if (n_ == kSize)
                FlushLong();
            const std::size_t step = k < kSize - n_ ? k : kSize - n_;
            std::memset(buf_ + n_, c, step);
            n_ += step;
            k -= step;
        }
    }
    // Room for k characters written directly, or nullptr when k does not fit the buffer.
    char* Room(std::size_t k) {
        if (k > kSize)
            return nullptr;
        if (n_ + k > kSize)
            FlushLong();
        char* p = buf_ + n_;
        n_ += k;
        return p;
    }
    // Most calls leave a few characters: a copy of fixed size compiles to two moves, a copy
    // of the exact length costs a library call. The bytes behind n_ are trimmed again.
    [[gnu::always_inline]] void Flush() {
        if (n_ <= kShort) {
            const std::size_t at = out_.size();
            out_.append(buf_, kShort);
            out_.resize(at + n_);
            n_ = 0;
        } else {
            FlushLong();
        }
    }
    [[gnu::noinline]] void FlushLong() {
        out_.append(buf_, n_);
        n_ = 0;
    }

  private:
    static constexpr std::size_t kSize = 512;
    static constexpr std::size_t kShort = 16;
    std::string& out_;
    char buf_[kSize];
    std::size_t n_ = 0;
};

void AppendPadded(Sink& out, std::string_view text, int width) {
    if (width > 0 && static_cast<int>(text.size()) < width)
        out.Fill(static_cast<std::size_t>(width) - text.size(), ' ');
    out.Append(text);
}

[[gnu::noinline]] void AppendIntSlow(Sink& out, long long v, int minDigits, int width) {
    char buf[24];
    char* const end = buf + sizeof buf;
    const bool neg = v < 0;
    const unsigned long long u =
        neg ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    const char* p = PutDigitsBack(u, end);
    const int digits = static_cast<int>(end - p);
    const int zeros = minDigits > digits ? minDigits - digits : 0;
    const int len = digits + zeros + (neg ? 1 : 0);
    if (width > len)
        out.Fill(static_cast<std::size_t>(width - len), ' ');
    if (neg)
        out.Put('-');
    out.Fill(static_cast<std::size_t>(zeros), '0');
    out.Append(p, static_cast<std::size_t>(digits));
}

// Writes the fixed-point text whose digits are `kept` (the integer |v| * 10^decimals): zeros
// in front so that one digit stands before the point, the point before the last `decimals`
// digits, a minus sign unless everything is zero ("-0.00" would only make a reader wonder
// whether something is wrong), right-aligned in `width`.
void AppendFixedText(Sink& out, std::string_view kept, int decimals, bool neg, int width) {
    const auto dec = static_cast<std::size_t>(decimals);
    const std::size_t total = kept.size() > dec ? kept.size() : dec + 1;
    bool zero = true;
    for (const char c : kept) {
        if (c != '0') {
            zero = false;
            break;
        }
    }
    const bool sign = neg && !zero;
    const std::size_t len = (sign ? 1 : 0) + total + (dec > 0 ? 1 : 0);
    if (width > 0 && len < static_cast<std::size_t>(width))
        out.Fill(static_cast<std::size_t>(width) - len, ' ');
    // The digits are `zeros` zeros and then `kept`; the point goes after `whole` of them.
    const std::size_t zeros = total - kept.size();
    const std::size_t whole = total - dec;
    char* p = out.Room(len);
    if (p == nullptr) {
        // A very long text (a huge value, many decimals) goes piece by piece.
        if (sign)
            out.Put('-');
        for (std::size_t i = 0; i < total; ++i) {
            if (i == whole)
                out.Put('.');
            out.Put(i < zeros ? '0' : kept[i - zeros]);
        }
        return;
    }
    if (sign)
        *p++ = '-';
    for (std::size_t i = 0; i < total; ++i) {
        if (i == whole)
            *p++ = '.';
        *p++ = i < zeros ? '0' : kept[i - zeros];
    }
}

// Most numbers are written in place; the rest, rare, take the general paths.
[[gnu::always_inline]] inline void AppendInt(Sink& out, long long v, int minDigits, int width) {
    if (const char* end = PutInt(out.Open(), v, minDigits, width)) {
        out.Close(end);
        return;
    }
    AppendIntSlow(out, v, minDigits, width);
}

// The kept digits by the exact 18-digit text, for the values the fast path leaves.
std::string FixedDigitsExact(double v, int decimals) {
    std::string kept;
    const Digits18 dg = ToDigits18(v);
    const int k = dg.exp10 + decimals + 1; // digits at or above the last written place
    if (k >= 18) {
        kept.assign(dg.d, dg.d + 18);
        kept.append(static_cast<std::size_t>(k - 18), '0');
    } else if (k >= 0) {
        kept.assign(dg.d, dg.d + k);
        if (dg.d[k] >= '5') {
            if (Increment(kept.data(), k))
                kept.insert(kept.begin(), '1');
        }
    }
    return kept;
}

// A wide field, many decimals or a value the integers cannot decide.
[[gnu::noinline]] void AppendFixedSlow(Sink& out, double v, int decimals, int width) {
    if (!std::isfinite(v)) {
        AppendPadded(out, NonFinite(v), width);
        return;
    }
    if (decimals < 0)
        decimals = 0;
    const bool neg = v < 0;
    if (v == 0) {
        AppendFixedText(out, {}, decimals, false, width);
        return;
    }
    const double a = std::fabs(v);
    std::uint64_t r = 0;
    if (ScaledRound(a, decimals, r)) {
        char buf[20];
        char* const end = buf + sizeof buf;
        const char* p = r == 0 ? end : PutDigitsBack(r, end);
        AppendFixedText(out, std::string_view(p, static_cast<std::size_t>(end - p)), decimals, neg,
                        width);
        return;
    }
    if (a >= DBL_MIN && decimals <= 30) {
        const Shortest s = ToShortest(a);
        const int k = s.exp10 + decimals + 1;
        if (FastApplies(s) && k <= 15) {
            if (k < 0) {
                AppendFixedText(out, {}, decimals, neg, width);
                return;
            }
            const int up = RoundsUp(s, k);
            if (up >= 0) {
                char buf[17];
                char* d = buf + 1; // buf[0] takes a carry out of the first digit
                for (int i = 0; i < k; ++i)
                    d[i] = i < s.n ? s.d[i] : '0';
                std::size_t n = static_cast<std::size_t>(k);
                if (up == 1 && Increment(d, k)) {
                    *--d = '1';
                    ++n;
                }
                AppendFixedText(out, std::string_view(d, n), decimals, neg, width);
                return;
            }
        }
    }
    AppendFixedText(out, FixedDigitsExact(v, decimals), decimals, neg, width);
}

[[gnu::always_inline]] inline void AppendFixed(Sink& out, double v, int decimals, int width) {
    if (const char* end = PutFixed(out.Open(), v, decimals < 0 ? 0 : decimals, width)) {
        out.Close(end);
        return;
    }
    AppendFixedSlow(out, v, decimals, width);
}

std::string GeneralText(double v) {
    if (!std::isfinite(v))
        return NonFinite(v);
    if (v == 0)
        return "0";
    char d[15];
    const int e = Significant15(v, d);
    int n = 15;
    while (n > 1 && d[n - 1] == '0')
        --n;
    const std::string_view s(d, static_cast<std::size_t>(n));
    std::string out = v < 0 ? "-" : "";
    if (e >= -5 && e < 15) {
        if (e < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-e - 1), '0');
            out += s;
        } else if (n <= e + 1) {
            out += s;
            out.append(static_cast<std::size_t>(e + 1 - n), '0');
        } else {
            // 0 <= e here: the digits before the point, then the rest.
            const auto before = static_cast<std::size_t>(e) + 1;
            out += s.substr(0, before);
            out += '.';
            out += s.substr(before);
        }
        return out;
    }
    out += s[0];
    if (n > 1) {
        out += '.';
        out += s.substr(1);
    }
    out += e < 0 ? "E-" : "E+";
    Sink sink(out);
    AppendInt(sink, e < 0 ? -e : e, 2, 0);
    sink.Flush();
    return out;
}

[[noreturn]] void BadFormat(std::string_view fmt) {
    throw Error(ErrorKind::Internal, "Ungültiges Format: '" + std::string(fmt) + "'");
}

} // namespace

std::string FormatFixed(double v, int decimals) {
    std::string out;
    Sink sink(out);
    AppendFixed(sink, v, decimals, 0);
    sink.Flush();
    return out;
}

std::string FormatGeneral(double v) {
    return GeneralText(v);
}

std::string FormatDxfReal(double v) {
    std::string out;
    AppendDxfReal(out, v);
    return out;
}

void AppendDxfReal(std::string& out, double v) {
    if (!std::isfinite(v)) {
        Sink sink(out);
        AppendPadded(sink, NonFinite(v), 23);
        sink.Flush();
        return;
    }
    // sign, digit, '.', 14 digits, 'E', exponent sign, 4 exponent digits
    const std::size_t at = out.size();
    out.resize(at + 23);
    char* const p = out.data() + at;
    // The 15 digits go to p[2..16] and the first moves in front of the point: written in place,
    // not copied from a buffer of their own.
    int e = 0;
    if (v != 0)
        e = Significant15(v, p + 2);
    else
        std::memset(p + 2, '0', 15);
    p[0] = std::signbit(v) && v != 0 ? '-' : ' ';
    p[1] = p[2];
    p[2] = '.';
    p[17] = 'E';
    p[18] = e < 0 ? '-' : '+';
    const int x = e < 0 ? -e : e;
    PutPair(p + 21, static_cast<std::uint64_t>(x % 100));
    PutPair(p + 19, static_cast<std::uint64_t>(x / 100));
}

namespace {

[[noreturn]] void TooFewArguments(std::string_view fmt) {
    throw Error(ErrorKind::Internal,
                "Zu wenige Argumente für das Format '" + std::string(fmt) + "'");
}

// %x, %X and %s: rare in the files, kept out of the loop below so that it stays small.
[[gnu::noinline]] void AppendOther(Sink& sink, std::string_view fmt, char conv, const FmtArg& a,
                                   int width, int prec) {
    std::string text;
    if (conv == 'x' || conv == 'X') {
        if (a.kind != FmtArg::Kind::Int)
            BadFormat(fmt);
        text = HexDigits(static_cast<unsigned long long>(a.i), conv == 'X');
        if (prec > 0 && static_cast<int>(text.size()) < prec)
            text.insert(0, static_cast<std::size_t>(prec) - text.size(), '0');
    } else if (conv == 's' || conv == 'S') {
        if (a.kind == FmtArg::Kind::Str) {
            text = std::string(a.s);
        } else if (a.kind == FmtArg::Kind::Int) {
            Sink digits(text);
            AppendInt(digits, a.i, 0, 0);
            digits.Flush();
        } else {
            text = GeneralText(a.d);
        }
        if (prec >= 0 && static_cast<int>(text.size()) > prec)
            text.resize(static_cast<std::size_t>(prec));
    } else {
        BadFormat(fmt);
    }
    AppendPadded(sink, text, width);
}

} // namespace

void FormatAppend(std::string& out, std::string_view fmt, std::initializer_list<FmtArg> args) {
    Sink sink(out);
    const FmtArg* next = args.begin();
    const char* f = fmt.data();
    const char* const end = f + fmt.size();
    while (f != end) {
        // Plain text up to the next '%' in one piece; mostly the separator between two numbers.
        if (*f != '%') {
            const char* stop = f + 1;
            while (stop != end && *stop != '%')
                ++stop;
            if (stop - f == 1)
                sink.Put(*f);
            else
                sink.Append(f, static_cast<std::size_t>(stop - f));
            f = stop;
            continue;
        }
        if (++f == end)
            BadFormat(fmt);
        if (*f == '%') {
            sink.Put('%');
            ++f;
            continue;
        }
        // [width][.precision]conversion; a width or precision above 10000 is refused.
        int width = -1;
        int prec = -1;
        if (static_cast<unsigned char>(*f - '0') <= 9) {
            width = 0;
            do {
                width = width * 10 + (*f++ - '0');
                if (width > 10000)
                    BadFormat(fmt);
            } while (f != end && static_cast<unsigned char>(*f - '0') <= 9);
        }
        if (f != end && *f == '.') {
            prec = 0;
            while (++f != end && static_cast<unsigned char>(*f - '0') <= 9) {
                prec = prec * 10 + (*f - '0');
                if (prec > 10000)
                    BadFormat(fmt);
            }
        }
        if (f == end)
            BadFormat(fmt);
        const char conv = *f++;
        if (next == args.end())
            TooFewArguments(fmt);
        const FmtArg& a = *next++;
        if (conv == 'f' || conv == 'F' || conv == 'd' || conv == 'D') {
            const bool fixed = conv == 'f' || conv == 'F';
            if (a.kind == FmtArg::Kind::Int && !fixed)
                AppendInt(sink, a.i, prec, width);
            else if (a.kind == FmtArg::Kind::Str)
                BadFormat(fmt);
            else
                AppendFixed(sink, a.kind == FmtArg::Kind::Int ? static_cast<double>(a.i) : a.d,
                            fixed ? (prec < 0 ? 2 : prec) : 0, width);
        } else {
            AppendOther(sink, fmt, conv, a, width, prec);
        }
    }
    sink.Flush();
}

std::string Format(std::string_view fmt, std::initializer_list<FmtArg> args) {
    std::string out;
    FormatAppend(out, fmt, args);
    return out;
}

} // namespace korvale
