// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/error.h"

using namespace korvale;

namespace {

constexpr double E0 = 32512345.678;
constexpr double N0 = 5301234.567;

// One metre to one pixel, north up, (E0, N0) at pixel (400, 300).
State Georeferenced() {
    State s;
    s.TrafO = 1;
    s.TrafA = 0;
    s.TrafM = 1;
    s.TrafXbs = 400;
    s.TrafYbs = 300;
    s.TrafYs = E0;
    s.TrafXs = N0;
    return s;
}

double Px(double e) {
    return 400 + (e - E0);
}
double Py(double n) {
    return 300 - (n - N0);
}

struct Want {
    Primitive::Kind kind;
    Argb colour;
    double x1, y1, x2, y2;
};

Want Seg(double e1, double n1, double e2, double n2) {
    return {Primitive::Kind::Line, ColYellow, Px(e1), Py(n1), Px(e2), Py(n2)};
}

void Pictures(std::vector<Want>& w, double e, double n, double de, double dn, int count, double A) {
    for (int j = 0; j < count; ++j) {
        const double x = Px(e + de * A * j), y = Py(n + dn * A * j);
        w.push_back({Primitive::Kind::Circle, ColYellow, x - 2, y - 2, x + 2, y + 2});
        w.push_back({Primitive::Kind::Disc, ColMagenta, x - 2, y - 2, x + 2, y + 2});
    }
}

void ExpectDrawing(const Overlay& o, const std::vector<Want>& want) {
    ASSERT_EQ(o.Size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        const Primitive& p = o.Items()[i];
        EXPECT_EQ(p.kind, want[i].kind);
        EXPECT_EQ(p.kind == Primitive::Kind::Disc ? p.fill : p.stroke, want[i].colour);
        EXPECT_NEAR(p.x1, want[i].x1, 1e-6);
        EXPECT_NEAR(p.y1, want[i].y1, 1e-6);
        EXPECT_NEAR(p.x2, want[i].x2, 1e-6);
        EXPECT_NEAR(p.y2, want[i].y2, 1e-6);
    }
}

struct Stats {
    double strips, path, pictures, minutes;
    bool operator==(const Stats&) const = default;
};
Stats Read(const ParamPageModel& p) {
    return {p.NumberBoxStreifen.Value(), p.NumberBoxWeg.Value(), p.NumberBoxBilder.Value(),
            p.NumberBoxFlugzeit.Value()};
}

// Parallel east-west segments of length L, `gap` apart, all pointing east.
void Strips(State& s, int count, double L, double gap) {
    s.CutPoints.clear();
    s.FlightSegs.clear();
    for (int j = 0; j < count; ++j) {
        s.CutPoints.push_back({E0, N0 + gap * j});
        s.CutPoints.push_back({E0 + L, N0 + gap * j});
        s.FlightSegs.push_back({2 * j, 2 * j + 1});
    }
}

} // namespace

TEST(CalcFlugWeg, TwoStripsOfTheWorkedExample) {
    ParamPageModel p;
    Rechnen(p);
    const double A = p.NumberBoxA.Value(), B = p.NumberBoxB.Value();
    State s = Georeferenced();
    Strips(s, 2, 100, B);
    Overlay o;
    CalcFlugWeg(s, p, o);
    EXPECT_EQ(Read(p), (Stats{2, 213, 30, 1}));
    // The first strip is flown eastward from its first cut point, the second westward from
    // its second; one leg joins them at the east end.
    std::vector<Want> w{Seg(E0, N0, E0 + 100, N0)};
    Pictures(w, E0, N0, 1, 0, 15, A);
    w.push_back(Seg(E0 + 100, N0 + B, E0, N0 + B));
    Pictures(w, E0 + 100, N0 + B, -1, 0, 15, A);
    w.push_back(Seg(E0 + 100, N0, E0 + 100, N0 + B));
    ExpectDrawing(o, w);
}

TEST(CalcFlugWeg, OneAndThreeStrips) {
    ParamPageModel p;
    p.NumberBoxA.SetValue(10);
    State s = Georeferenced();
    Overlay o;
    Strips(s, 1, 30, 10);
    CalcFlugWeg(s, p, o);
    EXPECT_EQ(Read(p), (Stats{1, 30, 4, 0}));
    std::vector<Want> w{Seg(E0, N0, E0 + 30, N0)};
    Pictures(w, E0, N0, 1, 0, 4, 10);
    ExpectDrawing(o, w);

    o.Clear();
    Strips(s, 3, 30, 10);
    CalcFlugWeg(s, p, o);
    EXPECT_EQ(Read(p), (Stats{3, 110, 12, 0}));
    w = {Seg(E0, N0, E0 + 30, N0)};
    Pictures(w, E0, N0, 1, 0, 4, 10);
    w.push_back(Seg(E0 + 30, N0 + 10, E0, N0 + 10));
    Pictures(w, E0 + 30, N0 + 10, -1, 0, 4, 10);
    w.push_back(Seg(E0, N0 + 20, E0 + 30, N0 + 20));
    Pictures(w, E0, N0 + 20, 1, 0, 4, 10);
    w.push_back(Seg(E0 + 30, N0, E0 + 30, N0 + 10)); // cut points 1-3
    w.push_back(Seg(E0, N0 + 10, E0, N0 + 20));      // cut points 2-4
    ExpectDrawing(o, w);
}

TEST(CalcFlugWeg, ShortAndEmptySegments) {
    ParamPageModel p;
    Rechnen(p);
    State s = Georeferenced();
    Overlay o;
    // Shorter than the photo base: one picture, at its start.
    s.CutPoints = {{E0 + 5, N0 + 3}, {E0, N0}};
    s.FlightSegs = {{0, 1}};
    CalcFlugWeg(s, p, o);
    EXPECT_EQ(p.NumberBoxBilder.Value(), 1);
    ASSERT_EQ(o.Size(), 3u);
    EXPECT_NEAR(o.Items()[1].x1, Px(E0 + 5) - 2, 1e-9);
    EXPECT_NEAR(o.Items()[1].y1, Py(N0 + 3) - 2, 1e-9);
    // Length 0: one picture, a path of 0 m and no division for the flight time.
    s.CutPoints = {{E0, N0}, {E0, N0}};
    p.NumberBoxFlugzeit.SetValue(9);
    CalcFlugWeg(s, p, o);
    EXPECT_EQ(Read(p), (Stats{1, 0, 1, 0}));
    // No cut points: nothing drawn, nothing set, even with a photo base of 0.
    o.Clear();
    s.CutPoints.clear();
    p.NumberBoxA.SetValue(0);
    CalcFlugWeg(s, p, o);
    EXPECT_EQ(o.Size(), 0u);
    EXPECT_EQ(Read(p), (Stats{1, 0, 1, 0}));
}

TEST(CalcFlugWeg, BoxesShowTheTrueFiguresAndSpeedZero) {
    struct Case {
        const char* name;
        double L, A, V;
        Stats want;
    };
    const std::vector<Case> cases = {
        {"12001 pictures", 6000, 0.5, 15, {1, 6000, 12001, 24}},
        {"150 km", 150000, 1000, 15, {1, 150000, 151, 600}}, // 10 hours, no cap
        {"standing still", 1000, 10, 0, {1, 1000, 101, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParamPageModel p;
        p.NumberBoxA.SetValue(c.A);
        p.NumberBoxV.SetValue(c.V);
        p.NumberBoxFlugzeit.SetValue(5);
        State s = Georeferenced();
        Strips(s, 1, c.L, 0);
        Overlay o;
        CalcFlugWeg(s, p, o);
        EXPECT_EQ(Read(p), c.want);
    }
}

TEST(CalcFlugWeg, PhotoBaseZeroIsRefusedBeforeAnything) {
    ParamPageModel p;
    p.NumberBoxA.SetValue(0);
    p.NumberBoxBilder.SetValue(17);
    State s = Georeferenced();
    Strips(s, 2, 100, 12.5);
    const auto cut = s.CutPoints;
    Overlay o;
    try {
        CalcFlugWeg(s, p, o);
        ADD_FAILURE() << "accepted a photo base of 0";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Refused);
        EXPECT_NE(std::string(e.what()).find("Bildabstand"), std::string::npos);
    }
    EXPECT_EQ(o.Size(), 0u);
    EXPECT_EQ(Read(p), (Stats{0, 0, 17, 0}));
    EXPECT_EQ(s.CutPoints, cut);
}

TEST(FlightLines, SquareTwiceGivesTheSamePlan) {
    State s = Georeferenced();
    for (const auto& [e, n] :
         std::vector<std::pair<double, double>>{{0, 0}, {100, 0}, {100, 100}, {0, 100}}) {
        TPt pt;
        pt.Typ = KindBorder;
        pt.E = E0 + e;
        pt.N = N0 + n;
        pt.xb = float(Px(pt.E));
        pt.yb = float(Py(pt.N));
        s.Points.push_back(pt);
    }
    ParamPageModel p;
    Rechnen(p);
    p.NumberBoxRi.SetValue(90);
    Overlay o;
    FlightLines(s, p, o);
    // Lines 12.54 m apart from 100 m east of the square: eight cross it, 15 pictures each,
    // seven legs of one spacing.
    EXPECT_EQ(Read(p), (Stats{8, 888, 120, 4}));
    EXPECT_EQ(p.NumberBoxFlaeche.Text(), "1.000");
    const auto cut = s.CutPoints;
    const auto segs = s.FlightSegs;
    const std::size_t drawn = o.Size();
    EXPECT_EQ(drawn, 4 + 8 + 2 * 120 + 7u); // border, segments, picture marks, legs

    o.Clear();
    FlightLines(s, p, o);
    EXPECT_EQ(Read(p), (Stats{8, 888, 120, 4}));
    EXPECT_EQ(s.CutPoints, cut);
    EXPECT_EQ(s.FlightSegs, segs);
    EXPECT_EQ(o.Size(), drawn);

    // A refused run keeps the plan the page shows.
    p.NumberBoxA.SetValue(0);
    p.NumberBoxRi.SetValue(30);
    EXPECT_THROW(FlightLines(s, p, o), Error);
    EXPECT_EQ(s.CutPoints, cut);
    EXPECT_EQ(s.FlightSegs, segs);
    EXPECT_EQ(Read(p), (Stats{8, 888, 120, 4}));

    // Without border points the run stops after the ring: lists and boxes stay.
    for (TPt& pt : s.Points)
        pt.Typ = KindPlain;
    o.Clear();
    FlightLines(s, p, o);
    EXPECT_EQ(o.Size(), 0u);
    EXPECT_EQ(s.CutPoints, cut);
    EXPECT_EQ(Read(p), (Stats{8, 888, 120, 4}));
}
