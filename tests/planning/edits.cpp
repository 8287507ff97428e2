// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Point edits keep every list built from the points true; undo and redo put states back exactly.
#include "planning/edits.h"

#include <gtest/gtest.h>

#include <any>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "georef/transform.h"
#include "model/error.h"
#include "planning/border.h"
#include "planning/grid.h"

using namespace korvale;

namespace {

// North-up at 1 m per pixel: map position (xb, yb) lies at E0 + xb, N0 - yb.
constexpr double E0 = 32500000;
constexpr double N0 = 5300000;

State Georeferenced() {
    State s;
    s.TrafO = 1;
    s.TrafM = 1;
    s.TrafXbs = 0;
    s.TrafYbs = 0;
    s.TrafYs = E0;
    s.TrafXs = N0;
    return s;
}

TPt At(float xb, float yb, std::uint8_t typ) {
    TPt p;
    p.xb = xb;
    p.yb = yb;
    p.Typ = typ;
    p.E = E0 + xb;
    p.N = N0 - yb;
    return p;
}

// Control point, a 200 m square of border points with a free line and a plain point between
// them, a point of interest last; ring and free line built, plan cut at 30 m spacing.
State Planned(ParamPageModel& p) {
    State s = Georeferenced();
    s.Points = {At(50, 50, KindControl),    At(100, 100, KindBorder), At(300, 100, KindBorder),
                At(120, 400, KindFreeLine), At(250, 420, KindPlain),  At(300, 300, KindBorder),
                At(200, 450, KindFreeLine), At(100, 300, KindBorder), At(320, 470, KindFreeLine),
                At(400, 400, KindPOI)};
    p.NumberBoxB.SetValue(30);
    p.NumberBoxRi.SetValue(20);
    SetFreeLine(s);
    SetBorderPointer(s, p);
    CalcBorderMinMax(s);
    Schnitte(s, p.NumberBoxRi.Value(), p.NumberBoxB.Value());
    return s;
}

// What the lists must be for the points that are there, built from scratch.
State Rebuilt(const State& s, const ParamPageModel& p0, bool ring, bool free, bool plan) {
    State r = s;
    ParamPageModel p = p0;
    r.FreeLines.clear();
    if (free) {
        SetFreeLine(r);
    }
    r.BorderIdx.clear();
    r.BorderLines.clear();
    r.CutPoints.clear();
    r.FlightSegs.clear();
    if (ring || plan)
        SetBorderPointer(r, p);
    if (plan && !r.BorderIdx.empty()) {
        CalcBorderMinMax(r);
        Schnitte(r, p.NumberBoxRi.Value(), p.NumberBoxB.Value());
    }
    return r;
}

bool SamePoint(const TPt& a, const TPt& b) {
    return a.B == b.B && a.L == b.L && a.E == b.E && a.N == b.N && a.c == b.c && a.xb == b.xb &&
           a.yb == b.yb && a.Typ == b.Typ;
}

void ExpectSameState(const State& a, const State& b, const std::string& where) {
    SCOPED_TRACE(where);
    ASSERT_EQ(a.Points.size(), b.Points.size());
    for (std::size_t i = 0; i < a.Points.size(); ++i)
        EXPECT_TRUE(SamePoint(a.Points[i], b.Points[i])) << "point " << i;
    EXPECT_EQ(a.BorderIdx, b.BorderIdx);
    EXPECT_EQ(a.BorderLines, b.BorderLines);
    EXPECT_EQ(a.FreeLines, b.FreeLines);
    EXPECT_EQ(a.CutPoints, b.CutPoints);
    EXPECT_EQ(a.FlightSegs, b.FlightSegs);
    ASSERT_EQ(a.Zones.size(), b.Zones.size());
    for (std::size_t z = 0; z < a.Zones.size(); ++z) {
        ASSERT_EQ(a.Zones[z].size(), b.Zones[z].size()) << "zone " << z;
        for (std::size_t i = 0; i < a.Zones[z].size(); ++i)
            EXPECT_TRUE(SamePoint(a.Zones[z][i], b.Zones[z][i])) << "zone " << z << " " << i;
    }
    for (const auto& [x, y] : {std::pair{a.TrafO, b.TrafO},
                               {a.TrafA, b.TrafA},
                               {a.TrafYbs, b.TrafYbs},
                               {a.TrafXbs, b.TrafXbs},
                               {a.TrafYs, b.TrafYs},
                               {a.TrafXs, b.TrafXs}})
        EXPECT_EQ(x, y);
}

// Every index of every list names a point of the kind the list is about.
void ExpectIndicesTrue(const State& s) {
    for (const TLine& l : s.BorderLines)
        for (int i : l) {
            ASSERT_LT(static_cast<std::size_t>(i), s.Points.size());
            EXPECT_EQ(s.Points[static_cast<std::size_t>(i)].Typ, KindBorder);
        }
    for (const TLine& l : s.FreeLines)
        for (int i : l) {
            ASSERT_LT(static_cast<std::size_t>(i), s.Points.size());
            EXPECT_EQ(s.Points[static_cast<std::size_t>(i)].Typ, KindFreeLine);
        }
    for (const TLine& l : s.FlightSegs)
        for (int i : l)
            EXPECT_LT(static_cast<std::size_t>(i), s.CutPoints.size());
}

} // namespace

TEST(PointEdits, EveryEditLeavesTheListsAsARebuildFromThePointsWould) {
    const struct {
        const char* name;
        std::function<void(State&, ParamPageModel&)> edit;
        bool planStays; // the ring is unchanged, so the plan stays as it was
    } cases[] = {
        {"add border point",
         [](State& s, ParamPageModel& p) { AddPoint(s, p, At(60, 200, KindBorder)); }, false},
        {"add plain point",
         [](State& s, ParamPageModel& p) { AddPoint(s, p, At(10, 10, KindPlain)); }, true},
        {"add free-line point",
         [](State& s, ParamPageModel& p) { AddPoint(s, p, At(420, 480, KindFreeLine)); }, true},
        {"delete control point before everything",
         [](State& s, ParamPageModel& p) { EXPECT_TRUE(DeletePoint(s, p, 0)); }, true},
        {"delete border corner", [](State& s, ParamPageModel& p) { DeletePoint(s, p, 5); }, false},
        {"delete inner free-line point", [](State& s, ParamPageModel& p) { DeletePoint(s, p, 6); },
         true},
        {"delete plain point between the lists",
         [](State& s, ParamPageModel& p) { DeletePoint(s, p, 4); }, true},
        {"delete point of interest", [](State& s, ParamPageModel& p) { DeletePoint(s, p, 9); },
         true},
        {"move border corner",
         [](State& s, ParamPageModel& p) { EXPECT_TRUE(MovePoint(s, p, 2, 340, 80)); }, false},
        {"move free-line point", [](State& s, ParamPageModel& p) { MovePoint(s, p, 3, 90, 380); },
         true},
        {"load project with other points",
         [](State& s, ParamPageModel& p) {
             ProjectData d;
             d.TrafO = 1;
             d.TrafYs = E0;
             d.TrafXs = N0;
             d.Points = {At(10, 10, KindFreeLine), At(60, 60, KindBorder), At(260, 60, KindBorder),
                         At(20, 20, KindFreeLine), At(160, 260, KindBorder)};
             LoadProjectPoints(s, p, d);
         },
         false},
    };
    for (const auto& c : cases) {
        ParamPageModel p;
        State s = Planned(p);
        const State before = s;
        c.edit(s, p);
        ExpectIndicesTrue(s);
        const State want = Rebuilt(s, p, true, true, true);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(s.BorderIdx, want.BorderIdx);
        EXPECT_EQ(s.BorderLines, want.BorderLines);
        EXPECT_EQ(s.FreeLines, want.FreeLines);
        EXPECT_EQ(s.CutPoints, want.CutPoints);
        EXPECT_EQ(s.FlightSegs, want.FlightSegs);
        if (c.planStays)
            EXPECT_EQ(s.CutPoints, before.CutPoints);
        else
            EXPECT_NE(s.CutPoints, before.CutPoints);
        EXPECT_FALSE(s.FlightSegs.empty());
    }
}

TEST(PointEdits, ListsKeepTheirRoleAndEmptyOnesStayEmpty) {
    ParamPageModel p;
    State s = Georeferenced();
    s.Points = {At(0, 0, KindBorder), At(10, 0, KindFreeLine), At(20, 0, KindFreeLine),
                At(30, 0, KindFreeLine), At(40, 10, KindBorder)};
    SetFreeLine(s); // BorderIdx holds the free line, BorderLines is empty
    DeletePoint(s, p, 0);
    EXPECT_EQ(s.BorderIdx, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(s.BorderLines.empty());
    EXPECT_EQ(s.FreeLines, (std::vector<TLine>{{0, 1}, {1, 2}}));
    EXPECT_TRUE(s.CutPoints.empty());

    // Nothing built: an edit builds nothing either.
    State plain = Georeferenced();
    plain.Points = {At(0, 0, KindBorder), At(10, 0, KindBorder)};
    AddPoint(plain, p, At(10, 10, KindBorder));
    EXPECT_TRUE(plain.BorderIdx.empty() && plain.BorderLines.empty() && plain.FreeLines.empty());

    // Deleting the last border point of a plan drops the plan; the free line shrinks to none.
    ParamPageModel q;
    State t = Georeferenced();
    t.Points = {At(0, 0, KindBorder), At(10, 0, KindFreeLine), At(20, 0, KindFreeLine)};
    SetFreeLine(t);
    SetBorderPointer(t, q);
    t.CutPoints = {{1, 2}, {3, 4}};
    t.FlightSegs = {{0, 1}};
    DeletePoint(t, q, 0);
    EXPECT_TRUE(t.BorderIdx.empty() && t.BorderLines.empty());
    EXPECT_TRUE(t.CutPoints.empty() && t.FlightSegs.empty());
    DeletePoint(t, q, 0);
    EXPECT_TRUE(t.FreeLines.empty());
}

TEST(PointEdits, AChangedRingTheGridRefusesDropsThePlanInsteadOfKeepingTheOldOne) {
    ParamPageModel p;
    State s = Planned(p);
    ASSERT_FALSE(s.FlightSegs.empty());
    p.NumberBoxB.SetValue(0); // strip spacing 0: the grid refuses
    MovePoint(s, p, 1, 90, 90);
    EXPECT_TRUE(s.CutPoints.empty());
    EXPECT_TRUE(s.FlightSegs.empty());
    EXPECT_EQ(s.BorderLines.size(), 4u); // the ring itself is still there
}

TEST(PointEdits, MoveTakesTheTransformationAndRefitsNothing) {
    ParamPageModel p;
    State s = Planned(p);
    TPt& cp = s.Points[0];
    cp.B = 47.5;
    cp.L = 8.25;
    const State before = s;
    ASSERT_TRUE(MovePoint(s, p, 0, 70, 40));
    EXPECT_EQ(s.Points[0].E, E0 + 70);
    EXPECT_EQ(s.Points[0].N, N0 - 40);
    EXPECT_EQ(s.Points[0].B, 47.5);
    EXPECT_EQ(s.Points[0].L, 8.25);
    EXPECT_EQ(s.Points[0].Typ, KindControl);
    EXPECT_EQ(s.TrafYs, before.TrafYs);
    EXPECT_EQ(s.TrafO, before.TrafO);
    // No index: nothing changes.
    EXPECT_FALSE(MovePoint(s, p, 10, 1, 1));
    EXPECT_FALSE(MovePoint(s, p, -1, 1, 1));
    EXPECT_FALSE(DeletePoint(s, p, 10));
    EXPECT_EQ(s.Points.size(), before.Points.size());
}

TEST(PointEdits, DeleteAllEmptiesPointsAndEveryListButKeepsTransformationOrbitAndMission) {
    ParamPageModel p;
    State s = Planned(p);
    s.Orbit = Torbit{{At(1, 1, KindPOI)}, {}};
    s.LitchiRecs.resize(3);
    const State before = s;
    DeleteAllPoints(s);
    EXPECT_TRUE(s.Points.empty());
    EXPECT_TRUE(s.BorderIdx.empty() && s.BorderLines.empty() && s.FreeLines.empty());
    EXPECT_TRUE(s.CutPoints.empty() && s.FlightSegs.empty());
    EXPECT_TRUE(s.Orbit.has_value());
    // Deleting all twice: one undo brings everything back.
    ParamPageModel q;
    State t = Planned(q);
    const State planned = t;
    UndoHistory h;
    DeleteAllPoints(t, &h);
    DeleteAllPoints(t, &h);
    EXPECT_EQ(h.UndoCount(), 1u);
    h.Undo(t, q);
    EXPECT_EQ(t.Points.size(), planned.Points.size());
    EXPECT_EQ(t.FlightSegs, planned.FlightSegs);
    EXPECT_EQ(s.LitchiRecs.size(), 3u);
    EXPECT_EQ(s.TrafYs, before.TrafYs);
    EXPECT_EQ(s.TrafO, before.TrafO);
}

namespace {

using Edit = std::function<void(State&, ParamPageModel&, UndoHistory*)>;

const Edit kAdd = [](State& s, ParamPageModel& p, UndoHistory* h) {
    AddPoint(s, p, At(210, 70, KindBorder), h);
};
const Edit kAddFree = [](State& s, ParamPageModel& p, UndoHistory* h) {
    AddPoint(s, p, At(330, 480, KindFreeLine), h);
};
const Edit kDelete = [](State& s, ParamPageModel& p, UndoHistory* h) { DeletePoint(s, p, 3, h); };
const Edit kDeleteFirst = [](State& s, ParamPageModel& p, UndoHistory* h) {
    DeletePoint(s, p, 0, h);
};
const Edit kMove = [](State& s, ParamPageModel& p, UndoHistory* h) {
    MovePoint(s, p, 2, 330, 90, h);
};
const Edit kMoveControl = [](State& s, ParamPageModel& p, UndoHistory* h) {
    MovePoint(s, p, 0, 20, 30, h);
};
const Edit kDeleteAll = [](State& s, ParamPageModel&, UndoHistory* h) { DeleteAllPoints(s, h); };
// A zone drawn corner by corner inside the square, and a second one begun.
const Edit kZoneNew = [](State& s, ParamPageModel& p, UndoHistory* h) {
    AddZoneCorner(s, p, 180, 180, true, h);
};
const Edit kZoneCorner = [](State& s, ParamPageModel& p, UndoHistory* h) {
    AddZoneCorner(s, p, 230, 180, false, h);
};
const Edit kZoneCorner2 = [](State& s, ParamPageModel& p, UndoHistory* h) {
    AddZoneCorner(s, p, 210, 230, false, h);
};
const Edit kLoad = [](State& s, ParamPageModel& p, UndoHistory* h) {
    ProjectData d;
    d.TrafO = 2;
    d.TrafA = 0.5;
    d.TrafYs = E0 + 7;
    d.TrafXs = N0 - 3;
    d.Points = {At(60, 60, KindBorder), At(260, 60, KindBorder), At(160, 260, KindBorder),
                At(5, 5, KindControl)};
    d.Zones = {{At(150, 120, KindPlain), At(170, 120, KindPlain), At(160, 140, KindPlain)}};
    LoadProjectPoints(s, p, d, h, std::any(std::string("map before load")));
};

} // namespace

TEST(UndoHistory, UndoAllThenRedoAllGivesTheSameStatesAsThePlainSequence) {
    const struct {
        const char* name;
        std::vector<Edit> edits;
    } sequences[] = {
        {"add, delete, move, delete all", {kAdd, kDelete, kMove, kDeleteAll}},
        {"delete all first, then add", {kDeleteAll, kAdd, kAddFree, kAdd}},
        {"load, move, delete, add", {kLoad, kMove, kDeleteFirst, kAddFree}},
        {"move control, delete, delete all, load", {kMoveControl, kDelete, kDeleteAll, kLoad}},
        {"add, add, delete, move, delete first", {kAdd, kAddFree, kDelete, kMove, kDeleteFirst}},
        {"zone corners, second zone, move, delete all",
         {kZoneNew, kZoneCorner, kZoneCorner2, kZoneNew, kMove, kDeleteAll}},
        {"load with a zone, zone corner", {kLoad, kZoneCorner}},
    };
    for (const auto& seq : sequences) {
        SCOPED_TRACE(seq.name);
        // The plain sequence, with the state after every step.
        ParamPageModel plainP;
        State plain = Planned(plainP);
        std::vector<State> states{plain};
        for (const Edit& e : seq.edits) {
            e(plain, plainP, nullptr);
            states.push_back(plain);
        }

        ParamPageModel p;
        State s = Planned(p);
        UndoHistory h;
        for (const Edit& e : seq.edits)
            e(s, p, &h);
        ExpectSameState(s, states.back(), "after the edits");
        for (std::size_t k = seq.edits.size(); k-- > 0;) {
            const UndoStep u = h.Undo(s, p);
            EXPECT_TRUE(u.done);
            EXPECT_EQ(u.text.rfind("Rückgängig: ", 0), 0u) << u.text;
            ExpectSameState(s, states[k], "undo to step " + std::to_string(k));
            ExpectIndicesTrue(s);
        }
        EXPECT_FALSE(h.Undo(s, p).done);
        for (std::size_t k = 1; k <= seq.edits.size(); ++k) {
            const UndoStep r = h.Redo(s, p);
            EXPECT_TRUE(r.done);
            EXPECT_EQ(r.text.rfind("Wiederhergestellt: ", 0), 0u) << r.text;
            ExpectSameState(s, states[k], "redo to step " + std::to_string(k));
        }
        EXPECT_FALSE(h.Redo(s, p).done);
        // Half way back and forth again ends where the plain sequence ended.
        h.Undo(s, p);
        h.Undo(s, p);
        h.Redo(s, p);
        h.Redo(s, p);
        ExpectSameState(s, states.back(), "after a second round");
    }
}

TEST(UndoHistory, NothingToDoTextsLabelsNewEditsAndDepth) {
    ParamPageModel p;
    State s = Planned(p);
    UndoHistory h(3);
    const UndoStep none = h.Undo(s, p);
    EXPECT_FALSE(none.done);
    EXPECT_EQ(none.text, "Nichts rückgängig zu machen.");
    EXPECT_EQ(h.Redo(s, p).text, "Nichts wiederherzustellen.");

    const struct {
        Edit edit;
        const char* text;
    } labels[] = {
        {kAdd, "Rückgängig: Punkt 10 setzen"},      {kDelete, "Rückgängig: Punkt 3 löschen"},
        {kMove, "Rückgängig: Punkt 2 verschieben"}, {kDeleteAll, "Rückgängig: Alle Punkte löschen"},
        {kLoad, "Rückgängig: Karte laden"},
    };
    for (const auto& l : labels) {
        UndoHistory one;
        ParamPageModel q;
        State t = Planned(q);
        l.edit(t, q, &one);
        EXPECT_EQ(one.Undo(t, q).text, l.text);
        EXPECT_EQ(one.Redo(t, q).text, std::string("Wiederhergestellt: ") +
                                           (l.text + std::string("Rückgängig: ").size()));
    }

    // Only the last three edits can be undone; a new edit forgets what could be redone.
    for (int i = 0; i < 5; ++i)
        kAddFree(s, p, &h);
    EXPECT_EQ(h.UndoCount(), 3u);
    EXPECT_TRUE(h.Undo(s, p).done);
    EXPECT_TRUE(h.CanRedo());
    kMove(s, p, &h);
    EXPECT_FALSE(h.CanRedo());
    // Indices that name no point record nothing.
    const std::size_t n = h.UndoCount();
    DeletePoint(s, p, 99, &h);
    MovePoint(s, p, -1, 0, 0, &h);
    EXPECT_EQ(h.UndoCount(), n);
}

TEST(UndoHistory, ProjectLoadUndoRestoresTransformationAndHandsBackTheWindowsPart) {
    ParamPageModel p;
    State s = Planned(p);
    const State before = s;
    UndoHistory h;
    kLoad(s, p, &h);
    EXPECT_EQ(s.TrafO, 2);
    ExpectIndicesTrue(s);
    const State loaded = s;

    const UndoStep u = h.Undo(s, p, std::any(std::string("map after load")));
    ExpectSameState(s, before, "undone load");
    ASSERT_TRUE(u.restoresExtra);
    EXPECT_EQ(std::any_cast<std::string>(u.extra), "map before load");
    // The area box shows the ring that is back.
    EXPECT_NEAR(p.NumberBoxFlaeche.Value(), 4.0, 1e-9);

    const UndoStep r = h.Redo(s, p, std::any(std::string("ignored")));
    ExpectSameState(s, loaded, "redone load");
    ASSERT_TRUE(r.restoresExtra);
    EXPECT_EQ(std::any_cast<std::string>(r.extra), "map after load");

    // A plain edit never touches the transformation, also when it was fitted anew since.
    kAdd(s, p, &h);
    s.TrafA = 0.75; // a new fit between the edit and its undo
    h.Undo(s, p, std::any(std::string("x")));
    EXPECT_EQ(s.TrafA, 0.75);
    EXPECT_FALSE(h.Redo(s, p).restoresExtra);
}

namespace {

// A stand-in that converts to any type, for counting the fields of an aggregate.
struct AnyField {
    template <class T>
    operator T() const; // NOLINT(google-explicit-constructor): only ever named in unevaluated code
};

template <class T, std::size_t... I> constexpr bool BraceInitWith(std::index_sequence<I...>) {
    return requires {
        T{(void(I), AnyField{})...};
    };
}

// The number of fields of an aggregate: the most initializers its brace list takes. The count
// never comes out too high; a type that stops being an aggregate, or a field the stand-in
// cannot initialize, makes it come out too low, so a comparison with it fails rather than
// passing by accident. Padding, field sizes and the platform play no part, unlike a sizeof or
// offset check.
template <class T, std::size_t N = 0> constexpr std::size_t AggregateFieldCount() {
    if constexpr (!BraceInitWith<T>(std::make_index_sequence<N + 1>{}))
        return N;
    else
        return AggregateFieldCount<T, N + 1>();
}

} // namespace

TEST(UndoHistory, EveryFieldOfTheStateIsListedOnceWithWhatAnUndoRestores) {
    constexpr std::size_t listed = std::tuple_size_v<std::remove_const_t<decltype(kStateFields)>>;
    EXPECT_EQ(listed, AggregateFieldCount<State>())
        << "a field of State is missing from kStateFields (planning/edits.h)";
    State probe;
    std::set<const void*> fields;
    std::apply([&](const auto&... f) { (fields.insert(&(probe.*f.member)), ...); }, kStateFields);
    EXPECT_EQ(fields.size(), listed) << "a field is listed twice";

    // An edit and a project step, each undone into a state whose every field has changed.
    for (const bool project : {false, true}) {
        SCOPED_TRACE(project ? "project step" : "point edit");
        ParamPageModel p;
        const State before = Planned(p);
        UndoHistory h;
        h.Push(TakeSnapshot(before, "x", project));
        State s;
        s.Points = {At(1, 1, KindPlain)};
        s.UtmZone = 33;
        s.UtmSouth = true;
        s.DemFile = "dgm.tif";
        s.DownPt.xb = 5;
        s.UpPt.xb = 6;
        s.SelIdx = 7;
        s.TrafO = s.TrafA = s.TrafM = s.TrafYbs = s.TrafXbs = s.TrafYs = s.TrafXs = 9;
        s.BorderEMin = s.BorderEMax = s.BorderNMin = s.BorderNMax = 9;
        s.Zones = {{At(1, 1, KindPlain)}};
        s.ZoneBufferM = 7;
        s.DxfFileName = "a.dxf";
        s.LitchiRecs.resize(2);
        s.LitchiLineOf = {0, 0};
        s.LitchiLineEnd = {true};
        s.ActRec = 1;
        s.Orbit = Torbit{};
        const State changed = s;
        ASSERT_TRUE(h.Undo(s, p).done);
        // Back: the points, everything built from them and the zone; for a project step also
        // the transformation and the elevation model.
        const State& traf = project ? before : changed;
        for (const auto& [x, y] : {std::pair{s.TrafO, traf.TrafO},
                                   {s.TrafA, traf.TrafA},
                                   {s.TrafYbs, traf.TrafYbs},
                                   {s.TrafXbs, traf.TrafXbs},
                                   {s.TrafYs, traf.TrafYs},
                                   {s.TrafXs, traf.TrafXs}})
            EXPECT_EQ(x, y);
        EXPECT_EQ(s.Points.size(), before.Points.size());
        EXPECT_EQ(s.FlightSegs, before.FlightSegs);
        EXPECT_EQ(s.BorderEMin, before.BorderEMin);
        EXPECT_EQ(s.BorderNMax, before.BorderNMax);
        EXPECT_EQ(s.Zones.size(), before.Zones.size());
        EXPECT_EQ(s.ZoneBufferM, 7);
        EXPECT_EQ(s.UtmZone, 32);
        EXPECT_FALSE(s.UtmSouth);
        EXPECT_EQ(s.TrafM, project ? before.TrafM : 9);
        EXPECT_EQ(s.DemFile, project ? "" : "dgm.tif");
        // Kept as they were: tools, file names, the mission and the orbit.
        EXPECT_EQ(s.DownPt.xb, 5);
        EXPECT_EQ(s.UpPt.xb, 6);
        EXPECT_EQ(s.SelIdx, 7);
        EXPECT_EQ(s.DxfFileName, "a.dxf");
        EXPECT_EQ(s.LitchiRecs.size(), 2u);
        EXPECT_EQ(s.LitchiLineOf, changed.LitchiLineOf);
        EXPECT_EQ(s.LitchiLineEnd, changed.LitchiLineEnd);
        EXPECT_EQ(s.ActRec, 1);
        EXPECT_TRUE(s.Orbit.has_value());
    }
}

TEST(PointEdits, AZoneCornerCutsThePlanAnewAroundTheZone) {
    ParamPageModel p;
    State s = Planned(p);
    const std::vector<Tpunkt> before = s.CutPoints;
    for (const Edit& e : {kZoneNew, kZoneCorner, kZoneCorner2})
        e(s, p, nullptr);
    ASSERT_EQ(s.Zones.size(), 1u);
    ASSERT_EQ(s.Zones[0].size(), 3u);
    EXPECT_EQ(s.Zones[0][1].E, E0 + 230); // ground coordinates of the transformation
    EXPECT_EQ(s.Zones[0][1].N, N0 - 180);
    EXPECT_NE(s.CutPoints, before);
    // No line end lies inside the zone grown by the buffer.
    const double cx = E0 + 206.7, cy = N0 - 196.7; // inside the triangle
    for (const Tpunkt& c : s.CutPoints)
        EXPECT_GT(std::hypot(c[0] - cx, c[1] - cy), 10.0);
}
