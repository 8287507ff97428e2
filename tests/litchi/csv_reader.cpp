// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading Litchi mission text: separators, field splitting, conversions with their messages,
// blank lines, hostile bytes, and the round trip through the writer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "litchi/csv.h"
#include "model/error.h"

namespace korvale {
namespace {

const std::string kHeader(LitchiCsvHeader());

// The header with another separator between its names.
std::string HeaderWith(const std::string& sep) {
    std::string h = kHeader;
    for (std::size_t p = h.find(','); p != std::string::npos; p = h.find(',', p + sep.size())) {
        h.replace(p, 1, sep);
    }
    return h;
}

// The 46 values of a waypoint in column order, widened to double.
std::vector<double> Columns(const TlitchRec& r) {
    std::vector<double> c = {r.latitude,  r.longitude,   r.altitude,           r.heading,
                             r.curvesize, r.rotationdir, double(r.gimbalmode), r.gimbalpitchangle};
    for (const TlitchAction& a : r.Actions) {
        c.push_back(a.actiontype);
        c.push_back(a.actionparam);
    }
    for (double v : {double(r.altitudemode), double(r.speed), double(r.poi_latitude),
                     double(r.poi_longitude), double(r.poi_altitude), double(r.poi_altitudemode),
                     double(r.photo_timeinterval), double(r.photo_distinterval)}) {
        c.push_back(v);
    }
    return c;
}

// Column i (1-based) holds the number i: valid in integer and float columns alike.
std::vector<std::string> NumberedValues() {
    std::vector<std::string> v;
    for (int i = 1; i <= 46; ++i) {
        v.push_back(std::to_string(i));
    }
    return v;
}

std::vector<double> NumberedColumns() {
    std::vector<double> c;
    for (int i = 1; i <= 46; ++i) {
        c.push_back(i);
    }
    return c;
}

std::string Join(const std::vector<std::string>& values, const std::string& sep) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        out += (i ? sep : "") + values[i];
    }
    return out;
}

// The message of a refused file; every refusal of the reader is a damaged file.
std::string ErrorOf(std::string_view text) {
    try {
        ParseLitchiCsv(text);
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Damaged) << e.what();
        return e.what();
    }
    return "(no error)";
}

TEST(LitchiCsvReader, NextFieldSplitsLikeTheFileFormatSays) {
    const struct {
        const char* rest;
        const char* sep;
        const char* field;
        const char* after;
    } cases[] = {
        {"a,b,c", ",", "a", "b,c"},
        {"c", ",", "c", "c"},        // the last value is the whole rest, which stays
        {",b,c", ",", "b,c", "b,c"}, // an empty value yields the rest behind it
        {"a;b,c", ";", "a", "b,c"},
        {"a,b", "", "a,b", "a,b"}, // no separator: every field is the whole text
        {"", ",", "", ""},
    };
    for (const auto& c : cases) {
        std::string_view rest = c.rest;
        EXPECT_EQ(NextField(rest, c.sep), c.field) << c.rest;
        EXPECT_EQ(rest, c.after) << c.rest;
    }
}

TEST(LitchiCsvReader, SeparatorComesFromTheHeader) {
    std::string semicolonAndComma = HeaderWith(";");
    semicolonAndComma.replace(semicolonAndComma.find("altitude(m)"), 11, "altitude(m,ft)");
    const struct {
        std::string header;
        const char* sep;
    } cases[] = {
        {kHeader, ","},
        {HeaderWith(";"), ";"},
        {semicolonAndComma, ";"}, // ";" wins over ","
        {HeaderWith(", "), ", "},
        {"\xef\xbb\xbf" + kHeader, ","}, // byte-order mark of a spreadsheet
        {"LATITUDE , Longitude,Altitude(ft)" + kHeader.substr(kHeader.find(",heading")), ","},
    };
    for (const auto& c : cases) {
        const auto recs = ParseLitchiCsv(c.header + "\r\n" + Join(NumberedValues(), c.sep));
        ASSERT_EQ(recs.size(), 1u) << c.header;
        EXPECT_EQ(Columns(recs[0]), NumberedColumns()) << c.header;
    }
    // With ";" chosen, a decimal comma stays inside its value and is refused.
    std::vector<std::string> values = NumberedValues();
    values[0] = "48,5";
    EXPECT_EQ(ErrorOf(semicolonAndComma + "\n" + Join(values, ";")),
              "'48,5' ist kein gültiger Gleitkommawert\nZeile 2, Spalte 1 (latitude)");
}

TEST(LitchiCsvReader, ValueCountsPerLine) {
    std::vector<std::string> values = NumberedValues();
    // More than 46: a value holds the separator and shifts every column after it. A thousands
    // separator would otherwise put the waypoint at latitude 1, longitude 48.1.
    std::vector<std::string> more = values;
    more.insert(more.end(), {"x", "47", ""});
    EXPECT_EQ(ErrorOf(kHeader + "\n" + Join(values, ",") + "\n" + Join(more, ",")),
              "Zeile 3 hat 49 Werte, ein Litchi-Wegpunkt hat 46.");
    std::vector<std::string> thousands = values;
    thousands[0] = "1,048.099998";
    EXPECT_EQ(ErrorOf(kHeader + "\r\n" + Join(thousands, ",")),
              "Zeile 2 hat 47 Werte, ein Litchi-Wegpunkt hat 46.");
    EXPECT_EQ(ErrorOf(kHeader + "\r\n" + Join(values, ",") + std::string(154, ',')),
              "Zeile 2 hat 200 Werte, ein Litchi-Wegpunkt hat 46.");
    auto recs = ParseLitchiCsv(kHeader + "\n" + Join(values, ","));
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(Columns(recs[0]), NumberedColumns());

    // 45: the last value serves both photo columns.
    std::vector<std::string> fewer(values.begin(), values.end() - 1);
    recs = ParseLitchiCsv(std::string(kHeader) + "\n" + Join(fewer, ","));
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].photo_timeinterval, 45);
    EXPECT_EQ(recs[0].photo_distinterval, 45.0f);

    // Fewer than 45 would invent a waypoint from the last value: refused.
    fewer.pop_back();
    EXPECT_EQ(ErrorOf(std::string(kHeader) + "\n" + Join(fewer, ",")),
              "Zeile 2 hat 44 Werte, ein Litchi-Wegpunkt hat 46.");
    EXPECT_EQ(ErrorOf(HeaderWith(";") + "\n" + Join(values, ",")),
              "Zeile 2 hat 1 Wert, ein Litchi-Wegpunkt hat 46.");
}

TEST(LitchiCsvReader, EmptyValueTakesTheRestOfTheLineAndFails) {
    std::vector<std::string> values = NumberedValues();
    values[1] = "";
    const std::string message = ErrorOf(std::string(kHeader) + "\r\n" + Join(values, ","));
    EXPECT_EQ(message.rfind("'3,4,5,6,7,8,9,10,", 0), 0u) << message;
    EXPECT_NE(message.find("' ist kein gültiger Gleitkommawert\nZeile 2, Spalte 2 (longitude)"),
              std::string::npos)
        << message;
}

TEST(LitchiCsvReader, ConversionsPerColumnKind) {
    const struct {
        int column;
        const char* text;
        std::optional<double> value; // nothing: refused
    } cases[] = {
        // integer columns: strict whole numbers, and whole numbers written as decimals
        {7, "1", 1},
        {7, "  2", 2},
        {45, "-1.0", -1},
        {9, "100.0", 100},
        {39, "3.", 3},
        {44, "+2.00", 2},
        {7, "-0.0", 0},
        {45, "2147483647.0", 2147483647},
        {45, "-2147483648", -2147483648.0},
        {7, "$1F", 31},
        {7, "1.5", std::nullopt},
        {7, "1.0001", std::nullopt},
        {7, "1e2", std::nullopt},
        {7, ".0", std::nullopt},
        {7, "-", std::nullopt},
        {7, "1.0.0", std::nullopt},
        {7, "1 ", std::nullopt},
        {7, "1.0 ", std::nullopt},
        {45, "2147483648", std::nullopt},
        {45, "2147483648.0", std::nullopt},
        {45, "-2147483649.0", std::nullopt},
        {37, "99999999999999999999.0", std::nullopt},
        // float columns: blanks around allowed, single range enforced, actionparam double
        {1, " 48.5 ", 48.5},
        {3, "1e-50", 0},
        {3, "-3.4e38", double(-3.4e38f)},
        {2, "1e39", std::nullopt},
        {46, "-1e39", std::nullopt},
        {10, "1e39", 1e39},
        {10, "1e300", 1e300},
        {10, "1e400", std::nullopt},
        {1, "0x10", std::nullopt},
        {1, "\t1", std::nullopt},
        {1, "1 2", std::nullopt},
        {46, "1.5x", std::nullopt},
    };
    for (const auto& c : cases) {
        std::vector<std::string> values = NumberedValues();
        const auto i = static_cast<std::size_t>(c.column - 1);
        values[i] = c.text;
        const std::string text = std::string(kHeader) + "\r\n" + Join(values, ",") + "\r\n";
        const bool integer = c.column == 7 || (c.column >= 9 && c.column <= 37 && c.column % 2) ||
                             c.column == 39 || c.column == 44 || c.column == 45;
        if (c.value) {
            std::vector<TlitchRec> recs;
            ASSERT_NO_THROW(recs = ParseLitchiCsv(text)) << c.text;
            ASSERT_EQ(recs.size(), 1u);
            std::vector<double> expected = NumberedColumns();
            expected[i] = *c.value;
            EXPECT_EQ(Columns(recs[0]), expected) << c.text;
        } else {
            const std::string message = ErrorOf(text);
            const std::string kind = integer ? "Integerwert" : "Gleitkommawert";
            EXPECT_EQ(message.rfind(std::string("'") + c.text + "' ist kein gültiger " + kind +
                                        "\nZeile 2, Spalte " + std::to_string(c.column) + " (",
                                    0),
                      0u)
                << message;
        }
    }
    // The column's own name closes the location line.
    std::vector<std::string> values = NumberedValues();
    values[8] = "x";
    EXPECT_EQ(ErrorOf(std::string(kHeader) + "\n" + Join(values, ",")),
              "'x' ist kein gültiger Integerwert\nZeile 2, Spalte 9 (actiontype1)");
    values = NumberedValues();
    values[45] = "x";
    EXPECT_EQ(ErrorOf(std::string(kHeader) + "\n" + Join(values, ",")),
              "'x' ist kein gültiger Gleitkommawert\nZeile 2, Spalte 46 (photo_distinterval)");
}

TEST(LitchiCsvReader, BlankLinesAndLineEnds) {
    const std::string h = kHeader;
    const std::string w = Join(NumberedValues(), ",");
    const struct {
        std::string text;
        std::size_t count;
    } cases[] = {
        {h, 0},
        {h + "\r\n", 0},
        {h + "\n\n\r\n   \n\t\r\n", 0},
        {h + "\r\n" + w + "\r\n" + w + "\r\n", 2},
        {h + "\r\n" + w + "\r\n" + w, 2},
        {h + "\n" + w + "\n" + w + "\n", 2},
        {h + "\n\r\n" + w + "\n  \n" + w + "\r\n\r\n", 2},
        {h + "\r" + w + "\r" + w + "\r", 2}, // a lone CR ends a line too
        {h + "\r\r\n" + w + "\r\r" + w, 2},
    };
    for (const auto& c : cases) {
        std::vector<TlitchRec> recs;
        ASSERT_NO_THROW(recs = ParseLitchiCsv(c.text)) << c.text;
        ASSERT_EQ(recs.size(), c.count) << c.text;
        for (const TlitchRec& r : recs) {
            EXPECT_EQ(Columns(r), NumberedColumns());
        }
    }
    // Line numbers in messages count every line of the file, blank ones included.
    const std::string x = "x" + w.substr(w.find(','));
    EXPECT_EQ(ErrorOf(h + "\r\n\r\n" + w + "\r\n\r\n" + x),
              "'x' ist kein gültiger Gleitkommawert\nZeile 5, Spalte 1 (latitude)");
    EXPECT_EQ(ErrorOf(h + "\r" + w + "\r" + x),
              "'x' ist kein gültiger Gleitkommawert\nZeile 3, Spalte 1 (latitude)");
}

TEST(LitchiCsvReader, OtherFilesAreNoLitchiFiles) {
    // Never a silent empty mission: a one-line text, a waypoint line without header, another
    // layout whose header begins alike, a header cut short.
    const std::string w = Join(NumberedValues(), ",");
    for (const std::string& text :
         {std::string("Hallo Welt"), w + "\r\n" + w + "\r\n", HeaderWith(" "),
          std::string("latitude,longitude,altitude(ft),heading(deg)\n1,2,3,4\n"),
          kHeader.substr(0, 200), "longitude,latitude" + kHeader.substr(kHeader.find(",alt"))}) {
        const std::string message = ErrorOf(text);
        EXPECT_EQ(message.rfind("Die Datei ist keine Litchi-Datei.\n", 0), 0u) << message;
    }
    EXPECT_EQ(ErrorOf("Hallo Welt"),
              "Die Datei ist keine Litchi-Datei.\nIhre erste Zeile hat 1 Spalte und beginnt mit "
              "'Hallo Welt'; die Kopfzeile einer Litchi-Mission hat 46 Spalten: "
              "latitude,longitude,altitude(m),...");
}

TEST(LitchiCsvReader, FileWithoutHeaderIsRefused) {
    for (const std::string& text :
         std::vector<std::string>{"", "\r\n", "\n", "   \n1,2,3", std::string("\r\n") + kHeader}) {
        EXPECT_EQ(ErrorOf(text), "Die Datei enthält keine Kopfzeile.") << text;
    }
}

TEST(LitchiCsvReader, HostileBytesGiveShortReadableMessages) {
    const std::string h = std::string(kHeader) + "\n";
    const auto withLatitude = [&](const std::string& lat) {
        std::vector<std::string> values = NumberedValues();
        values[0] = lat;
        return h + Join(values, ",");
    };
    const std::string tail = "' ist kein gültiger Gleitkommawert\nZeile 2, Spalte 1 (latitude)";
    EXPECT_EQ(ErrorOf(withLatitude(std::string("4\0"
                                               "8.5",
                                               5))),
              "'4?8.5" + tail);
    EXPECT_EQ(ErrorOf(withLatitude("\xff\xfe\xc3")), "'???" + tail);
    EXPECT_EQ(ErrorOf(withLatitude("\xed\xa0\x80")), "'???" + tail); // encoded surrogate
    EXPECT_EQ(ErrorOf(withLatitude("Höhe\x7f")), "'Höhe?" + tail);
    EXPECT_EQ(ErrorOf(withLatitude(std::string(1 << 20, 'x'))),
              "'" + std::string(60, 'x') + "..." + tail);
    // A megabyte of digits overflows the single range.
    EXPECT_EQ(ErrorOf(withLatitude(std::string(1 << 20, '9'))),
              "'" + std::string(60, '9') + "..." + tail);

    // Random bytes and random damage to a good file: a mission or a clean message, never more.
    const std::string good =
        h + Join(NumberedValues(), ",") + "\r\n" + Join(NumberedValues(), ";") + "\n";
    const std::string alphabet =
        std::string("0123456789.,;-+eE $x \t\r\n\r\n\xff\xc3\xa4") + std::string(1, '\0');
    std::mt19937 gen(4242);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        if (round % 2) {
            text = good;
            const int flips = 1 + static_cast<int>(gen() % 6);
            for (int k = 0; k < flips; ++k) {
                text[gen() % text.size()] = alphabet[gen() % alphabet.size()];
            }
        } else {
            text = h;
            const std::size_t n = gen() % 3000;
            for (std::size_t k = 0; k < n; ++k) {
                text += round % 4 ? alphabet[gen() % alphabet.size()] : static_cast<char>(gen());
            }
        }
        try {
            ParseLitchiCsv(text);
        } catch (const Error& e) {
            const std::string message = e.what();
            EXPECT_LT(message.size(), 300u) << message;
            for (unsigned char ch : message) {
                EXPECT_TRUE(ch >= 0x20 || ch == '\n' || ch == '\t') << message;
                EXPECT_TRUE(ch != 0xff && ch != 0xfe) << message;
            }
        }
    }
}

// Decimals written per column (-1: integer column).
std::vector<int> WrittenDecimals() {
    std::vector<int> d = {6, 6, 3, 4, 1, 4, -1, 1};
    for (int k = 0; k < 15; ++k) {
        d.push_back(-1);
        d.push_back(2);
    }
    for (int v : {-1, 1, 6, 6, 3, -1, -1, 0}) {
        d.push_back(v);
    }
    return d;
}

TEST(LitchiCsvReader, RoundTripKeepsWhatWasWritten) {
    std::mt19937 gen(777);
    const auto uni = [&](double lo, double hi) {
        return lo + (hi - lo) * (static_cast<double>(gen()) / 4294967296.0);
    };
    const auto anyInt = [&] { return static_cast<std::int32_t>(gen()); };
    const auto flt = [&](double lo, double hi) { return static_cast<float>(uni(lo, hi)); };
    const std::vector<int> decimals = WrittenDecimals();
    for (int mission = 0; mission < 20; ++mission) {
        std::vector<TlitchRec> recs(1 + gen() % 40);
        const double big = mission % 4 == 3 ? 1e9 : 1.0; // some missions with wide values
        for (TlitchRec& r : recs) {
            r.latitude = flt(-90 * big, 90 * big);
            r.longitude = flt(-180 * big, 180 * big);
            r.altitude = flt(-50 * big, 1000 * big);
            r.heading = flt(-360 * big, 360 * big);
            r.curvesize = flt(0, 100 * big);
            r.rotationdir = flt(0, 360 * big);
            r.gimbalmode = mission % 2 ? anyInt() : static_cast<std::int32_t>(gen() % 3);
            r.gimbalpitchangle = flt(-90 * big, 90 * big);
            for (TlitchAction& a : r.Actions) {
                a.actiontype = mission % 2 ? anyInt() : static_cast<std::int32_t>(gen() % 7) - 1;
                a.actionparam = uni(-1e4 * big, 1e4 * big);
            }
            r.altitudemode = anyInt();
            r.speed = flt(-15 * big, 15 * big);
            r.poi_latitude = flt(-90, 90);
            r.poi_longitude = flt(-180, 180);
            r.poi_altitude = flt(-100 * big, 500 * big);
            r.poi_altitudemode = anyInt();
            r.photo_timeinterval = anyInt();
            r.photo_distinterval = flt(-1, 500 * big);
        }
        const std::string text = FormatLitchiCsv(recs);
        const std::vector<TlitchRec> back = ParseLitchiCsv(text);
        ASSERT_EQ(back.size(), recs.size());
        for (std::size_t w = 0; w < recs.size(); ++w) {
            const std::vector<double> a = Columns(recs[w]);
            const std::vector<double> b = Columns(back[w]);
            for (std::size_t c = 0; c < 46; ++c) {
                if (decimals[c] < 0) {
                    EXPECT_EQ(a[c], b[c]) << "waypoint " << w << " column " << c + 1;
                } else {
                    // half a unit of the last written place, plus the narrowing to single
                    const double tol =
                        0.5 * std::pow(10.0, -decimals[c]) * (1 + 1e-12) + std::fabs(a[c]) * 1.2e-7;
                    EXPECT_NEAR(a[c], b[c], tol) << "waypoint " << w << " column " << c + 1;
                }
            }
        }
        // What was read writes back to the very same text.
        EXPECT_EQ(FormatLitchiCsv(back), text);
    }
}

} // namespace
} // namespace korvale
