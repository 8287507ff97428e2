// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Writing Litchi mission files: exact bytes of header and lines, file name rule, the file
// itself, and the altitude warning.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <filesystem>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "litchi/csv.h"
#include "model/error.h"
#include "model/fileio.h"
#include "tests/support/expect_error.h"
#include "tests/support/file_faults.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

const std::string kHeader =
    "latitude,longitude,altitude(m),heading(deg),curvesize(m),rotationdir,gimbalmode,"
    "gimbalpitchangle,actiontype1,actionparam1,actiontype2,actionparam2,actiontype3,actionparam3,"
    "actiontype4,actionparam4,actiontype5,actionparam5,actiontype6,actionparam6,actiontype7,"
    "actionparam7,actiontype8,actionparam8,actiontype9,actionparam9,actiontype10,actionparam10,"
    "actiontype11,actionparam11,actiontype12,actionparam12,actiontype13,actionparam13,"
    "actiontype14,actionparam14,actiontype15,actionparam15,altitudemode,speed(m/s),poi_latitude,"
    "poi_longitude,poi_altitude(m),poi_altitudemode,photo_timeinterval,photo_distinterval";

// The fields of the one data line of a single-waypoint file.
std::vector<std::string> DataFields(const TlitchRec& r) {
    const std::string text = FormatLitchiCsv({r});
    const std::size_t start = kHeader.size() + 2;
    const std::string line = text.substr(start, text.size() - start - 2);
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t p = line.find(','); p != std::string::npos; p = line.find(',', from)) {
        out.push_back(line.substr(from, p - from));
        from = p + 1;
    }
    out.push_back(line.substr(from));
    return out;
}

TEST(LitchiCsvWriter, ExampleWaypointGivesExactFile) {
    TlitchRec r;
    r.latitude = 48.5f;
    r.longitude = 11.5f;
    r.altitude = 40;
    r.speed = static_cast<float>(15 / 3.6);
    r.photo_timeinterval = 2;
    std::string line = " 48.500000, 11.500000,    40.000,    0.0000,  0.0,    0.0000, 0,  0.0,";
    for (int k = 0; k < 15; ++k) {
        line += "-1,0.00,";
    }
    line += "0,  4.2,  0.000000,  0.000000,     0.000,    0,    2,   0";
    EXPECT_EQ(FormatLitchiCsv({r}), kHeader + "\r\n" + line + "\r\n");
}

TEST(LitchiCsvWriter, HeaderHasTheFortySixNames) {
    EXPECT_EQ(LitchiCsvHeader(), kHeader);
    EXPECT_EQ(std::count(kHeader.begin(), kHeader.end(), ','), 45);
    // An empty mission is the header alone, CR LF ended, without byte-order mark.
    EXPECT_EQ(FormatLitchiCsv({}), kHeader + "\r\n");
}

TEST(LitchiCsvWriter, EachFieldInItsColumnAndWidth) {
    struct Case {
        const char* what;
        std::function<void(TlitchRec&)> set;
        int column; // 1-based
        const char* text;
    };
    const std::vector<Case> cases = {
        // -33.123457 is held as -33.12345886..., so the sixth decimal is that of the float.
        {"negative two-digit latitude fills the width",
         [](TlitchRec& r) { r.latitude = -33.123457f; }, 1, "-33.123459"},
        {"negative three-digit longitude takes eleven",
         [](TlitchRec& r) { r.longitude = -157.807261f; }, 2, "-157.807266"},
        {"altitude wider than its width", [](TlitchRec& r) { r.altitude = 1234567.0f; }, 3,
         "1234567.000"},
        {"heading of the stored float", [](TlitchRec& r) { r.heading = 359.99f; }, 4, "  359.9900"},
        {"curvesize", [](TlitchRec& r) { r.curvesize = 2.25f; }, 5, "  2.3"},
        {"rotationdir", [](TlitchRec& r) { r.rotationdir = 90; }, 6, "   90.0000"},
        {"gimbalmode 1 in width 2", [](TlitchRec& r) { r.gimbalmode = 1; }, 7, " 1"},
        {"gimbal pitch", [](TlitchRec& r) { r.gimbalpitchangle = -90; }, 8, "-90.0"},
        {"stay for 0 ms is not an empty slot", [](TlitchRec& r) { r.Actions[0].actiontype = 0; }, 9,
         "0"},
        {"actionparam wider than 4", [](TlitchRec& r) { r.Actions[0].actionparam = 1000; }, 10,
         "1000.00"},
        {"actionparam half goes away from zero",
         [](TlitchRec& r) { r.Actions[3].actionparam = 0.125; }, 16, "0.13"},
        {"last slot type", [](TlitchRec& r) { r.Actions[14].actiontype = 5; }, 37, "5"},
        {"last slot param", [](TlitchRec& r) { r.Actions[14].actionparam = -90; }, 38, "-90.00"},
        {"altitudemode", [](TlitchRec& r) { r.altitudemode = 1; }, 39, "1"},
        {"speed", [](TlitchRec& r) { r.speed = 4.5f; }, 40, "  4.5"},
        {"poi latitude of the stored float", [](TlitchRec& r) { r.poi_latitude = 48.1f; }, 41,
         " 48.099998"},
        {"poi longitude", [](TlitchRec& r) { r.poi_longitude = -9.5f; }, 42, " -9.500000"},
        {"poi altitude", [](TlitchRec& r) { r.poi_altitude = -12.5f; }, 43, "   -12.500"},
        {"poi altitudemode in width 5", [](TlitchRec& r) { r.poi_altitudemode = 1; }, 44, "    1"},
        {"photo time interval -1", [](TlitchRec& r) { r.photo_timeinterval = -1; }, 45, "   -1"},
        {"photo distance 2.5 rounds to 3", [](TlitchRec& r) { r.photo_distinterval = 2.5f; }, 46,
         "   3"},
    };
    const std::vector<std::string> zero = DataFields(TlitchRec{});
    ASSERT_EQ(zero.size(), 46u);
    for (const Case& c : cases) {
        TlitchRec r;
        c.set(r);
        std::vector<std::string> expected = zero;
        expected[static_cast<std::size_t>(c.column - 1)] = c.text;
        EXPECT_EQ(DataFields(r), expected) << c.what;
    }
}

TEST(LitchiCsvWriter, EveryLineHasFortySixValuesAndCrLf) {
    std::mt19937 gen(20261210);
    std::uniform_real_distribution<double> wide(-1e7, 1e7);
    std::uniform_int_distribution<int> anyInt(-2147483647 - 1, 2147483647);
    std::vector<TlitchRec> recs(50);
    for (TlitchRec& r : recs) {
        r.latitude = static_cast<float>(wide(gen));
        r.longitude = static_cast<float>(wide(gen));
        r.altitude = static_cast<float>(wide(gen));
        r.gimbalmode = anyInt(gen);
        r.speed = static_cast<float>(wide(gen));
        r.poi_altitudemode = anyInt(gen);
        for (TlitchAction& a : r.Actions) {
            a.actiontype = anyInt(gen);
            a.actionparam = wide(gen) * 1e10;
        }
        r.photo_timeinterval = anyInt(gen);
        r.photo_distinterval = static_cast<float>(wide(gen));
    }
    const std::string text = FormatLitchiCsv(recs);
    ASSERT_EQ(text.substr(0, 8), "latitude");
    std::size_t lines = 0;
    std::size_t from = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos;
         end = text.find("\r\n", from)) {
        const std::string line = text.substr(from, end - from);
        EXPECT_EQ(std::count(line.begin(), line.end(), ','), 45) << line;
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        ++lines;
        from = end + 2;
    }
    EXPECT_EQ(from, text.size()) << "text after the last CR LF";
    EXPECT_EQ(lines, recs.size() + 1);
}

TEST(LitchiCsvWriter, FileNameGetsCsvOnlyWithoutAnyPoint) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"LitchiLines.csv", "LitchiLines.csv"},
        {"mission", "mission.CSV"},
        {"flights/mission", "flights/mission.CSV"},
        {"C:\\data.old\\mission", "C:\\data.old\\mission"},
        {"/home/anna.berg/mission", "/home/anna.berg/mission"},
        {"mission.", "mission."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LitchiCsvFileName(c.in), c.out) << c.in;
    }
}

class LitchiCsvFile : public ::testing::Test {
  protected:
    const korvale::testing::TempDir tmp_{"litchi_csv_writer"};
    const std::filesystem::path dir_ = tmp_.path();
};

TEST_F(LitchiCsvFile, WritesUnderTheLengthenedNameAndReplacesOlderFile) {
    std::vector<TlitchRec> recs(3);
    recs[1].latitude = 47.25f;
    recs[2].Actions[5].actiontype = 1;
    std::string edit = (dir_ / "mission").string();
    WriteLitchiCVS(recs, edit);
    EXPECT_EQ(edit, (dir_ / "mission.CSV").string());
    EXPECT_EQ(ReadFileBytes(edit), FormatLitchiCsv(recs));

    // Writing again under the now dotted name replaces the file whole.
    recs.resize(1);
    WriteLitchiCVS(recs, edit);
    EXPECT_EQ(edit, (dir_ / "mission.CSV").string());
    EXPECT_EQ(ReadFileBytes(edit), FormatLitchiCsv(recs));
}

TEST_F(LitchiCsvFile, MissingFolderIsAnError) {
    std::string edit = (dir_ / "no_such_folder" / "mission.csv").string();
    test::ExpectError([&] { WriteLitchiCVS({TlitchRec{}}, edit); }, ErrorKind::File,
                      "Datei nicht gefunden\nDer Ordner existiert nicht: " + edit);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "no_such_folder"));
}

TEST_F(LitchiCsvFile, EveryFaultKeepsTheOldFile) {
    std::vector<TlitchRec> recs(20);
    recs[3].latitude = 48.5f;
    test::ExpectWriterSurvivesFaults(dir_, "mission.csv", [&](const std::string& path) {
        std::string edit = path;
        WriteLitchiCVS(recs, edit);
    });
}

TEST_F(LitchiCsvFile, NonFiniteValuesAreRefusedBeforeAnythingIsWritten) {
    const float nanBits = std::bit_cast<float>(0xffff00ffu); // a NaN as a fuzzer found it
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        std::function<void(TlitchRec&)> set;
        const char* decisive;
    } cases[] = {
        {[&](TlitchRec& r) { r.latitude = nanBits; }, "Wegpunkt 2, Spalte latitude: NAN"},
        {[&](TlitchRec& r) { r.altitude = static_cast<float>(-inf); },
         "Wegpunkt 2, Spalte altitude(m): -INF"},
        {[&](TlitchRec& r) { r.Actions[14].actionparam = inf; },
         "Wegpunkt 2, Spalte actionparam15: INF"},
        {[&](TlitchRec& r) { r.poi_longitude = nanBits; }, "Spalte poi_longitude: NAN"},
        {[&](TlitchRec& r) { r.photo_distinterval = static_cast<float>(inf); },
         "Spalte photo_distinterval: INF"},
    };
    std::string edit = (dir_ / "mission.csv").string();
    WriteLitchiCVS({TlitchRec{}}, edit);
    const std::string before = ReadFileBytes(edit);
    for (const auto& c : cases) {
        std::vector<TlitchRec> recs(4);
        c.set(recs[2]);
        test::ExpectError([&] { WriteLitchiCVS(recs, edit); }, ErrorKind::Refused, c.decisive);
        EXPECT_EQ(ReadFileBytes(edit), before);
    }
}

TEST(LitchiCsvWriter, ExtremeFiniteValuesReadBack) {
    // Whatever finite value the writer accepts, its own reader takes back.
    TlitchRec r;
    r.latitude = std::numeric_limits<float>::max();
    r.longitude = -std::numeric_limits<float>::max();
    r.heading = std::numeric_limits<float>::denorm_min();
    r.Actions[0].actionparam = std::numeric_limits<double>::max();
    r.Actions[1].actionparam = -std::numeric_limits<double>::max();
    const std::vector<TlitchRec> back = ParseLitchiCsv(FormatLitchiCsv({r}));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].latitude, r.latitude);
    EXPECT_EQ(back[0].longitude, r.longitude);
    EXPECT_EQ(back[0].heading, 0.0f);
    EXPECT_EQ(back[0].Actions[0].actionparam, r.Actions[0].actionparam);
    EXPECT_EQ(back[0].Actions[1].actionparam, r.Actions[1].actionparam);
}

TEST(LitchiCsvWriter, AltitudeWarningCountsWaypointsNotAboveZero) {
    const struct {
        std::vector<float> altitudes;
        const char* warning;
    } cases[] = {
        {{}, ""},
        {{40, 0.001f, 120}, ""},
        {{40, 0, 50}, "Achtung: 1 Wegpunkt mit Höhe 0 m"},
        {{-5, 0, 3}, "Achtung: 2 Wegpunkte mit Höhe 0 m"},
        {std::vector<float>(11, 0.0f), "Achtung: 11 Wegpunkte mit Höhe 0 m"},
    };
    for (const auto& c : cases) {
        std::vector<TlitchRec> recs(c.altitudes.size());
        for (std::size_t i = 0; i < recs.size(); ++i) {
            recs[i].altitude = c.altitudes[i];
        }
        EXPECT_EQ(AltitudeWarning(recs), c.warning) << c.altitudes.size();
    }
}

} // namespace
} // namespace korvale
