// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading real Litchi mission files written by other tools, and files that cannot be read.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "litchi/csv.h"
#include "model/error.h"
#include "model/fileio.h"
#include "tests/support/expect_error.h"

namespace korvale {
namespace {

std::string Fixture(const std::string& name) {
    return std::string(KORVALE_FIXTURES_DIR) + "/litchi/" + name;
}

float F(double v) {
    return static_cast<float>(v);
}

void ExpectEmptySlots(const TlitchRec& r, int from) {
    for (int k = from; k < 15; ++k) {
        EXPECT_EQ(r.Actions[k].actiontype, -1) << "slot " << k + 1;
        EXPECT_EQ(r.Actions[k].actionparam, 0) << "slot " << k + 1;
    }
}

TEST(LitchiCsvFixtures, FilesOfOtherToolsLoadWithTheirValues) {
    struct Case {
        const char* file;
        std::size_t count;
        std::function<void(const std::vector<TlitchRec>&)> check;
    };
    const std::vector<Case> cases = {
        {"carllx__Litchi_Toolbox__6th_spring_Re_Vittorio_Emanuele_II02.csv", 2,
         [](const std::vector<TlitchRec>& m) {
             // LF line ends, float artefacts written out in full
             EXPECT_EQ(m[0].latitude, F(43.776301199185646));
             EXPECT_EQ(m[0].curvesize, F(0.20000000298023224));
             EXPECT_EQ(m[0].gimbalmode, 1);
             EXPECT_EQ(m[0].altitudemode, 0);
             EXPECT_EQ(m[1].altitudemode, 1);
             EXPECT_EQ(m[1].gimbalpitchangle, F(-40.7016846413882));
             EXPECT_EQ(m[1].poi_longitude, F(11.23499166666667));
             EXPECT_EQ(m[1].poi_altitude, 10.0f);
             EXPECT_EQ(m[1].poi_altitudemode, 1);
             EXPECT_EQ(m[1].photo_timeinterval, -1);
             EXPECT_EQ(m[1].photo_distinterval, -1.0f);
             ExpectEmptySlots(m[1], 0);
         }},
        {"carllx__Litchi_Toolbox__clipboard_OUT.csv", 15,
         [](const std::vector<TlitchRec>& m) {
             // CR LF, no line end after the last waypoint, which is read whole
             EXPECT_EQ(m[0].altitude, 49.0f);
             EXPECT_EQ(m[0].heading, 264.0f);
             EXPECT_EQ(m[0].gimbalmode, 2);
             EXPECT_EQ(m[14].latitude, F(43.77420056319289));
             EXPECT_EQ(m[14].longitude, F(11.267954472280849));
             EXPECT_EQ(m[14].gimbalpitchangle, 15.0f);
             EXPECT_EQ(m[14].photo_timeinterval, -1);
             EXPECT_EQ(m[14].photo_distinterval, -1.0f);
         }},
        {"JoeKae__litchi_wp__waypoints.csv", 52,
         [](const std::vector<TlitchRec>& m) {
             // integer columns written as "-1.0"
             EXPECT_EQ(m[0].latitude, F(21.2568756));
             EXPECT_EQ(m[0].longitude, F(-157.8072611));
             EXPECT_EQ(m[0].altitude, 100.0f);
             EXPECT_EQ(m[0].Actions[0].actiontype, 0);
             EXPECT_EQ(m[0].Actions[0].actionparam, 1500.0);
             EXPECT_EQ(m[0].Actions[1].actiontype, -1);
             EXPECT_EQ(m[1].Actions[1].actiontype, 1);
             ExpectEmptySlots(m[1], 2);
             EXPECT_EQ(m[51].latitude, F(21.2577038));
             EXPECT_EQ(m[51].altitudemode, 1);
             EXPECT_EQ(m[51].speed, 15.0f);
             EXPECT_EQ(m[51].photo_timeinterval, -1);
             EXPECT_EQ(m[51].photo_distinterval, -1.0f);
         }},
        {"pdfinn__flightplan2litchimission__LitchiMissionTest.csv", 10,
         [](const std::vector<TlitchRec>& m) {
             // every value after ", "
             EXPECT_EQ(m[0].latitude, F(43.0009225317008));
             EXPECT_EQ(m[0].longitude, F(-89.0003069511573));
             EXPECT_EQ(m[0].heading, F(88.630554));
             EXPECT_EQ(m[0].gimbalpitchangle, -90.0f);
             EXPECT_EQ(m[0].Actions[0].actiontype, 1);
             ExpectEmptySlots(m[0], 1);
             EXPECT_EQ(m[0].altitudemode, 1);
             EXPECT_EQ(m[9].latitude, F(43.000594241923));
             EXPECT_EQ(m[9].photo_timeinterval, -1);
             EXPECT_EQ(m[9].photo_distinterval, 20.0f);
         }},
        {"pdfinn__flightplan2litchimission__FinalTest.csv", 10,
         [](const std::vector<TlitchRec>& m) {
             // unused slots as 0,0; "-1.0" for the photo time interval
             EXPECT_EQ(m[0].latitude, F(43.0009225));
             EXPECT_EQ(m[0].longitude, F(-89.0003070));
             EXPECT_EQ(m[0].altitude, 30.0f);
             EXPECT_EQ(m[0].gimbalpitchangle, -75.0f);
             EXPECT_EQ(m[0].Actions[0].actiontype, 1);
             EXPECT_EQ(m[0].Actions[14].actiontype, 0);
             EXPECT_EQ(m[9].longitude, F(-88.9992109));
             EXPECT_EQ(m[9].photo_timeinterval, -1);
             EXPECT_EQ(m[9].photo_distinterval, 15.0f);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<TlitchRec> m;
        ASSERT_NO_THROW(m = ReadLitchiFile(Fixture(c.file)));
        ASSERT_EQ(m.size(), c.count);
        c.check(m);

        // Written by us and read again, every waypoint keeps its place and values.
        const std::vector<TlitchRec> again = ParseLitchiCsv(FormatLitchiCsv(m));
        ASSERT_EQ(again.size(), m.size());
        for (std::size_t i = 0; i < m.size(); ++i) {
            EXPECT_NEAR(again[i].latitude, m[i].latitude, 6e-6);
            EXPECT_NEAR(again[i].longitude, m[i].longitude, 6e-6);
            EXPECT_NEAR(again[i].altitude, m[i].altitude, 5e-4);
            EXPECT_EQ(again[i].gimbalmode, m[i].gimbalmode);
            EXPECT_EQ(again[i].photo_timeinterval, m[i].photo_timeinterval);
            for (std::size_t k = 0; k < 15; ++k) {
                EXPECT_EQ(again[i].Actions[k].actiontype, m[i].Actions[k].actiontype);
            }
        }
    }
}

TEST(LitchiCsvFixtures, LineEndsDoNotChangeWhatIsRead) {
    // The same files with a lone CR, or LF, as every line end read as the originals.
    for (const char* file :
         {"carllx__Litchi_Toolbox__6th_spring_Re_Vittorio_Emanuele_II02.csv",
          "carllx__Litchi_Toolbox__clipboard_OUT.csv", "JoeKae__litchi_wp__waypoints.csv",
          "pdfinn__flightplan2litchimission__LitchiMissionTest.csv",
          "pdfinn__flightplan2litchimission__FinalTest.csv"}) {
        SCOPED_TRACE(file);
        const std::string bytes = ReadFileBytes(Fixture(file));
        const std::vector<TlitchRec> original = ParseLitchiCsv(bytes);
        for (const char* end : {"\r", "\n"}) {
            std::string changed;
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                if (bytes[i] == '\r' || bytes[i] == '\n') {
                    changed += end;
                    i += bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
                } else {
                    changed += bytes[i];
                }
            }
            const std::vector<TlitchRec> again = ParseLitchiCsv(changed);
            ASSERT_EQ(again.size(), original.size());
            for (std::size_t k = 0; k < again.size(); ++k) {
                EXPECT_EQ(FormatLitchiCsv({again[k]}), FormatLitchiCsv({original[k]}));
                EXPECT_EQ(again[k].latitude, original[k].latitude);
                EXPECT_EQ(again[k].longitude, original[k].longitude);
            }
        }
    }
}

// Another tool's 16-column layout in feet, with the names of the mission's columns: a reader
// that takes columns by position must refuse it with a clear message.
TEST(LitchiCsvFixtures, SixteenColumnFileIsRefused) {
    const std::string sixteen =
        "latitude,longitude,altitude(ft),heading(deg),curvesize(ft),rotationdir,gimbalmode,"
        "gimbalpitchangle,altitudemode,speed(m/s),poi_latitude,poi_longitude,poi_altitude(ft),"
        "poi_altitudemode,photo_timeinterval,photo_distinterval\n"
        "48.1201,11.5302,200.0,90,16.4,0,2,-40,0,8.0,48.1195,11.5310,-30,0,2.5,0\n"
        "48.1203,11.5314,212.5,180,98.4,0,2,-38,0,8.0,48.1195,11.5310,-30,0,2.5,0\n";
    test::ExpectError(
        [&] { ParseLitchiCsv(sixteen); }, ErrorKind::Damaged,
        "Die Datei ist keine Litchi-Datei.\nIhre erste Zeile hat 16 Spalten und beginnt mit "
        "'latitude,longitude,altitude(ft),heading('");
}

TEST(LitchiCsvFixtures, MissingFileIsAnError) {
    test::ExpectError([] { ReadLitchiFile(Fixture("no_such_mission.csv")); }, ErrorKind::File,
                      "Datei nicht gefunden\nDie Datei oder ihr Ordner existiert nicht: ");
}

} // namespace
} // namespace korvale
