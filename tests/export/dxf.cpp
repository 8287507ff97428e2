// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The DXF text of the plan, line by line, and the refusals that keep an older file intact.
#include "export/dxf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "model/error.h"
#include "tests/support/expect_error.h"
#include "tests/support/file_faults.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

namespace fs = std::filesystem;

// Joins lines with CR LF after each, as the file holds them.
std::string Crlf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

const std::vector<std::string> kHead = {"  0", "SECTION", "  2", "ENTITIES"};
const std::vector<std::string> kTail = {"  0", "ENDSEC", "  0", "EOF"};

std::vector<std::string> Framed(std::vector<std::string> body) {
    std::vector<std::string> all = kHead;
    all.insert(all.end(), body.begin(), body.end());
    all.insert(all.end(), kTail.begin(), kTail.end());
    return all;
}

TPt Pt(std::uint8_t typ, double E, double N) {
    TPt p;
    p.Typ = typ;
    p.E = E;
    p.N = N;
    return p;
}

// One entity read back from the text: its type, layer and group values in order.
struct Entity {
    std::string type;
    std::string layer;
    std::vector<std::pair<int, std::string>> groups;
    double Real(int code) const {
        for (const auto& [c, v] : groups) {
            if (c == code) {
                return std::strtod(v.c_str(), nullptr);
            }
        }
        ADD_FAILURE() << "no group " << code << " in " << type;
        return std::numeric_limits<double>::quiet_NaN();
    }
    std::string Str(int code) const {
        for (const auto& [c, v] : groups) {
            if (c == code) {
                return v;
            }
        }
        return "<missing>";
    }
};

std::vector<Entity> Parse(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos) << "last line without CR LF";
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    EXPECT_GE(lines.size(), 8u);
    std::vector<Entity> out;
    for (std::size_t i = 4; i + 5 < lines.size(); i += 2) {
        const int code = std::atoi(lines[i].c_str());
        if (code == 0) {
            out.push_back({lines[i + 1], "", {}});
        } else if (code == 8) {
            out.back().layer = lines[i + 1];
        } else {
            out.back().groups.emplace_back(code, lines[i + 1]);
        }
    }
    return out;
}

std::vector<Entity> OfLayer(const std::vector<Entity>& all, const std::string& layer,
                            const std::string& type) {
    std::vector<Entity> out;
    for (const auto& e : all) {
        if (e.layer == layer && e.type == type) {
            out.push_back(e);
        }
    }
    return out;
}

using korvale::testing::TempDir;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DxfText, OnlyTheFrameWhenNothingIsDrawable) {
    // Points of every kind but control, no ring, no plan: nothing but the eight frame lines.
    State s;
    s.Points = {Pt(KindPlain, 1, 2), Pt(KindBorder, 3, 4), Pt(KindFreeLine, 5, 6),
                Pt(KindPOI, 7, 8)};
    s.BorderIdx = {1};
    EXPECT_EQ(BuildDxf(s, 7), Crlf(Framed({})));
    EXPECT_EQ(BuildDxf(State{}, 7), Crlf(Framed({})));
}

TEST(DxfText, ControlPointIsTwelveLinesOnEckpunkte) {
    State s;
    s.Points = {Pt(KindBorder, 1, 1), Pt(KindControl, 32512345.678, -5432109.87)};
    EXPECT_EQ(BuildDxf(s, 7),
              Crlf(Framed({"  0", "POINT", "  8", "Eckpunkte", "  6", "", " 10",
                           " 3.25123456780000E+0007", " 20", "-5.43210987000000E+0006", " 30",
                           " 0.00000000000000E+0000"})));
}

TEST(DxfText, BorderRingOfThreePointsIsClosed) {
    State s;
    s.Points = {Pt(KindBorder, 10, 0), Pt(KindControl, 99, 99), Pt(KindBorder, 0, 10),
                Pt(KindBorder, 0, 0)};
    s.Points[1].Typ = KindPlain;
    s.BorderLines = {{0, 2}, {2, 3}, {3, 0}};
    const std::string z = " 0.00000000000000E+0000";
    const std::string ten = " 1.00000000000000E+0001";
    auto line = [&](const std::string& x1, const std::string& y1, const std::string& x2,
                    const std::string& y2) {
        return std::vector<std::string>{"  0", "LINE", "  8", "Umring", "  6", "",
                                        " 10", x1,     " 20", y1,       " 30", z,
                                        " 11", x2,     " 21", y2,       " 31", z};
    };
    std::vector<std::string> body;
    for (const auto& l : {line(ten, z, z, ten), line(z, ten, z, z), line(z, z, ten, z)}) {
        body.insert(body.end(), l.begin(), l.end());
    }
    EXPECT_EQ(BuildDxf(s, 7), Crlf(Framed(body)));
}

TEST(DxfText, SegmentOfTwentyMetresWithPhotoBaseSeven) {
    State s;
    s.CutPoints = {{32500000, 5400000}, {32500000, 5400020}};
    s.FlightSegs = {{0, 1}};
    const std::string e = " 3.25000000000000E+0007";
    const std::string z = " 0.00000000000000E+0000";
    auto picture = [&](const std::string& n) {
        return std::vector<std::string>{"  0", "POINT", "  8", "Picture", "  6", "",
                                        " 10", e,       " 20", n,         " 30", z};
    };
    auto label = [&](const std::string& text, const std::string& n) {
        return std::vector<std::string>{
            "  0", "TEXT", "  8", "FlightLine", "  6", "",    " 10",
            e,     " 20",  n,     " 30",        z,     " 40", " 1.00000000000000E+0001",
            "  1", text,   " 50", "    0.1000"};
    };
    std::vector<std::string> body = {"  0", "LINE",
                                     "  8", "FlightLine",
                                     "  6", "",
                                     " 10", e,
                                     " 20", " 5.40000000000000E+0006",
                                     " 30", z,
                                     " 11", e,
                                     " 21", " 5.40002000000000E+0006",
                                     " 31", z};
    for (const auto& part :
         {picture(" 5.40000000000000E+0006"), picture(" 5.40000700000000E+0006"),
          picture(" 5.40001400000000E+0006"), picture(" 5.40002000000000E+0006"),
          label("0", " 5.40000000000000E+0006"), label("1", " 5.40002000000000E+0006")}) {
        body.insert(body.end(), part.begin(), part.end());
    }
    EXPECT_EQ(BuildDxf(s, 7), Crlf(Framed(body)));
}

TEST(DxfWriterTest, RealsAndRotationInTheirFixedWidths) {
    struct Case {
        double v;
        const char* text;
    };
    const Case cases[] = {
        {0, " 0.00000000000000E+0000"},
        {10, " 1.00000000000000E+0001"},
        {32512345.678, " 3.25123456780000E+0007"},
        {-5432109.87, "-5.43210987000000E+0006"},
        {2.0 / 3, " 6.66666666666667E-0001"},
        {-0.00125, "-1.25000000000000E-0003"},
    };
    for (const Case& c : cases) {
        DxfWriter w;
        w.DxfBegin();
        w.DxfPoint("L", "", c.v, 0, 0);
        const std::string want = " 10\r\n" + std::string(c.text) + "\r\n 20\r\n";
        EXPECT_NE(w.Text().find(want), std::string::npos) << c.text;
    }

    DxfWriter w;
    w.DxfBegin();
    w.DxfText("12", "FlightLine", "", 1, 2, 0, 0.1, 10);
    w.DxfText("x", "L", "", 1, 2, 0, 0, 2.5);
    w.DxfText("y", "L", "", 1, 2, 0, -123.45678, 2.5);
    const auto all = Parse(w.Text() + Crlf(kTail));
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].Str(50), "    0.1000");
    EXPECT_EQ(all[0].Str(40), " 1.00000000000000E+0001");
    EXPECT_EQ(all[0].Str(1), "12");
    EXPECT_EQ(all[1].Str(50), "    0.0000");
    EXPECT_EQ(all[2].Str(50), " -123.4568");
}

TEST(DxfWriterTest, FrameEntitiesAndTextOnlyWhileOpen) {
    DxfWriter w;
    EXPECT_FALSE(w.DxfOpen());
    w.DxfEnd(); // not open: writes nothing
    EXPECT_EQ(w.Text(), "");
    EXPECT_THROW(w.DxfPoint("L", "", 0, 0, 0), Error);

    w.DxfBegin();
    EXPECT_TRUE(w.DxfOpen());
    w.DxfLine("L", "CONT", 1, 2, 3, 4, 5, 6);
    const auto e = Parse(w.Text() + Crlf(kTail));
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].Str(6), "CONT");
    const int codes[] = {10, 20, 30, 11, 21, 31};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(e[0].Real(codes[i]), i + 1);
    }
    w.DxfEnd();
    EXPECT_FALSE(w.DxfOpen());
    const std::string closed = w.Text();
    w.DxfEnd();
    EXPECT_EQ(w.Text(), closed);

    // A fresh begin starts a new file text.
    w.DxfBegin();
    w.DxfEnd();
    EXPECT_EQ(w.Text(), Crlf(Framed({})));

    // Values that would break the line structure or the ASCII file are refused, and a refused
    // entity leaves no partial lines behind.
    w.DxfBegin();
    const std::string before = w.Text();
    const double dblMax = std::numeric_limits<double>::max();
    const struct {
        std::function<void()> entity;
        const char* decisive;
    } refused[] = {
        {[&] { w.DxfText("a\r\nb", "L", "", 0, 0, 0, 0, 1); }, "nur druckbare ASCII-Zeichen"},
        {[&] { w.DxfText("\xC3\xA4", "L", "", 0, 0, 0, 0, 1); }, "nur druckbare ASCII-Zeichen"},
        {[&] { w.DxfPoint("L", "", std::nan(""), 0, 0); }, "keine endliche Zahl"},
        {[&] { w.DxfPoint("L", "", 0, std::numeric_limits<double>::infinity(), 0); },
         "keine endliche Zahl"},
        {[&] { w.DxfText("a", "L", "", 0, 0, 0, std::nan(""), 1); }, "keine endliche Zahl"},
        {[&] { w.DxfLine("L", "", 0, 0, 0, 0, 0, std::nan("")); }, "keine endliche Zahl"},
        // The largest doubles would be written as 1.79769313486232E+0308, which reads back
        // as infinity.
        {[&] { w.DxfPoint("L", "", -dblMax, 0, 0); }, "zu groß für eine DXF-Datei"},
        {[&] { w.DxfLine("L", "", 0, 0, 0, 0, 1.797693134862315e308, 0); },
         "zu groß für eine DXF-Datei"},
    };
    for (const auto& r : refused)
        test::ExpectError(r.entity, ErrorKind::Refused, r.decisive);
    EXPECT_EQ(w.Text(), before);
    // The largest value written with 15 digits that still reads back is taken.
    w.DxfPoint("L", "", -1.79769313486231e308, 0, 0);
    EXPECT_NE(w.Text().find("-1.79769313486231E+0308"), std::string::npos);
}

TEST(DxfPlan, FlightOrderLabelsAndLegs) {
    // Three east-west segments of 100 m in the regular shape: segment j = cut points 2j, 2j+1.
    State s;
    const double E0 = 32500000, N0 = 5400000;
    for (int j = 0; j < 3; ++j) {
        s.CutPoints.push_back({E0, N0 + 12.5 * j});
        s.CutPoints.push_back({E0 + 100, N0 + 12.5 * j});
        s.FlightSegs.push_back({2 * j, 2 * j + 1});
    }
    const auto all = Parse(BuildDxf(s, 10));

    // Entity order: segment lines with their pictures, then labels, then legs.
    std::string order;
    for (const auto& e : all) {
        order += e.type == "LINE" ? 'L' : e.type == "POINT" ? 'P' : 'T';
    }
    const std::string eleven(11, 'P');
    EXPECT_EQ(order, "L" + eleven + "L" + eleven + "L" + eleven + "TTTTTT" + "LL");

    const auto lines = OfLayer(all, "FlightLine", "LINE");
    ASSERT_EQ(lines.size(), 5u);
    // Odd segments are flown from their second cut point to their first.
    const double want[5][4] = {{E0, N0, E0 + 100, N0},
                               {E0 + 100, N0 + 12.5, E0, N0 + 12.5},
                               {E0, N0 + 25, E0 + 100, N0 + 25},
                               {E0 + 100, N0, E0 + 100, N0 + 12.5}, // leg 1 -> 3
                               {E0, N0 + 12.5, E0, N0 + 25}};       // leg 2 -> 4
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(lines[i].Real(10), want[i][0], 1e-6) << i;
        EXPECT_NEAR(lines[i].Real(20), want[i][1], 1e-6) << i;
        EXPECT_NEAR(lines[i].Real(11), want[i][2], 1e-6) << i;
        EXPECT_NEAR(lines[i].Real(21), want[i][3], 1e-6) << i;
    }

    const auto pics = OfLayer(all, "Picture", "POINT");
    ASSERT_EQ(pics.size(), 33u);
    EXPECT_NEAR(pics[11].Real(10), E0 + 100, 1e-6); // second segment starts in the east
    EXPECT_NEAR(pics[12].Real(10), E0 + 90, 1e-6);
    EXPECT_NEAR(pics[21].Real(10), E0, 1e-6);
    EXPECT_NEAR(pics[21].Real(20), N0 + 12.5, 1e-6);

    const auto labels = OfLayer(all, "FlightLine", "TEXT");
    ASSERT_EQ(labels.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(labels[i].Str(1), std::to_string(i));
        EXPECT_NEAR(labels[i].Real(10), s.CutPoints[i][0], 1e-6);
        EXPECT_NEAR(labels[i].Real(20), s.CutPoints[i][1], 1e-6);
    }
}

TEST(DxfPlan, PicturesAlongASegment) {
    // Northward segments from northing 0, so every distance is exact.
    struct Case {
        double L, A;
        std::vector<double> at;
    };
    const Case cases[] = {
        {20, 7, {0, 7, 14, 20}},
        {21, 7, {0, 7, 14, 21}},        // last regular picture on the end: none added
        {0, 7, {0}},                    // a segment of length 0 gets one picture
        {3, 7, {0, 3}},                 // shorter than A: its start and its end
        {0.3, 0.1, {0, 0.1, 0.2, 0.3}}, // 0.1 + 0.1 + 0.1 lies beyond 0.3
        {0.6, 0.3, {0, 0.3, 0.6}},      // (0.6 + 0.3) - 0.3 is not 0.6: still no duplicate
    };
    for (const Case& c : cases) {
        State s;
        s.CutPoints = {{32500000, 0}, {32500000, c.L}};
        s.FlightSegs = {{0, 1}};
        const auto pics = OfLayer(Parse(BuildDxf(s, c.A)), "Picture", "POINT");
        ASSERT_EQ(pics.size(), c.at.size()) << "L " << c.L << " A " << c.A;
        for (std::size_t i = 0; i < pics.size(); ++i) {
            EXPECT_EQ(pics[i].Real(10), 32500000);
            EXPECT_NEAR(pics[i].Real(20), c.at[i], 1e-12) << "L " << c.L << " A " << c.A;
        }
    }
}

TEST(DxfPlan, IndicesOutsideTheListsAreLeftOut) {
    State good;
    good.Points = {Pt(KindBorder, 10, 0), Pt(KindBorder, 0, 10), Pt(KindBorder, 0, 0)};
    good.BorderLines = {{0, 1}, {1, 2}, {2, 0}};
    good.CutPoints = {{1, 1}, {1, 5}};
    good.FlightSegs = {{0, 1}};

    State bad = good;
    bad.BorderLines.insert(bad.BorderLines.begin() + 1, {{2, 3}});
    bad.BorderLines.push_back({-1, 0});
    bad.FlightSegs.insert(bad.FlightSegs.begin(), {{0, 2}});
    bad.FlightSegs.insert(bad.FlightSegs.begin(), {{-5, 1}});
    // The two bad segments take places 0 and 1, so the good one becomes even again at 2.
    EXPECT_EQ(BuildDxf(bad, 2), BuildDxf(good, 2));
}

TEST(DxfPlan, PhotoBaseRefusedBeforeAnythingIsBuilt) {
    State s;
    s.CutPoints = {{32500000, 0}, {32500000, 1000}};
    s.FlightSegs = {{0, 1}};
    for (double A : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        EXPECT_THROW(BuildDxf(s, A), Error) << A;
    }
    // A base far too small for the plan would build gigabytes or, below the rounding step
    // of the running distance, never finish.
    EXPECT_THROW(BuildDxf(s, 1e-4), Error);
    EXPECT_THROW(BuildDxf(s, 1e-15), Error);
    // Cut points that are no numbers are refused, not written.
    s.CutPoints[1][1] = std::numeric_limits<double>::infinity();
    EXPECT_THROW(BuildDxf(s, 7), Error);
}

TEST(SchreibDXFTest, WritesTheFileAndKeepsAnOlderOneOnRefusal) {
    TempDir dir;
    State s;
    s.Points = {Pt(KindControl, 32500000, 5400000)};
    s.CutPoints = {{32500000, 5400000}, {32500000, 5400020}};
    s.FlightSegs = {{0, 1}};
    ParamPageModel p;
    p.EditDXFFileName = dir.File("plan.dxf");
    p.NumberBoxA.SetValue(7);

    SchreibDXF(s, p);
    EXPECT_EQ(s.DxfFileName, p.EditDXFFileName);
    const std::string first = ReadAll(p.EditDXFFileName);
    EXPECT_EQ(first, BuildDxf(s, 7));

    // A photo base of 0 (forward overlap 100 %): refused, the older file stays as it was.
    p.NumberBoxA.SetValue(0);
    s.Points.push_back(Pt(KindControl, 1, 2));
    EXPECT_THROW(SchreibDXF(s, p), Error);
    EXPECT_EQ(ReadAll(p.EditDXFFileName), first);
    // Nor is a new file created for a refused export.
    p.EditDXFFileName = dir.File("other.dxf");
    EXPECT_THROW(SchreibDXF(s, p), Error);
    EXPECT_FALSE(fs::exists(p.EditDXFFileName));

    // The photo base is the box's value.
    p.EditDXFFileName = dir.File("plan.dxf");
    p.NumberBoxA.SetValue(10);
    SchreibDXF(s, p);
    EXPECT_EQ(ReadAll(p.EditDXFFileName), BuildDxf(s, 10));
}

TEST(SchreibDXFTest, EveryFaultKeepsTheOldFile) {
    TempDir dir;
    State s;
    s.Points = {Pt(KindControl, 32500000, 5400000)};
    ParamPageModel p;
    test::ExpectWriterSurvivesFaults(dir.File(""), "plan.dxf", [&](const std::string& path) {
        p.EditDXFFileName = path;
        SchreibDXF(s, p);
    });
}

TEST(SchreibDXFTest, UnwritableTargetIsReported) {
    TempDir dir;
    fs::create_directory(dir.File("folder.dxf"));
    State s;
    ParamPageModel p;
    for (const std::string name : {"missing/plan.dxf", "folder.dxf"}) {
        p.EditDXFFileName = dir.File(name);
        test::ExpectError([&] { SchreibDXF(s, p); }, ErrorKind::File, dir.File(name));
    }
    EXPECT_TRUE(fs::is_directory(dir.File("folder.dxf")));
    // Nothing is left behind beside the targets.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("")), fs::directory_iterator()), 1);
}

} // namespace
} // namespace korvale
