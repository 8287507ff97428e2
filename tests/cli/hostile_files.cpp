// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// korvale-plan against hostile files and names: every case is refused with its German message
// and exit status 1, and the folder holds afterwards exactly what it held before (no file
// created or changed, no temporary file left).
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "cli/plan_command.h"
#include "model/format.h"
#include "model/state.h"
#include "tests/support/folder_state.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

namespace fs = std::filesystem;

// A GeoJSON polygon of corners given in metres east and north of 48 N, 11 E.
std::string AreaText(const std::vector<std::pair<double, double>>& xy) {
    const double m = 1.0 / 111200.0, me = m / std::cos(48.0 / Rho);
    std::string coords;
    for (std::size_t i = 0; i <= xy.size(); ++i) {
        const auto& [x, y] = xy[i % xy.size()];
        coords += Format(i ? ",[%.9f,%.9f]" : "[%.9f,%.9f]", {11.0 + x * me, 48.0 + y * m});
    }
    return R"({"type":"Polygon","coordinates":[[)" + coords + "]]}";
}

class HostileFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        Put("feld.geojson", AreaText({{0, 0}, {200, 0}, {200, 150}, {0, 150}}));
        Put("a.x", "alt");
        ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0644), 0);
        ASSERT_EQ(::mkfifo(P("fifo.geojson").c_str(), 0644), 0);
        fs::create_symlink(P("a.x"), P("link-a"));
        fs::create_symlink(P("fehlt/plan.dxf"), P("dangling.dxf"));
        root_ = ::geteuid() == 0 &&
                ::mknod(P("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 &&
                ::mknod(P("zero.geojson").c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0;
        if (root_)
            fs::create_symlink(P("zero.geojson"), P("link-zero.geojson"));
    }
    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    void Put(const std::string& name, const std::string& bytes) {
        std::ofstream(P(name), std::ios::binary) << bytes;
    }

    const korvale::testing::TempDir tmp_{"korvale_hostile"};
    const fs::path dir_ = tmp_.path();
    bool root_ = false;
};

} // namespace

TEST_F(HostileFiles, EachIsRefusedAndNothingIsWritten) {
    // Generated here: a sliver (60 m by 0.5 m, between two grid lines), a ring on one line,
    // a footprint larger than the area, a 300 MB GeoJSON (sparse: no disk space used).
    Put("sliver.geojson", AreaText({{0, 3}, {60, 3}, {60, 3.5}, {0, 3.5}}));
    Put("line.geojson", AreaText({{0, 0}, {100, 0}, {300, 0}}));
    Put("klein.geojson", AreaText({{0, 0}, {5, 0}, {5, 5}, {0, 5}}));
    {
        // In a folder of its own, so that comparing the folder does not read 300 MB.
        fs::create_directory(dir_ / "gross");
        const int fd = ::open(P("gross/gebiet.geojson").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 300LL * 1024 * 1024), 0);
        ::close(fd);
    }
    const std::string area = P("feld.geojson");
    const std::string notRegular = "keine gewöhnliche Datei (ein Gerät, eine Pipe oder ein Socket)";
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string message;
        bool needsRoot = false;
    };
    const std::vector<Case> cases = {
        {"pipe as output", {area, "--dxf", P("fifo")}, notRegular + " und wird nicht ersetzt"},
        {"device as output",
         {area, "--geojson", P("a.x"), "--dxf", P("null")},
         notRegular + " und wird nicht ersetzt: " + P("null"),
         true},
        {"dangling link as output",
         {area, "--dxf", P("dangling.dxf")},
         "symbolischer Link auf eine Datei, die es nicht gibt: " + P("dangling.dxf")},
        {"the area as output",
         {area, "--dxf", P("neu.dxf"), "--geojson", area},
         "Die Ausgabedatei " + area + " ist die gelesene Datei " + area},
        {"the area by another name",
         {area, "--kml", dir_.string() + "//feld.geojson"},
         "ist die gelesene Datei " + area},
        {"one output twice",
         {area, "--dxf", P("a.x"), "--kml", dir_.string() + "/./a.x"},
         "dieselbe Datei: " + P("a.x") + " und " + dir_.string() + "/./a.x"},
        {"one output and a link to it",
         {area, "--dxf", P("a.x"), "--kml", P("link-a")},
         "dieselbe Datei: " + P("a.x") + " und " + P("link-a")},
        {"mission part and drawing",
         {area, "--litchi", P("m.csv"), "--dxf", P("m.csv")},
         "Zwei Dateien desselben Speicherns"},
        {"pipe as input",
         {P("fifo.geojson"), "--dxf", P("neu.dxf")},
         notRegular + " und wird nicht gelesen: " + P("fifo.geojson")},
        {"link to an endless device as input",
         {P("link-zero.geojson"), "--dxf", P("neu.dxf")},
         notRegular + " und wird nicht gelesen",
         true},
        {"input above the limit",
         {P("gross/gebiet.geojson"), "--dxf", P("neu.dxf")},
         "Die Datei hat 300.0 MB, gelesen werden höchstens 256.0 MB: " + P("gross/gebiet.geojson")},
        {"a sliver gives no strip",
         {P("sliver.geojson"), "--litchi", P("m.csv")},
         "Kein Streifen: das Gebiet ist schmaler als der Streifenabstand"},
        {"corners on one line",
         {P("line.geojson"), "--litchi", P("m.csv"), "--dxf", P("d.dxf")},
         "Das Gebiet hat keine Fläche"},
        {"footprint larger than the area",
         {P("klein.geojson"), "--litchi", P("m.csv")},
         "Der Plan ist nicht fliegbar"},
        {"stray option before the area",
         {"-x", area, "--dxf", P("neu.dxf")},
         "Unbekannte Option '-x'."},
        {"end of options before the area", {"--", area}, "Unbekannte Option '--'."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && !root_)
            continue; // devices need root; the pipes above stand for them
        const auto before = test::FolderState(dir_);
        std::ostringstream out, err;
        const int status = RunPlanCommand(c.args, {"HILFE", "V"}, out, err);
        EXPECT_EQ(status, 1);
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_EQ(test::FolderState(dir_), before);
    }
    // The statistics of an unflyable plan say why.
    std::ostringstream out, err;
    ASSERT_EQ(RunPlanCommand({P("sliver.geojson")}, {"", ""}, out, err), 1);
    EXPECT_NE(out.str().find("\"strips\": 0"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"unflyable\": \"Kein Streifen"), std::string::npos) << out.str();
    if (!root_)
        GTEST_SKIP() << "devices as input and output need root; the rest was checked";
}

TEST_F(HostileFiles, TheGoodAreaBesideThemIsPlanned) {
    // The fixture's folder is not hostile as such: the same field plans and writes.
    std::ostringstream out, err;
    ASSERT_EQ(RunPlanCommand({P("feld.geojson"), "--dxf", P("plan.dxf"), "--litchi", P("m.csv")},
                             {"", ""}, out, err),
              0)
        << err.str();
    EXPECT_TRUE(fs::is_regular_file(P("plan.dxf")));
    EXPECT_EQ(out.str().find("unflyable"), std::string::npos);
}

} // namespace korvale
