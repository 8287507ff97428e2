// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Convex areas are planned exactly as before the concave rework: for a table of convex rings
// (every start corner, both orientations, many directions) the statistics boxes, the overlay
// drawing, the cut-point lists, the DXF text and the grid mission CSV match, to the byte, the
// digests recorded from the earlier planning code in plan_identity.expected.
//
// To record the file anew (only when a change of output is intended):
//   KORVALE_RECORD_PLAN_IDENTITY=path/to/plan_identity.expected test_export_plan_identity
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "export/dxf.h"
#include "litchi/csv.h"
#include "litchi/missions.h"
#include "model/format.h"
#include "planning/border.h"
#include "planning/params.h"
#include "planning/path.h"

namespace korvale {
namespace {

// FNV-1a, 64 bit: enough to tell any changed byte from the recorded output.
struct Digest {
    std::uint64_t h = 1469598103934665603ull;
    void Bytes(const void* p, std::size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        for (std::size_t i = 0; i < n; ++i) {
            h ^= b[i];
            h *= 1099511628211ull;
        }
    }
    void Text(const std::string& s) { Bytes(s.data(), s.size()); }
    void Real(double v) { Bytes(&v, sizeof v); }
    std::string Hex() const {
        std::ostringstream o;
        o << std::hex << h;
        return o.str();
    }
};

struct Shape {
    const char* name;
    std::vector<std::array<double, 2>> ring; // clockwise on the ground, metres from the centre
};

std::vector<Shape> Shapes() {
    std::vector<Shape> v;
    v.push_back({"triangle", {{-120, -80}, {10, 150}, {140, -60}}});
    v.push_back({"square", {{-50, -50}, {-50, 50}, {50, 50}, {50, -50}}});
    v.push_back({"rect", {{-300, -40}, {-280, 60}, {310, 20}, {290, -80}}});
    v.push_back({"hexagon", {{-100, 0}, {-50, 87}, {50, 87}, {100, 0}, {50, -87}, {-50, -87}}});
    v.push_back({"sliver", {{-400, -380}, {-380, -400}, {400, 380}, {380, 400}}});
    v.push_back({"tall", {{-30, -400}, {-30, 400}, {30, 400}, {30, -400}}});
    Shape round{"round", {}};
    for (int i = 0; i < 60; ++i) {
        const double t = -2 * std::numbers::pi * i / 60; // clockwise
        round.ring.push_back({180 * std::cos(t) + 3, 140 * std::sin(t) - 7});
    }
    v.push_back(round);
    return v;
}

// A north-up map copy at 0.5 m per pixel; the area's points in ring order from `start`,
// reversed when asked, mixed with a control point so that indices are not just 0..n-1.
State Georeferenced(const Shape& sh, std::size_t start, bool reversed) {
    State s;
    s.TrafO = 0.5;
    s.TrafA = 0;
    s.TrafM = 0.5;
    s.TrafXbs = 640;
    s.TrafYbs = 480;
    s.TrafYs = 32512345.25;
    s.TrafXs = 5301234.75;
    TPt cp;
    cp.Typ = KindControl;
    cp.E = 32512000;
    cp.N = 5301000;
    s.Points.push_back(cp);
    const std::size_t n = sh.ring.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = reversed ? (start + n - k) % n : (start + k) % n;
        TPt p;
        p.Typ = KindBorder;
        p.E = s.TrafYs + sh.ring[i][0];
        p.N = s.TrafXs + sh.ring[i][1];
        p.xb = static_cast<float>(640 + sh.ring[i][0] * 2);
        p.yb = static_cast<float>(480 - sh.ring[i][1] * 2);
        s.Points.push_back(p);
    }
    return s;
}

std::string CaseName(const Shape& sh, std::size_t start, bool reversed, double Ri, double A) {
    return std::string(sh.name) + "/s" + std::to_string(start) + (reversed ? "r" : "f") + "/Ri" +
           Format("%4f", {Ri}) + "/A" + Format("%4f", {A});
}

// Digests of every output of one planning run: boxes, overlay, lists, DXF, mission CSV.
std::string Outputs(State s, double Ri, double A) {
    ParamPageModel p;
    Rechnen(p);
    p.NumberBoxRi.SetValue(Ri);
    if (A > 0)
        p.NumberBoxA.SetValue(A);
    Overlay o;
    FlightLines(s, p, o);

    Digest boxes, overlay, lists, dxf, csv;
    for (const double v : {p.NumberBoxStreifen.Value(), p.NumberBoxWeg.Value(),
                           p.NumberBoxBilder.Value(), p.NumberBoxFlugzeit.Value()})
        boxes.Real(v);
    for (const Primitive& q : o.Items()) {
        overlay.Bytes(&q.kind, sizeof q.kind);
        overlay.Bytes(&q.stroke, sizeof q.stroke);
        overlay.Bytes(&q.fill, sizeof q.fill);
        for (const double v : {q.x1, q.y1, q.x2, q.y2})
            overlay.Real(v);
        overlay.Text(q.text);
    }
    for (const Tpunkt& c : s.CutPoints)
        lists.Real(c[0]), lists.Real(c[1]);
    for (const TLine& l : s.FlightSegs)
        lists.Bytes(l.data(), sizeof(int) * 2);
    dxf.Text(BuildDxf(s, p.NumberBoxA.Value()));
    LitchiPageModel m;
    Overlay mo;
    MakeLitchiLines(s, p, m, mo);
    csv.Text(FormatLitchiCsv(s.LitchiRecs));
    return boxes.Hex() + " " + overlay.Hex() + " " + lists.Hex() + " " + dxf.Hex() + " " +
           csv.Hex() + " " + std::to_string(s.FlightSegs.size());
}

std::string ExpectedPath() {
    return std::string(KORVALE_SOURCE_DIR) + "/tests/export/plan_identity.expected";
}

TEST(PlanIdentity, ConvexAreasKeepEveryOutputToTheByte) {
    std::map<std::string, std::string> actual;
    for (const Shape& sh : Shapes()) {
        const std::size_t n = sh.ring.size();
        // Every start corner for small rings, a few for the round one.
        const std::size_t step = n > 8 ? n / 4 : 1;
        for (std::size_t start = 0; start < n; start += step)
            for (const bool reversed : {false, true})
                for (const double Ri : {0.01, 17.5, 45.0, 90.3, 133.0, 180.0, 271.0, 360.0})
                    for (const double A : {0.0, 5.0}) // 0: the camera's own photo base
                        actual[CaseName(sh, start, reversed, Ri, A)] =
                            Outputs(Georeferenced(sh, start, reversed), Ri, A);
    }

    if (const char* rec = std::getenv("KORVALE_RECORD_PLAN_IDENTITY")) {
        std::ofstream out(rec, std::ios::binary);
        for (const auto& [name, digest] : actual)
            out << name << ' ' << digest << '\n';
        GTEST_SKIP() << "recorded " << actual.size() << " cases to " << rec;
    }

    std::ifstream in(ExpectedPath());
    ASSERT_TRUE(in) << ExpectedPath();
    std::map<std::string, std::string> expected;
    std::string line;
    while (std::getline(in, line)) {
        const auto sp = line.find(' ');
        if (sp != std::string::npos)
            expected[line.substr(0, sp)] = line.substr(sp + 1);
    }
    ASSERT_EQ(expected.size(), actual.size());
    for (const auto& [name, digest] : actual) {
        const auto it = expected.find(name);
        ASSERT_NE(it, expected.end()) << name;
        EXPECT_EQ(digest, it->second) << name << "  (boxes overlay lists dxf csv strips)";
    }
}

// A few cases written out as readable text in tests/export/goldens/<case>.txt: the statistics
// boxes, the cut points and segments, the overlay and the mission CSV, one value per line. A
// change names the first line that differs with both values, where a digest names only the
// case. Record anew (only when a change of output is intended) with
//   KORVALE_RECORD_PLAN_GOLDENS=path/to/tests/export/goldens test_export_plan_identity
std::vector<std::string> Readable(State s, double Ri, double A) {
    ParamPageModel p;
    Rechnen(p);
    p.NumberBoxRi.SetValue(Ri);
    if (A > 0)
        p.NumberBoxA.SetValue(A);
    Overlay o;
    FlightLines(s, p, o);
    std::vector<std::string> out;
    const auto real = [](double v) { return FormatFixed(v, 9); };
    out.push_back("Streifen " + real(p.NumberBoxStreifen.Value()));
    out.push_back("Weg " + real(p.NumberBoxWeg.Value()));
    out.push_back("Bilder " + real(p.NumberBoxBilder.Value()));
    out.push_back("Flugzeit " + real(p.NumberBoxFlugzeit.Value()));
    for (std::size_t i = 0; i < s.CutPoints.size(); ++i)
        out.push_back("CutPoints[" + std::to_string(i) + "] " + real(s.CutPoints[i][0]) + " " +
                      real(s.CutPoints[i][1]));
    for (std::size_t i = 0; i < s.FlightSegs.size(); ++i)
        out.push_back("FlightSegs[" + std::to_string(i) + "] " +
                      std::to_string(s.FlightSegs[i][0]) + " " +
                      std::to_string(s.FlightSegs[i][1]));
    const auto& items = o.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Primitive& q = items[i];
        out.push_back("Overlay[" + std::to_string(i) + "] " +
                      std::to_string(static_cast<int>(q.kind)) + " " +
                      Format("%x %x ", {q.stroke, q.fill}) + real(q.x1) + " " + real(q.y1) + " " +
                      real(q.x2) + " " + real(q.y2) + (q.text.empty() ? "" : " " + q.text));
    }
    LitchiPageModel m;
    Overlay mo;
    MakeLitchiLines(s, p, m, mo);
    std::istringstream csv(FormatLitchiCsv(s.LitchiRecs));
    std::string line;
    for (int i = 1; std::getline(csv, line); ++i)
        out.push_back("CSV " + std::to_string(i) + ": " + line);
    return out;
}

TEST(PlanIdentity, ReadableGoldensNameTheFirstDifferingValue) {
    struct Case {
        std::size_t shape; // index into Shapes()
        std::size_t start;
        bool reversed;
        double Ri, A;
    };
    const Case cases[] = {{1, 0, false, 17.5, 0}, {3, 2, true, 90.3, 5}, {0, 1, true, 133, 0}};
    const std::vector<Shape> shapes = Shapes();
    const char* rec = std::getenv("KORVALE_RECORD_PLAN_GOLDENS");
    for (const Case& c : cases) {
        const Shape& sh = shapes[c.shape];
        std::string file = CaseName(sh, c.start, c.reversed, c.Ri, c.A);
        for (char& ch : file)
            if (ch == '/')
                ch = '_';
        file += ".txt";
        SCOPED_TRACE(file);
        const auto actual = Readable(Georeferenced(sh, c.start, c.reversed), c.Ri, c.A);
        if (rec) {
            std::ofstream out(std::string(rec) + "/" + file, std::ios::binary);
            for (const std::string& l : actual)
                out << l << '\n';
            continue;
        }
        const std::string path = std::string(KORVALE_SOURCE_DIR) + "/tests/export/goldens/" + file;
        std::ifstream in(path);
        ASSERT_TRUE(in) << path;
        std::vector<std::string> expected;
        for (std::string l; std::getline(in, l);)
            expected.push_back(l);
        const std::size_t n = std::min(expected.size(), actual.size());
        std::size_t first = 0;
        while (first < n && expected[first] == actual[first])
            ++first;
        if (first < n) {
            ADD_FAILURE() << path << ":" << first + 1 << " differs\n  expected: " << expected[first]
                          << "\n  actual:   " << actual[first];
        } else {
            EXPECT_EQ(actual.size(), expected.size())
                << path << ": the first " << n << " lines agree, then "
                << (actual.size() > n ? "an extra line: " + actual[n]
                                      : "a missing line: " + expected[n]);
        }
    }
    if (rec)
        GTEST_SKIP() << "recorded to " << rec;
}

} // namespace
} // namespace korvale
