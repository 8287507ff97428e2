// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The action slots of written and real mission files as Python's csv module reads them: every
// unused slot of a grid mission is Litchi's "no action" (-1), and the real files of other tools
// give the reader the slots they hold, their zero-length waits included.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "litchi/csv.h"
#include "litchi/missions.h"
#include "missions_fixture.h"
#include "model/format.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

using testing::GroundE;
using testing::GroundN;

// The slots of each waypoint as the Python script prints them.
std::string PythonSlots(const std::string& csv, const testing::TempDir& dir) {
    const std::string out = dir.File("slots.txt");
    const std::string cmd = "/usr/bin/python3 '" KORVALE_SOURCE_DIR
                            "/tests/litchi/csv_slots.py' '" +
                            csv + "' > '" + out + "' 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream in(out, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The same text from the records the reader returned.
std::string ReaderSlots(const std::vector<TlitchRec>& recs) {
    std::string text;
    for (const TlitchRec& r : recs) {
        for (std::size_t k = 0; k < r.Actions.size(); ++k) {
            text += Format(k == 0 ? "%d %.2f" : " %d %.2f",
                           {r.Actions[k].actiontype, r.Actions[k].actionparam});
        }
        text += "\n";
    }
    return text;
}

TEST(LitchiCsvSlots, GridMissionWritesEveryUnusedSlotAsNoAction) {
    State s = testing::GeoreferencedState();
    s.CutPoints = {{GroundE(200), GroundN(300)},
                   {GroundE(800), GroundN(300)},
                   {GroundE(200), GroundN(330)},
                   {GroundE(800), GroundN(330)}};
    s.FlightSegs = {{0, 1}, {2, 3}};
    ParamPageModel p;
    LitchiPageModel m;
    Overlay o;
    MakeLitchiLines(s, p, m, o);
    ASSERT_EQ(s.LitchiRecs.size(), 4u);

    const testing::TempDir dir("litchi_slots");
    std::string file = dir.File("grid.csv");
    WriteLitchiCVS(s.LitchiRecs, file);
    std::string empty;
    for (int k = 0; k < 15; ++k) {
        empty += k == 0 ? "-1 0.00" : " -1 0.00";
    }
    EXPECT_EQ(PythonSlots(file, dir), empty + "\n" + empty + "\n" + empty + "\n" + empty + "\n");
    // Read back by our own reader the slots stay empty.
    EXPECT_EQ(ReaderSlots(ReadLitchiFile(file)), PythonSlots(file, dir));
}

TEST(LitchiCsvSlots, RealFilesGiveTheReaderTheirOwnSlots) {
    const testing::TempDir dir("litchi_slots");
    for (const char* name :
         {"carllx__Litchi_Toolbox__6th_spring_Re_Vittorio_Emanuele_II02.csv",
          "carllx__Litchi_Toolbox__clipboard_OUT.csv", "JoeKae__litchi_wp__waypoints.csv",
          "pdfinn__flightplan2litchimission__FinalTest.csv",
          "pdfinn__flightplan2litchimission__LitchiMissionTest.csv"}) {
        SCOPED_TRACE(name);
        const std::string file = std::string(KORVALE_FIXTURES_DIR) + "/litchi/" + name;
        EXPECT_EQ(ReaderSlots(ReadLitchiFile(file)), PythonSlots(file, dir));
    }
}

} // namespace
} // namespace korvale
