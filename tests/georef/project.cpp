// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Map project data file: bytes, checked reading, image names, real files.
#include "georef/project.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "model/error.h"
#include "model/fileio.h"
#include "tests/support/expect_error.h"
#include "tests/support/file_faults.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// A data file built record by record, little-endian.
std::string Records(const std::vector<double>& values) {
    std::string out;
    for (double v : values) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        for (int i = 0; i < 8; ++i)
            out.push_back(static_cast<char>(bits >> (8 * i)));
    }
    return out;
}

std::vector<double> Header(double lastIndex) {
    return {0.5, -0.25, 300, 400, 32.6e6, 5.3e6, lastIndex};
}

std::vector<double> PointRecords(double typ, double xb = 10, double yb = 20) {
    return {48.1, 11.5, 32686000.25, 5330000.75, 1.86, xb, yb, typ};
}

std::string File(double lastIndex, int points, double typ = 1) {
    std::vector<double> v = Header(lastIndex);
    for (int i = 0; i < points; ++i) {
        const std::vector<double> p = PointRecords(typ, i, 2 * i);
        v.insert(v.end(), p.begin(), p.end());
    }
    return Records(v);
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSamePoint(const TPt& a, const TPt& b) {
    EXPECT_TRUE(SameBits(a.B, b.B));
    EXPECT_TRUE(SameBits(a.L, b.L));
    EXPECT_TRUE(SameBits(a.E, b.E));
    EXPECT_TRUE(SameBits(a.N, b.N));
    EXPECT_TRUE(SameBits(a.c, b.c));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(a.xb), std::bit_cast<std::uint32_t>(b.xb));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(a.yb), std::bit_cast<std::uint32_t>(b.yb));
    EXPECT_EQ(a.Typ, b.Typ);
}

void ExpectSameProject(const State& a, const State& b) {
    EXPECT_TRUE(SameBits(a.TrafO, b.TrafO));
    EXPECT_TRUE(SameBits(a.TrafA, b.TrafA));
    EXPECT_TRUE(SameBits(a.TrafM, b.TrafM));
    EXPECT_TRUE(SameBits(a.TrafYbs, b.TrafYbs));
    EXPECT_TRUE(SameBits(a.TrafXbs, b.TrafXbs));
    EXPECT_TRUE(SameBits(a.TrafYs, b.TrafYs));
    EXPECT_TRUE(SameBits(a.TrafXs, b.TrafXs));
    ASSERT_EQ(a.Points.size(), b.Points.size());
    for (std::size_t i = 0; i < a.Points.size(); ++i)
        ExpectSamePoint(a.Points[i], b.Points[i]);
}

TPt MakePoint(double B, double L, double E, double N, double c, float xb, float yb,
              std::uint8_t typ) {
    TPt p;
    p.B = B;
    p.L = L;
    p.E = E;
    p.N = N;
    p.c = c;
    p.xb = xb;
    p.yb = yb;
    p.Typ = typ;
    return p;
}

State ThreePointState() {
    State s;
    s.TrafO = 0.1;
    s.TrafA = -1.0 / 3.0;
    s.TrafM = 42; // not stored
    s.TrafYbs = 312.345678901234;
    s.TrafXbs = 4.9e-324; // a denormal survives too
    s.TrafYs = 32686123.456789;
    s.TrafXs = 5330987.654321;
    s.Points = {MakePoint(48.1, 11.5, 32686000.123, 5330000.987, 0, 120.125f, 80.5f, 1),
                MakePoint(0, 0, 0, 0, 0, 0.1f, -3.75f, 2),
                MakePoint(-0.0, 1e-300, 32600000, -1.5, 1.8611111111, 1e6f, 7.0f, 255)};
    return s;
}

TEST(ProjectFile, EmptyListIsTheHeaderAlone) {
    State s;
    s.TrafO = 1;
    const std::string bytes = EncodeProject(s);
    ASSERT_EQ(bytes.size(), 56u);
    // Record 1 = 1.0 and record 7 = -1.0, little-endian whatever the host.
    EXPECT_EQ(bytes.substr(0, 8), std::string("\0\0\0\0\0\0\xF0\x3F", 8));
    EXPECT_EQ(bytes.substr(48, 8), std::string("\0\0\0\0\0\0\xF0\xBF", 8));

    State loaded;
    loaded.Points.resize(3);
    ApplyProject(loaded, DecodeProject(bytes));
    EXPECT_TRUE(loaded.Points.empty());
    EXPECT_EQ(loaded.TrafO, 1.0);
}

TEST(ProjectFile, ThreePointsComeBackBitForBit) {
    const State s = ThreePointState();
    const std::string bytes = EncodeProject(s);
    ASSERT_EQ(bytes.size(), 248u);
    EXPECT_EQ(bytes, Records({0.1,
                              -1.0 / 3.0,
                              312.345678901234,
                              4.9e-324,
                              32686123.456789,
                              5330987.654321,
                              2,
                              48.1,
                              11.5,
                              32686000.123,
                              5330000.987,
                              0,
                              120.125,
                              80.5,
                              1,
                              0,
                              0,
                              0,
                              0,
                              0,
                              static_cast<double>(0.1f),
                              -3.75,
                              2,
                              -0.0,
                              1e-300,
                              32600000,
                              -1.5,
                              1.8611111111,
                              1e6,
                              7,
                              255}));

    State loaded;
    loaded.TrafM = 3.5;
    loaded.BorderIdx = {0, 1};
    loaded.CutPoints = {{1, 2}};
    loaded.Points.resize(7);
    ApplyProject(loaded, DecodeProject(bytes));

    State expected = s;
    expected.TrafM = 3.5; // the scale is not part of the file and stays
    ExpectSameProject(loaded, expected);
    EXPECT_EQ(loaded.BorderIdx, (std::vector<int>{0, 1}));
    EXPECT_EQ(loaded.CutPoints.size(), 1u);
}

TEST(ProjectFile, PointCountAndKindAsStored) {
    // Record 7 of 4.0 reads five points; bytes after the declared points are left alone.
    EXPECT_EQ(DecodeProject(File(4.0, 5)).Points.size(), 5u);
    EXPECT_EQ(DecodeProject(File(1.0, 3)).Points.size(), 2u);
    EXPECT_EQ(DecodeProject(File(-1.0, 0) + "x").Points.size(), 0u);
    EXPECT_EQ(DecodeProject(File(-0.0, 1)).Points.size(), 1u);

    struct Kind {
        double stored;
        std::uint8_t typ;
    };
    const Kind kinds[] = {{0, 0},    {4, 4},   {3.9, 3},      {-0.5, 0},
                          {-1, 255}, {257, 1}, {-257.7, 255}, {1e300, 0}};
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.stored);
        EXPECT_EQ(DecodeProject(File(0, 1, k.stored)).Points.at(0).Typ, k.typ);
    }
}

TEST(ProjectFile, DamagedFilesChangeNothing) {
    const char* const pastEnd = "Versuch hinter dem Dateiende zu lesen";
    const char* const count = "Die Projektdatei ist beschädigt: ungültige Punktanzahl.";
    const char* const value = "Die Projektdatei ist beschädigt: ungültiger Zahlenwert.";
    const char* const position = "Die Projektdatei ist beschädigt: ungültige Kartenposition.";
    const char* const kind = "Die Projektdatei ist beschädigt: ungültige Punktart.";

    auto withPoint = [](std::vector<double> point) {
        std::vector<double> v = Header(0);
        v.insert(v.end(), point.begin(), point.end());
        return Records(v);
    };
    std::vector<double> nanTraf = Header(-1);
    nanTraf[2] = NaN;
    const char* const ground =
        "Die Projektdatei ist beschädigt: die Transformation ergibt ungültige Koordinaten.";
    std::vector<double> huge = Header(0);
    huge[0] = 1e300;
    for (double v : {0.0, 0.0, 0.0, 0.0, 0.0, 1e10, 2.0, 0.0})
        huge.push_back(v);
    const std::string hugeTraf = Records(huge);

    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"empty", "", pastEnd},
        {"cut in the header", File(-1, 0).substr(0, 55), pastEnd},
        {"cut in the points", File(1, 2).substr(0, 56 + 64 + 63), pastEnd},
        {"one point short", File(2, 2), pastEnd},
        {"count far too large", File(1e9, 2), pastEnd},
        {"count 2.5", File(2.5, 4), count},
        {"count -2", File(-2, 0), count},
        {"count -0.5", File(-0.5, 1), count},
        {"count NaN", File(NaN, 1), count},
        {"count infinite", File(Inf, 1), count},
        {"count 1e300", File(1e300, 1), pastEnd},
        {"transformation NaN", Records(nanTraf), value},
        {"latitude NaN", withPoint({NaN, 11.5, 32686000, 5330000, 0, 1, 2, 1}), value},
        {"easting infinite", withPoint({48, 11.5, -Inf, 5330000, 0, 1, 2, 1}), value},
        {"xb infinite", withPoint({48, 11.5, 32686000, 5330000, 0, Inf, 2, 1}), position},
        {"yb beyond single", withPoint({48, 11.5, 32686000, 5330000, 0, 1, 1e39, 1}), position},
        {"kind NaN", withPoint({48, 11.5, 32686000, 5330000, 0, 1, 2, NaN}), kind},
        {"kind infinite", withPoint({48, 11.5, 32686000, 5330000, 0, 1, 2, -Inf}), kind},
        // Finite everywhere, but the redraw would give the point without ground coordinates
        // an infinite easting, which no later save could store.
        {"transformation to infinity", hugeTraf, ground},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        State s = ThreePointState();
        const State before = s;
        const std::string message = test::ExpectError(
            [&] { ApplyProject(s, DecodeProject(c.bytes)); }, ErrorKind::Damaged, c.message);
        EXPECT_EQ(message, c.message);
        ExpectSameProject(s, before);
    }
}

TEST(ProjectFile, RandomBytesAreRefused) {
    std::mt19937 random(20261210);
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 700, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random() & 0xFF);
        SCOPED_TRACE(round);
        State s = ThreePointState();
        const State before = s;
        EXPECT_THROW(ApplyProject(s, DecodeProject(bytes)), Error);
        ExpectSameProject(s, before);
    }
}

TEST(ProjectFile, ImageNames) {
    struct Case {
        const char* project;
        const char* image;
        const char* legacy;
    };
    const Case cases[] = {
        {"/home/anna.berg/Karten/Heim.dat", "/home/anna.berg/Karten/Heim.jpg", "/home/anna.jpg"},
        {"./Heim.dat", "./Heim.jpg", ".jpg"},
        {"Heim", "Heimjpg", "Heimjpg"},
        {"TrafPar.dat", "TrafPar.jpg", "TrafPar.jpg"},
        {"Flug.alt/Heim.dat", "Flug.alt/Heim.jpg", "Flug.jpg"},
        {"Flug.alt/Heim", "Flug.alt/Heimjpg", "Flug.jpg"},
        {"/tmp/Karte.2026.dat", "/tmp/Karte.jpg", "/tmp/Karte.jpg"},
        {"/tmp/Heim.", "/tmp/Heim.jpg", "/tmp/Heim.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        EXPECT_EQ(ProjectImageName(c.project), c.image);
        EXPECT_EQ(LegacyProjectImageName(c.project), c.legacy);
    }
}

class ProjectFolder : public ::testing::Test {
  protected:
    const korvale::testing::TempDir tmp{"korvale-georef"};
    const std::filesystem::path dir = tmp.path();
};

TEST_F(ProjectFolder, RoundTripThroughARealFile) {
    const std::string path = (dir / "Heim.dat").string();
    {
        std::ofstream old(path, std::ios::binary);
        old << std::string(1000, 'x'); // an older, longer file is replaced whole
    }
    const State s = ThreePointState();
    SaveProjectData(s, path);
    EXPECT_EQ(std::filesystem::file_size(path), 248u);

    State loaded;
    loaded.TrafM = s.TrafM;
    ApplyProject(loaded, LoadProjectData(path));
    ExpectSameProject(loaded, s);
    EXPECT_EQ(ProjectImageName(path), (dir / "Heim.jpg").string());
}

TEST(ProjectFile, PointsWithoutGroundCoordinatesStillLoad) {
    // A point clicked before the transformation keeps E = 0 and gets its coordinates on the
    // redraw; that ordinary case must not be taken for the damaged one.
    std::vector<double> v = Header(0);
    for (double x : {0.0, 0.0, 0.0, 0.0, 0.0, 640.0, 480.0, 2.0})
        v.push_back(x);
    EXPECT_EQ(DecodeProject(Records(v)).Points.size(), 1u);
}

TEST_F(ProjectFolder, AStateThatWouldNotLoadAgainIsNotSaved) {
    const std::string path = (dir / "Heim.dat").string();
    SaveProjectData(ThreePointState(), path);
    const std::string before = ReadFileBytes(path);

    State hugeTraf = ThreePointState();
    hugeTraf.TrafO = 1e300;
    hugeTraf.Points[0].E = 0;
    hugeTraf.Points[0].xb = 1e10f;
    State infinite = ThreePointState();
    infinite.Points[1].E = Inf;
    for (const State* s : {&hugeTraf, &infinite}) {
        test::ExpectError([&] { SaveProjectData(*s, path); }, ErrorKind::Refused,
                          "sich nicht wieder laden ließe; es wurde nicht gespeichert.\n");
        EXPECT_EQ(ReadFileBytes(path), before);
    }
}

TEST_F(ProjectFolder, EveryFaultKeepsTheOldFile) {
    test::ExpectWriterSurvivesFaults(
        dir, "Heim.dat", [](const std::string& path) { SaveProjectData(ThreePointState(), path); });
}

TEST_F(ProjectFolder, FileErrors) {
    const std::string missing = (dir / "fehlt.dat").string();
    test::ExpectError([&] { LoadProjectData(missing); }, ErrorKind::File,
                      "Datei nicht gefunden\nDie Datei oder ihr Ordner existiert nicht: " +
                          missing);
    const std::string noFolder = (dir / "fehlt" / "Heim.dat").string();
    test::ExpectError([&] { SaveProjectData(ThreePointState(), noFolder); }, ErrorKind::File,
                      "Datei nicht gefunden\nDer Ordner existiert nicht: " + noFolder);
    EXPECT_FALSE(std::filesystem::exists(dir / "fehlt"));

    const std::string path = (dir / "kurz.dat").string();
    {
        std::ofstream f(path, std::ios::binary);
        f << File(3, 2);
    }
    test::ExpectError([&] { LoadProjectData(path); }, ErrorKind::Damaged,
                      "Versuch hinter dem Dateiende zu lesen");
}

} // namespace
} // namespace korvale
