// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "litchi/csv.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

#include "model/convert.h"
#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"
#include "model/lines.h"

namespace korvale {

namespace {

// The header exactly as the Litchi app writes it, in its three historical pieces.
constexpr std::string_view kHeader1 =
    "latitude,longitude,altitude(m),heading(deg),curvesize(m),rotationdir,gimbalmode,"
    "gimbalpitchangle,actiontype1,actionparam1,actiontype2,actionparam2,actiontype3,"
    "actionparam3,actiontype4,actionparam4,actiontype5,actionparam5,";
constexpr std::string_view kHeader2 =
    "actiontype6,actionparam6,actiontype7,actionparam7,actiontype8,actionparam8,actiontype9,"
    "actionparam9,actiontype10,actionparam10,actiontype11,actionparam11,actiontype12,"
    "actionparam12,";
constexpr std::string_view kHeader3 =
    "actiontype13,actionparam13,actiontype14,actionparam14,actiontype15,actionparam15,"
    "altitudemode,speed(m/s),poi_latitude,poi_longitude,poi_altitude(m),poi_altitudemode,"
    "photo_timeinterval,photo_distinterval";

constexpr int kColumns = 46;

const std::string& HeaderText() {
    static const std::string header =
        std::string(kHeader1) + std::string(kHeader2) + std::string(kHeader3);
    return header;
}

// Column names for messages, split once from the header.
const std::vector<std::string_view>& ColumnNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> out;
        std::string_view rest = HeaderText();
        for (std::size_t p = rest.find(','); p != std::string_view::npos; p = rest.find(',')) {
            out.push_back(rest.substr(0, p));
            rest.remove_prefix(p + 1);
        }
        out.push_back(rest);
        return out;
    }();
    return names;
}

bool IsBlank(std::string_view line) {
    for (char c : line) {
        if (c != ' ' && c != '\t') {
            return false;
        }
    }
    return true;
}

// Length of the well-formed UTF-8 sequence at the start of s, 0 when it is not one.
std::size_t Utf8Length(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const auto cont = [&](std::size_t i, unsigned lo = 0x80, unsigned hi = 0xBF) {
        return i < s.size() && b(i) >= lo && b(i) <= hi;
    };
    const unsigned c = b(0);
    if (c < 0x80) {
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        return cont(1) ? 2 : 0;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        const unsigned lo = c == 0xE0 ? 0xA0 : 0x80;
        const unsigned hi = c == 0xED ? 0x9F : 0xBF;
        return cont(1, lo, hi) && cont(2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const unsigned lo = c == 0xF0 ? 0x90 : 0x80;
        const unsigned hi = c == 0xF4 ? 0x8F : 0xBF;
        return cont(1, lo, hi) && cont(2) && cont(3) ? 4 : 0;
    }
    return 0;
}

// A field text as it may appear in a message box: a file of arbitrary bytes must not put
// control characters, broken UTF-8 or a megabyte line into the message.
std::string Shown(std::string_view text) {
    constexpr int kMaxChars = 60;
    std::string out;
    int chars = 0;
    while (!text.empty()) {
        if (chars == kMaxChars) {
            out += "...";
            break;
        }
        const std::size_t n = Utf8Length(text);
        const unsigned char c = static_cast<unsigned char>(text[0]);
        if (n == 0 || (n == 1 && ((c < 0x20 && c != '\t') || c == 0x7F))) {
            out += '?';
            text.remove_prefix(1);
        } else {
            out += text.substr(0, n);
            text.remove_prefix(n);
        }
        ++chars;
    }
    return out;
}

// A whole number written as a decimal, as other tools write integer columns ("-1.0", "3.",
// "100.00"): the integer, or nothing when the text is not of that form.
std::optional<std::int32_t> WholeDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
    }
    if (i == digits || i == text.size() || text[i] != '.') {
        return std::nullopt;
    }
    const std::size_t point = i++;
    while (i < text.size() && text[i] == '0') {
        ++i;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    try {
        return StrToInt(text.substr(0, point));
    } catch (const Error&) {
        return std::nullopt; // outside the 32-bit range
    }
}

// Takes the fields of one waypoint line in column order; a failure names line and column.
class FieldReader {
  public:
    FieldReader(std::string_view line, std::string_view sep, long long lineNo)
        : rest_(line), sep_(sep), line_(lineNo) {}

    float Single() {
        const std::string_view text = Next();
        const double d = ToDouble(text);
        if (!(std::fabs(d) <= static_cast<double>(FLT_MAX))) {
            Fail(FloatErrorText(Shown(text)));
        }
        return static_cast<float>(d);
    }

    double Double() { return ToDouble(Next()); }

    std::int32_t Integer() {
        const std::string_view text = Next();
        try {
            return StrToInt(text);
        } catch (const Error&) {
            // not in the strict form; the decimal form of a whole number is checked next
        }
        if (const auto v = WholeDecimal(text)) {
            return *v;
        }
        Fail(IntErrorText(Shown(text)));
    }

  private:
    std::string_view Next() {
        ++column_;
        return NextField(rest_, sep_);
    }

    double ToDouble(std::string_view text) {
        double d = 0;
        try {
            d = StrToFloat(text);
        } catch (const Error&) {
            Fail(FloatErrorText(Shown(text)));
        }
        if (!std::isfinite(d)) {
            Fail(FloatErrorText(Shown(text)));
        }
        return d;
    }

    [[noreturn]] void Fail(const std::string& message) const {
        throw Error(
            ErrorKind::Damaged,
            message + "\n" +
                Format("Zeile %d, Spalte %d (%s)",
                       {line_, column_, ColumnNames()[static_cast<std::size_t>(column_ - 1)]}));
    }

    std::string_view rest_;
    std::string_view sep_;
    long long line_;
    int column_ = 0;
};

// Number of values on a line as the separator divides it.
int ValueCount(std::string_view line, std::string_view sep) {
    if (sep.empty()) {
        return 1;
    }
    int n = 1;
    for (char c : line) {
        n += c == sep[0] ? 1 : 0;
    }
    return n;
}

TlitchRec ParseRecord(std::string_view line, std::string_view sep, long long lineNo) {
    // A line of 45 values still reads (its last value serves both photo columns); fewer than
    // that would repeat the last value into every remaining column and make up a waypoint, more
    // mean that a value holds the separator (a thousands separator in "1,048.1") and every
    // column after it is shifted: a waypoint read from it would be somewhere else entirely.
    const int values = ValueCount(line, sep);
    if (values < kColumns - 1 || values > kColumns) {
        throw Error(ErrorKind::Damaged,
                    Format(values == 1 ? "Zeile %d hat %d Wert, ein Litchi-Wegpunkt hat %d."
                                       : "Zeile %d hat %d Werte, ein Litchi-Wegpunkt hat %d.",
                           {lineNo, values, kColumns}));
    }
    FieldReader f(line, sep, lineNo);
    TlitchRec r;
    r.latitude = f.Single();
    r.longitude = f.Single();
    r.altitude = f.Single();
    r.heading = f.Single();
    r.curvesize = f.Single();
    r.rotationdir = f.Single();
    r.gimbalmode = f.Integer();
    r.gimbalpitchangle = f.Single();
    for (TlitchAction& a : r.Actions) {
        a.actiontype = f.Integer();
        a.actionparam = f.Double();
    }
    r.altitudemode = f.Integer();
    r.speed = f.Single();
    r.poi_latitude = f.Single();
    r.poi_longitude = f.Single();
    r.poi_altitude = f.Single();
    r.poi_altitudemode = f.Integer();
    r.photo_timeinterval = f.Integer();
    r.photo_distinterval = f.Single();
    return r;
}

// A value that is no finite number would be written as "NAN" or "INF", which no reader takes
// (our own included): the mission is refused before anything is written, naming the waypoint
// as the editor counts it and the column as the header names it.
void CheckFinite(const std::vector<TlitchRec>& recs) {
    const auto& names = ColumnNames();
    for (std::size_t i = 0; i < recs.size(); ++i) {
        const TlitchRec& r = recs[i];
        const std::pair<int, double> values[] = {
            {0, r.latitude},         {1, r.longitude},     {2, r.altitude},
            {3, r.heading},          {4, r.curvesize},     {5, r.rotationdir},
            {7, r.gimbalpitchangle}, {39, r.speed},        {40, r.poi_latitude},
            {41, r.poi_longitude},   {42, r.poi_altitude}, {45, r.photo_distinterval}};
        auto refuse = [&](int column, double v) {
            throw Error(ErrorKind::Refused,
                        Format("Wegpunkt %d, Spalte %s: %s ist keine endliche Zahl.\n"
                               "Die CSV-Datei wurde nicht geschrieben.",
                               {i, names[static_cast<std::size_t>(column)], FormatGeneral(v)}));
        };
        for (const auto& [column, v] : values) {
            if (!std::isfinite(v)) {
                refuse(column, v);
            }
        }
        for (std::size_t k = 0; k < r.Actions.size(); ++k) {
            if (!std::isfinite(r.Actions[k].actionparam)) {
                refuse(static_cast<int>(9 + 2 * k), r.Actions[k].actionparam);
            }
        }
    }
}

// Trims spaces and tabs and lowers ASCII letters, for comparing column names.
std::string NameKey(std::string_view name) {
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) {
        name.remove_prefix(1);
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) {
        name.remove_suffix(1);
    }
    std::string key(name);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

// The columns are taken by position, so a file of another layout would be read as waypoints
// somewhere else; its header says so before any line is read. Litchi's header has 46 names
// beginning with the position and the altitude; the other names vary between tools (typos,
// spaces, units), so only those three and the count are held to.
void CheckHeader(std::string_view header, std::string_view sep) {
    if (header.substr(0, 3) == "\xEF\xBB\xBF") {
        header.remove_prefix(3); // a spreadsheet's byte-order mark
    }
    std::vector<std::string> first;
    int count = 1;
    if (!sep.empty()) {
        std::string_view rest = header;
        for (std::size_t p = rest.find(sep); p != std::string_view::npos; p = rest.find(sep)) {
            if (first.size() < 3) {
                first.push_back(NameKey(rest.substr(0, p)));
            }
            rest.remove_prefix(p + sep.size());
            ++count;
        }
    }
    const auto starts = [&](std::size_t k, std::string_view name) {
        return k < first.size() && first[k].compare(0, name.size(), name) == 0;
    };
    if (count == kColumns && starts(0, "latitude") && starts(1, "longitude") &&
        starts(2, "altitude")) {
        return;
    }
    throw Error(ErrorKind::Damaged,
                Format(count == 1 ? "Die Datei ist keine Litchi-Datei.\nIhre erste Zeile hat %d "
                                    "Spalte und beginnt mit '%s'; "
                                  : "Die Datei ist keine Litchi-Datei.\nIhre erste Zeile hat %d "
                                    "Spalten und beginnt mit '%s'; ",
                       {count, Shown(header.substr(0, 40))}) +
                    "die Kopfzeile einer Litchi-Mission hat 46 Spalten: latitude,longitude,"
                    "altitude(m),...");
}

} // namespace

std::string_view LitchiCsvHeader() {
    return HeaderText();
}

std::string LitchiCsvFileName(const std::string& editText) {
    if (editText.find('.') == std::string::npos) {
        return editText + ".CSV";
    }
    return editText;
}

std::string FormatLitchiCsv(const std::vector<TlitchRec>& recs) {
    CheckFinite(recs);
    std::string out;
    out.reserve((recs.size() + 1) * 320);
    out += HeaderText();
    out += "\r\n";
    for (const TlitchRec& r : recs) {
        FormatAppend(out, "%10.6f,%10.6f,%10.3f,%10.4f,%5.1f,%10.4f,%2d,%5.1f,",
                     {static_cast<double>(r.latitude), static_cast<double>(r.longitude),
                      static_cast<double>(r.altitude), static_cast<double>(r.heading),
                      static_cast<double>(r.curvesize), static_cast<double>(r.rotationdir),
                      r.gimbalmode, static_cast<double>(r.gimbalpitchangle)});
        for (const TlitchAction& a : r.Actions) {
            FormatAppend(out, "%d,%4f,", {a.actiontype, a.actionparam});
        }
        FormatAppend(out, "%d,%5.1f,%10.6f,%10.6f,%10.3f,%5d,",
                     {r.altitudemode, static_cast<double>(r.speed),
                      static_cast<double>(r.poi_latitude), static_cast<double>(r.poi_longitude),
                      static_cast<double>(r.poi_altitude), r.poi_altitudemode});
        FormatAppend(out, "%5d,%4.0f",
                     {r.photo_timeinterval, static_cast<double>(r.photo_distinterval)});
        out += "\r\n";
    }
    return out;
}

void WriteLitchiCVS(const std::vector<TlitchRec>& recs, std::string& editCVS) {
    editCVS = LitchiCsvFileName(editCVS);
    WriteFileAtomic(editCVS, FormatLitchiCsv(recs));
}

std::string AltitudeWarning(const std::vector<TlitchRec>& recs) {
    int low = 0;
    for (const TlitchRec& r : recs) {
        low += r.altitude > 0 ? 0 : 1;
    }
    if (low == 0) {
        return {};
    }
    return Format(low == 1 ? "Achtung: %d Wegpunkt mit Höhe 0 m"
                           : "Achtung: %d Wegpunkte mit Höhe 0 m",
                  {low});
}

std::string_view NextField(std::string_view& rest, std::string_view sep) {
    const std::size_t p = sep.empty() ? std::string_view::npos : rest.find(sep);
    std::string_view field;
    if (p != std::string_view::npos) {
        field = rest.substr(0, p);
        rest.remove_prefix(p + sep.size());
    }
    if (field.empty()) {
        field = rest;
    }
    return field;
}

std::vector<TlitchRec> ParseLitchiCsv(std::string_view bytes) {
    LineSplitter lines(bytes);
    std::string_view header;
    if (!lines.Next(header) || IsBlank(header)) {
        throw Error(ErrorKind::Damaged, "Die Datei enthält keine Kopfzeile.");
    }
    std::string_view sep;
    if (header.find(';') != std::string_view::npos) {
        sep = ";";
    } else if (header.find(',') != std::string_view::npos) {
        sep = ",";
    }
    CheckHeader(header, sep);

    std::vector<TlitchRec> recs;
    std::string_view line;
    while (lines.Next(line)) {
        if (IsBlank(line)) {
            continue;
        }
        recs.push_back(ParseRecord(line, sep, lines.Number()));
    }
    return recs;
}

std::vector<TlitchRec> ReadLitchiFile(const std::string& path) {
    return ParseLitchiCsv(ReadFileBytes(path));
}

} // namespace korvale
