// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Planned areas exported with SchreibDXF and read back by ezdxf, as a CAD program reads them:
// every entity on its layer, every coordinate as the plan holds it.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/dxf.h"
#include "planning/border.h"
#include "planning/grid.h"
#include "planning/params.h"
#include "planning/plan.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

namespace fs = std::filesystem;

using korvale::testing::TempDir;

// The expectation file for the checker is test data, not a file of the system: shortest
// round-trip text of each double, independent of the formatter under test.
std::string Num(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string Coords(std::initializer_list<double> vs) {
    std::string out = "[";
    for (const double v : vs) {
        out += (out.size() > 1 ? ", " : "") + Num(v);
    }
    return out + "]";
}

std::string List(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += (i ? ",\n  " : "") + items[i];
    }
    return out + "]";
}

// What the drawing must hold, worked out from the plan without the writer's loop: pictures
// at i * A along the unit vector of each segment in flight order, plus the end.
std::string Expected(const State& s, double A) {
    std::vector<std::string> control, ring, flight, pictures, labels;
    for (const TPt& p : s.Points) {
        if (p.Typ == KindControl) {
            control.push_back(Coords({p.E, p.N, 0}));
        }
    }
    for (const TLine& e : s.BorderLines) {
        const TPt& p = s.Points.at(e[0]);
        const TPt& q = s.Points.at(e[1]);
        ring.push_back(Coords({p.E, p.N, 0, q.E, q.N, 0}));
    }
    for (std::size_t k = 0; k < s.FlightSegs.size(); ++k) {
        Tpunkt S = s.CutPoints.at(s.FlightSegs[k][0]);
        Tpunkt T = s.CutPoints.at(s.FlightSegs[k][1]);
        if (k % 2 == 1) {
            std::swap(S, T);
        }
        flight.push_back(Coords({S[0], S[1], 0, T[0], T[1], 0}));
        const double L = std::hypot(T[0] - S[0], T[1] - S[1]);
        const double ue = L > 0 ? (T[0] - S[0]) / L : 0;
        const double un = L > 0 ? (T[1] - S[1]) / L : 1;
        double last = 0;
        for (int i = 0; i * A <= L + 1e-9; ++i) {
            last = i * A;
            pictures.push_back(Coords({S[0] + ue * last, S[1] + un * last, 0}));
        }
        if (std::fabs(last - L) > 1e-9) {
            pictures.push_back(Coords({T[0], T[1], 0}));
        }
    }
    for (const TLine& seg : s.FlightSegs) {
        for (const int idx : seg) {
            const Tpunkt& c = s.CutPoints.at(idx);
            labels.push_back("{\"text\": \"" + std::to_string(idx) + "\", \"insert\": " +
                             Coords({c[0], c[1], 0}) + ", \"height\": 10, \"rotation\": 0.1}");
        }
    }
    // Legs in flight order: the straight way, or its bends where it would leave the area
    // (whether a leg stays inside is checked in the planning tests).
    for (const FlightLeg& leg : PlanLegs(BorderRing(s), StateLines(s))) {
        for (std::size_t i = 0; i + 1 < leg.points.size(); ++i) {
            const PlanPt& a = leg.points[i];
            const PlanPt& b = leg.points[i + 1];
            flight.push_back(Coords({a.E, a.N, 0, b.E, b.N, 0}));
        }
    }
    return "{\"Eckpunkte\": {\"POINT\": " + List(control) +
           "},\n\"Umring\": {\"LINE\": " + List(ring) +
           "},\n\"FlightLine\": {\"LINE\": " + List(flight) + ", \"TEXT\": " + List(labels) +
           "},\n\"Picture\": {\"POINT\": " + List(pictures) + "}}\n";
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// Runs the checker; returns its exit code and leaves its report in `report`.
int Check(const std::string& dxf, const std::string& json, const TempDir& dir,
          std::string& report) {
    const std::string out = dir.File("check.txt");
    const std::string cmd = "/usr/bin/python3 '" KORVALE_SOURCE_DIR
                            "/tests/export/dxf_check.py' '" +
                            dxf + "' '" + json + "' > '" + out + "' 2>&1";
    const int rc = std::system(cmd.c_str());
    std::ifstream in(out, std::ios::binary);
    report.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return rc;
}

TPt Pt(std::uint8_t typ, double E, double N) {
    TPt p;
    p.Typ = typ;
    p.E = E;
    p.N = N;
    return p;
}

struct Area {
    const char* name;
    double E0, N0; // where the area lies
    double Ri;     // grid direction, degrees
};

TEST(DxfReadBack, PlannedAreasReadByEzdxf) {
    const Area areas[] = {
        {"east-west grid", 32512000, 5400000, 0.01},
        {"oblique grid", 32487000, 5350000, 37},
        {"south of the equator", 32530000, -1250000, 100},
    };
    for (const Area& a : areas) {
        SCOPED_TRACE(a.name);
        TempDir dir;
        State s;
        ParamPageModel p;
        Rechnen(p);
        // Two control points, a plain point, and an irregular area of six corners.
        s.Points = {Pt(KindControl, a.E0 - 50, a.N0 + 300),
                    Pt(KindPlain, a.E0, a.N0),
                    Pt(KindBorder, a.E0, a.N0),
                    Pt(KindBorder, a.E0 + 40, a.N0 + 180),
                    Pt(KindBorder, a.E0 + 190, a.N0 + 210),
                    Pt(KindControl, a.E0 + 400, a.N0 - 20),
                    Pt(KindBorder, a.E0 + 260, a.N0 + 90),
                    Pt(KindBorder, a.E0 + 230, a.N0 - 40),
                    Pt(KindBorder, a.E0 + 110, a.N0 + 20)};
        SetBorderPointer(s, p);
        CalcBorderMinMax(s);
        Schnitte(s, a.Ri, p.NumberBoxB.Value());
        ASSERT_EQ(s.BorderLines.size(), 6u);
        ASSERT_GE(s.FlightSegs.size(), 8u);

        p.EditDXFFileName = dir.File("Flugplanung.dxf");
        SchreibDXF(s, p);
        const std::string json = dir.File("expected.json");
        WriteText(json, Expected(s, p.NumberBoxA.Value()));
        std::string report;
        EXPECT_EQ(Check(p.EditDXFFileName, json, dir, report), 0) << report;
    }
}

TEST(DxfReadBack, CheckerNoticesAMissingPicture) {
    // The checker must not pass anything: one picture fewer in the expectation is a failure.
    TempDir dir;
    State s;
    s.CutPoints = {{32500000, 5400000}, {32500000, 5400020}};
    s.FlightSegs = {{0, 1}};
    ParamPageModel p;
    p.NumberBoxA.SetValue(7);
    p.EditDXFFileName = dir.File("one.dxf");
    SchreibDXF(s, p);
    const std::string json = dir.File("expected.json");
    std::string report;
    WriteText(json, Expected(s, 7));
    ASSERT_EQ(Check(p.EditDXFFileName, json, dir, report), 0) << report;
    WriteText(json, Expected(s, 10)); // pictures at 0, 10, 20 instead of 0, 7, 14, 20
    EXPECT_NE(Check(p.EditDXFFileName, json, dir, report), 0);
    EXPECT_NE(report.find("Picture/POINT"), std::string::npos) << report;
}

} // namespace
} // namespace korvale
