// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Long missions cut into battery-sized parts: the cut between flight lines over a sweep of
// real plans, the small cases by hand, the count split of other missions, and the part files
// (names, all-or-nothing write, read back).
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "litchi/csv.h"
#include "litchi/limits.h"
#include "litchi/missions.h"
#include "litchi/split.h"
#include "missions_fixture.h"
#include "model/fileio.h"
#include "planning/border.h"
#include "planning/grid.h"
#include "tests/support/expect_error.h"
#include "tests/support/file_faults.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

using test::ExpectError;
using testing::PointAt;

// An L-shaped area (600 x 400 m with a 300 x 200 m notch), so legs bend around the notch at
// some directions, planned at direction ri with 25 m spacing and made into the grid mission at
// 18 km/h (5 m/s).
State PlannedMission(double ri) {
    State s = testing::GeoreferencedState();
    const float ring[][2] = {{200, 200}, {800, 200}, {800, 400},
                             {500, 400}, {500, 600}, {200, 600}};
    for (const auto& c : ring) {
        s.Points.push_back(PointAt(c[0], c[1], KindBorder));
    }
    ParamPageModel p;
    p.NumberBoxV.SetValue(18);
    SetBorderPointer(s, p);
    CalcBorderMinMax(s);
    Schnitte(s, ri, 25);
    LitchiPageModel m;
    Overlay o;
    MakeLitchiLines(s, p, m, o);
    return s;
}

// The modelled flight of the waypoints `recs` computed afresh: taking off at the whole
// mission's first waypoint, no picture stops.
double PartMinutes(const std::vector<TlitchRec>& recs, const TlitchRec& start,
                   const SplitOptions& o) {
    std::vector<double> lat, lon;
    for (const TlitchRec& r : recs) {
        lat.push_back(r.latitude);
        lon.push_back(r.longitude);
    }
    SplitOptions from = o;
    from.takeoff = TakeoffPos{start.latitude, start.longitude};
    return ModelFlightTime(ModelWayOfDegrees(lat, lon, {}, from), o.model).TotalMin();
}

TEST(MissionSplit, PartsOfRealPlansFlyEveryLineOnceWithinBatteryAndFile) {
    const double speed = 5;
    for (double ri : {0.01, 30.0, 90.0, 135.0, 200.0, 333.0}) {
        const State s = PlannedMission(ri);
        const std::vector<int> lineOf = MissionLinesOf(s);
        ASSERT_EQ(lineOf.size(), s.LitchiRecs.size());
        ASSERT_GT(lineOf.size(), 20u);
        const int lines = lineOf.back() + 1;
        for (double battery : {7.0, 12.0, 60.0}) {
            for (int maxWp : {2, 5, 9, 99}) {
                SCOPED_TRACE(::testing::Message()
                             << "ri " << ri << " battery " << battery << " max " << maxWp);
                SplitOptions o{battery, maxWp, speed};
                o.heightM = 40;
                const std::vector<MissionPart> parts = SplitMission(s.LitchiRecs, lineOf, o);
                ASSERT_FALSE(parts.empty());
                int nextLine = 0;
                for (std::size_t k = 0; k < parts.size(); ++k) {
                    const MissionPart& p = parts[k];
                    // Its lines follow the previous part's, nothing twice, nothing left out.
                    EXPECT_EQ(p.firstLine, nextLine);
                    nextLine = p.lastLine + 1;
                    // A complete mission of the whole mission's waypoints, from the start of
                    // its first line to the end of its last.
                    const std::size_t first = p.firstWaypoint;
                    ASSERT_LE(first + p.recs.size(), s.LitchiRecs.size());
                    EXPECT_EQ(FormatLitchiCsv(p.recs),
                              FormatLitchiCsv({s.LitchiRecs.begin() + first,
                                               s.LitchiRecs.begin() + first + p.recs.size()}));
                    const auto startOf = [&](int line) {
                        return static_cast<std::size_t>(
                            std::find(lineOf.begin(), lineOf.end(), line) - lineOf.begin());
                    };
                    EXPECT_EQ(first, startOf(p.firstLine));
                    // Its last waypoint is its last line's end: the leg onwards is not flown.
                    EXPECT_EQ(first + p.recs.size() - 1, startOf(p.lastLine) + 1);
                    // Within the file and the battery with its 20 % reserve, take-off, transit
                    // and landing included.
                    EXPECT_LE(p.recs.size(), static_cast<std::size_t>(maxWp));
                    const double minutes = PartMinutes(p.recs, s.LitchiRecs.front(), o);
                    EXPECT_LE(minutes, 0.8 * battery + 1e-9);
                    EXPECT_NEAR(p.timeMin, minutes, 1e-9);
                    EXPECT_NEAR(p.batteryShare, minutes / battery, 1e-9);
                    EXPECT_GE(p.timeMin * 60, p.lengthM / speed);
                    // Greedy is as good as it gets: the next line would not have fitted.
                    if (k + 1 < parts.size()) {
                        const MissionPart& q = parts[k + 1];
                        std::vector<TlitchRec> longer(s.LitchiRecs.begin() + first,
                                                      s.LitchiRecs.begin() + q.firstWaypoint + 2);
                        EXPECT_TRUE(longer.size() > static_cast<std::size_t>(maxWp) ||
                                    PartMinutes(longer, s.LitchiRecs.front(), o) > 0.8 * battery);
                    }
                }
                EXPECT_EQ(nextLine, lines);
            }
        }
    }
}

TEST(MissionSplit, SmallCasesByHand) {
    // Four lines of 100 m (two waypoints each), joined by legs of 10 m, the second leg with a
    // bend. Known only by their steps, every waypoint is a stop (1 s) and the drone takes off at
    // the first: a run of 100 m at 5 m/s takes 20 + 2.5 s, of 10 m 2 sqrt 5 s, of 5 m
    // 2 sqrt 2.5 s, a transit of d m at 8 m/s d / 8 + 4 s. A battery keeps 20 % back:
    // line 0 alone needs 0.854 min of battery, lines 0-1 1.744, lines 0-2 2.694, all 3.584;
    // line 2 alone 2.083, lines 2-3 2.973, line 3 alone 2.656.
    const std::vector<int> lineOf = {0, 0, 1, 1, 1, 2, 2, 3, 3};
    const std::vector<double> steps = {100, 10, 100, 5, 5, 100, 10, 100};
    const struct {
        double battery;
        int maxWp;
        std::vector<int> linesPerPart;
    } cases[] = {
        {3.0, 99, {3, 1}},      // by time: three lines fit, the fourth flies alone
        {2.7, 99, {3, 1}},      // three lines just fit (2.694)
        {2.66, 99, {2, 1, 1}},  // three do not; line 3 alone just fits (2.656)
        {3.6, 99, {4}},         // all of it (3.584)
        {100, 4, {2, 2}},       // by count: two lines are four waypoints
        {100, 5, {2, 2}},       // the bend would be the fifth, the next line the sixth
        {100, 6, {2, 2}},       // line 2 ends with the 6th waypoint but needs the bend too
        {100, 7, {3, 1}},       // lines 0..2 with the bend: 7 waypoints
        {100, 99, {4}},         // fits whole
        {100, 2, {1, 1, 1, 1}}, // one line per file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.battery << " min, " << c.maxWp << " waypoints");
        const std::vector<WayRange> ranges = SplitWay(lineOf, steps, {c.battery, c.maxWp, 5});
        std::vector<int> got;
        for (const WayRange& r : ranges) {
            got.push_back(r.lastLine - r.firstLine + 1);
        }
        EXPECT_EQ(got, c.linesPerPart);
    }
    const std::vector<WayRange> two = SplitWay(lineOf, steps, {100, 4, 5});
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].first, 0u);
    EXPECT_EQ(two[0].count, 4u);
    EXPECT_DOUBLE_EQ(two[0].lengthM, 210);
    EXPECT_EQ(two[1].first, 5u); // the second part starts at line 2; the bend is not flown
    EXPECT_EQ(two[1].count, 4u);
    // A smaller reserve lets more fit: all four lines in 3.1 min at 5 %.
    EXPECT_EQ(SplitWay(lineOf, steps, {3.1, 99, 5}).size(), 2u);
    SplitOptions lowReserve{3.1, 99, 5};
    lowReserve.reservePct = 5;
    EXPECT_EQ(SplitWay(lineOf, steps, lowReserve).size(), 1u);

    ExpectError(
        [&] {
            SplitWay(lineOf, steps, {1.0, 99, 5});
        },
        ErrorKind::Limit, "Flugstreifen 2 braucht allein 1.2 min");
    ExpectError(
        [&] {
            SplitWay({0, 0, 1, 1}, {100, 10, 300}, {1.0, 99, 5});
        },
        ErrorKind::Limit, "Flugstreifen 2 braucht allein 2.3 min");
    // Without a speed the time is unknown: the count alone cuts, however short the battery.
    const std::vector<WayRange> byCount = SplitWay(lineOf, steps, {0.1, 4, 0});
    ASSERT_EQ(byCount.size(), 2u);
    EXPECT_EQ(byCount[1].firstLine, 2);
    ExpectError(
        [&] {
            SplitWay(lineOf, steps, {20, 99, -1});
        },
        ErrorKind::Refused, "Geschwindigkeit der Mission ist keine gültige Zahl");
    ExpectError([&] { SplitWay(lineOf, steps, {0, 99, 5}); }, ErrorKind::Refused, "Akku (min)");
    for (double reserve : {-1.0, 50.5, std::nan("")}) {
        SplitOptions o{20, 99, 5};
        o.reservePct = reserve;
        ExpectError([&] { SplitWay(lineOf, steps, o); }, ErrorKind::Refused,
                    "Akkureserve muss zwischen 0 und 50 % liegen");
    }
    ExpectError(
        [&] {
            SplitWay(lineOf, steps, {20, 1, 5});
        },
        ErrorKind::Refused, "mindestens 2 Wegpunkte");
    EXPECT_TRUE(SplitWay({}, {}, {20, 99, 5}).empty());
}

TEST(MissionSplit, OtherMissionsSplitByCountSharingTheCutWaypoint) {
    std::vector<TlitchRec> recs(10);
    for (std::size_t i = 0; i < recs.size(); ++i) {
        recs[i].latitude = 48.0f;
        recs[i].longitude = 11.0f + 0.001f * static_cast<float>(i);
        recs[i].altitude = static_cast<float>(i);
    }
    const struct {
        int maxWp;
        std::vector<std::size_t> firsts, sizes;
    } cases[] = {
        {4, {0, 3, 6}, {4, 4, 4}},
        {5, {0, 4, 8}, {5, 5, 2}},
        {9, {0, 8}, {9, 2}},
        {10, {0}, {10}},
        {2, {0, 1, 2, 3, 4, 5, 6, 7, 8}, {2, 2, 2, 2, 2, 2, 2, 2, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.maxWp);
        // Neither speed nor battery matter here; the count alone decides.
        const std::vector<MissionPart> parts = SplitMission(recs, {}, {0, c.maxWp, 0});
        std::vector<std::size_t> firsts, sizes;
        for (const MissionPart& p : parts) {
            firsts.push_back(p.firstWaypoint);
            sizes.push_back(p.recs.size());
            EXPECT_EQ(p.recs.front().altitude, static_cast<float>(p.firstWaypoint));
            EXPECT_EQ(p.firstLine, -1);
        }
        EXPECT_EQ(firsts, c.firsts);
        EXPECT_EQ(sizes, c.sizes);
    }
    EXPECT_EQ(SplitMission({}, {}, {}).size(), 1u); // an empty mission stays one empty file
    ExpectError(
        [&] {
            SplitMission(recs, {}, {20, 1, 5});
        },
        ErrorKind::Refused, "mindestens 2 Wegpunkte");
}

TEST(MissionSplit, OnlyTheGridMissionKeepsItsLines) {
    State s = PlannedMission(0.01);
    EXPECT_FALSE(MissionLinesOf(s).empty());
    // An edited mission of another length (or any other mission) is split by count only.
    s.LitchiRecs.pop_back();
    EXPECT_TRUE(MissionLinesOf(s).empty());
    s = PlannedMission(0.01);
    s.Points.push_back(PointAt(300, 300, KindFreeLine));
    s.Points.push_back(PointAt(400, 300, KindFreeLine));
    SetFreeLine(s);
    LitchiPageModel m;
    MakeFreeLitchiLines(s, m);
    EXPECT_TRUE(s.LitchiLineOf.empty());
    EXPECT_TRUE(MissionLinesOf(s).empty());
}

TEST(MissionSplit, BatteriesOfThePlanAsThePagesShowThem) {
    const State s = PlannedMission(30);
    ParamPageModel p;
    p.NumberBoxV.SetValue(18);
    LitchiPageModel m;
    m.NumberBoxAkku.SetValue(12);
    EXPECT_EQ(ShowBatteries(s, p, m), "");
    const std::vector<MissionPart> parts =
        SplitMission(s.LitchiRecs, MissionLinesOf(s), SplitOptionsOf(p, m));
    ASSERT_GT(parts.size(), 1u);
    EXPECT_EQ(p.NumberBoxAkkus.Value(), static_cast<double>(parts.size()));
    EXPECT_EQ(p.NumberBoxDateien.Value(), static_cast<double>(parts.size()));
    // "Flugzeit Modell": every battery's flight, as the parts of the written mission (the
    // file's degrees against the plan's metres) and never below path / speed ("Zeit Min").
    double total = 0;
    for (const MissionPart& part : parts) {
        total += part.timeMin;
    }
    EXPECT_NEAR(p.NumberBoxFlugzeitModell.Value(), total, 1e-3 * total);
    const FlightPlan plan = PlanOfState(s, p.NumberBoxA.Value(), p.NumberBoxV.Value());
    EXPECT_GT(p.NumberBoxFlugzeitModell.Value(), plan.totals.flightMin);
    // A larger reserve needs more batteries.
    m.NumberBoxReserve.SetValue(50);
    EXPECT_EQ(ShowBatteries(s, p, m), "");
    EXPECT_GT(p.NumberBoxAkkus.Value(), static_cast<double>(parts.size()));
    m.NumberBoxReserve.SetValue(20);
    // Fewer waypoints per file: more files, the same batteries.
    m.NumberBoxMaxWP.SetValue(4);
    EXPECT_EQ(ShowBatteries(s, p, m), "");
    EXPECT_EQ(p.NumberBoxAkkus.Value(), static_cast<double>(parts.size()));
    EXPECT_EQ(p.NumberBoxDateien.Value(),
              static_cast<double>(
                  SplitMission(s.LitchiRecs, MissionLinesOf(s), SplitOptionsOf(p, m)).size()));
    EXPECT_GT(p.NumberBoxDateien.Value(), p.NumberBoxAkkus.Value());
    m.NumberBoxMaxWP.SetValue(99);
    // A drone that stops for every picture (DJI Fly) flies longer than one that does not.
    m.NumberBoxAkku.SetValue(20);
    EXPECT_EQ(ShowBatteries(s, p, m), "");
    const double flying = p.NumberBoxFlugzeitModell.Value();
    p.Drohne.photoWaypoints = true;
    p.Drohne.model.stopsAtPhotos = true;
    EXPECT_EQ(ShowBatteries(s, p, m), "");
    EXPECT_GT(p.NumberBoxFlugzeitModell.Value(), flying);
    p.Drohne = DroneFlightValues{};
    // A line longer than the battery: no count, and the reason.
    m.NumberBoxAkku.SetValue(1);
    EXPECT_EQ(ShowBatteries(s, p, m).rfind("Akkus: Flugstreifen ", 0), 0u);
    EXPECT_EQ(p.NumberBoxAkkus.Value(), 0);
    EXPECT_EQ(p.NumberBoxFlugzeitModell.Value(), 0);
    // No speed, no flight time to share out.
    m.NumberBoxAkku.SetValue(20);
    p.NumberBoxV.SetValue(0);
    EXPECT_EQ(ShowBatteries(s, p, m), "");
    EXPECT_EQ(p.NumberBoxAkkus.Value(), 0);
    EXPECT_EQ(ShowBatteries(State{}, p, m), "");
}

TEST(MissionSplit, PartFileNames) {
    const struct {
        const char* path;
        std::size_t k;
        const char* name;
    } cases[] = {
        {"mission.csv", 1, "mission_1.csv"},
        {"/home/anna.berg/flug/mission.CSV", 12, "/home/anna.berg/flug/mission_12.CSV"},
        {"/home/anna.berg/mission", 2, "/home/anna.berg/mission_2"},
        {"ab.c.csv", 3, "ab.c_3.csv"},
        {"/tmp/.csv", 1, "/tmp/.csv_1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MissionPartName(c.path, c.k), c.name);
    }
}

std::vector<MissionPart> ThreeParts() {
    const State s = PlannedMission(0.01);
    std::vector<MissionPart> parts = SplitMission(s.LitchiRecs, MissionLinesOf(s), {60, 9, 5});
    EXPECT_GE(parts.size(), 3u);
    parts.resize(3);
    return parts;
}

TEST(MissionSplit, PartsAreWrittenAsFilesOfTheLitchiFormatAndReadBack) {
    testing::TempDir dir;
    const std::vector<MissionPart> parts = ThreeParts();
    const std::string path = dir.File("mission.csv");
    const std::vector<std::string> names = WriteMissionParts(path, parts);
    ASSERT_EQ(names, (std::vector<std::string>{dir.File("mission_1.csv"), dir.File("mission_2.csv"),
                                               dir.File("mission_3.csv")}));
    EXPECT_FALSE(std::filesystem::exists(path));
    for (std::size_t k = 0; k < names.size(); ++k) {
        SCOPED_TRACE(names[k]);
        const std::vector<TlitchRec> back = ReadLitchiFile(names[k]);
        EXPECT_EQ(FormatLitchiCsv(back), FormatLitchiCsv(parts[k].recs));
        // As plain CSV: the header of the format, then one line of 46 values per waypoint.
        const std::string text = ReadFileBytes(names[k]);
        std::size_t lines = 0;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find("\r\n", at);
            ASSERT_NE(end, std::string::npos);
            const std::string line = text.substr(at, end - at);
            if (lines == 0) {
                EXPECT_EQ(line, LitchiCsvHeader());
            }
            EXPECT_EQ(std::count(line.begin(), line.end(), ','), 45) << line;
            ++lines;
            at = end + 2;
        }
        EXPECT_EQ(lines, parts[k].recs.size() + 1);
    }

    // A mission that fits is one file under its own name.
    const std::vector<MissionPart> one = {parts[0]};
    EXPECT_EQ(WriteMissionParts(path, one), std::vector<std::string>{path});
    EXPECT_EQ(ReadFileBytes(path), FormatLitchiCsv(parts[0].recs));
}

TEST(MissionSplit, PartsOfAnEarlierWriteAreNamed) {
    testing::TempDir dir;
    const std::string path = dir.File("mission.csv");
    const std::vector<MissionPart> three = ThreeParts();
    const struct {
        std::size_t parts;
        std::vector<std::string> left;
    } steps[] = {
        {1, {}},
        {3, {"mission.csv"}},
        {2, {"mission.csv", "mission_3.csv"}},
        {1, {"mission_1.csv", "mission_2.csv", "mission_3.csv"}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.parts);
        WriteMissionParts(path, {three.begin(), three.begin() + static_cast<long>(s.parts)});
        std::vector<std::string> left;
        for (const std::string& name : s.left) {
            left.push_back(dir.File(name));
        }
        EXPECT_EQ(LeftoverPartNames(path, s.parts), left);
    }
}

TEST(MissionSplit, AFailureOnTheThirdPartReplacesNoPart) {
    testing::TempDir dir;
    const std::string path = dir.File("mission.csv");
    for (const char* old : {"mission.csv", "mission_1.csv", "mission_2.csv", "mission_3.csv"}) {
        WriteFileAtomic(dir.File(old), std::string("alt: ") + old + "\r\n");
    }
    const std::vector<MissionPart> parts = ThreeParts();
    const auto before = test::FolderSnapshot(dir.File(""));
    // The temporary file of the third part cannot be made, or it cannot be renamed after the
    // first two parts already were.
    for (const char* call : {"open", "rename"}) {
        SCOPED_TRACE(call);
        FileSystemCalls& c = ActiveFileCalls();
        const FileSystemCalls sys = SystemFileCalls();
        auto third = [](const char* p) {
            return std::string(p).find("mission_3") != std::string::npos;
        };
        if (std::string(call) == "open") {
            c.open = [sys, third](const char* p, int f, mode_t m) {
                errno = ENOSPC;
                return third(p) ? -1 : sys.open(p, f, m);
            };
        } else {
            c.rename = [sys, third](const char* a, const char* b) {
                errno = EIO;
                return third(b) ? -1 : sys.rename(a, b);
            };
        }
        const std::string message =
            ExpectError([&] { WriteMissionParts(path, parts); }, ErrorKind::File, "mission_3.csv");
        ActiveFileCalls() = SystemFileCalls();
        EXPECT_EQ(test::FolderSnapshot(dir.File("")), before) << message;
    }
}

} // namespace
} // namespace korvale
