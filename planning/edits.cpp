// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/edits.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "georef/transform.h"
#include "model/error.h"
#include "model/format.h"
#include "planning/border.h"
#include "planning/grid.h"

namespace korvale {

namespace {

// Which lists were built before an edit, and the ring they were built for.
struct Built {
    bool ring = false;                   // BorderIdx and BorderLines describe the border ring
    bool idxFree = false;                // BorderIdx holds the free-line points (after SetFreeLine)
    bool free = false;                   // FreeLines describes the free line
    bool plan = false;                   // CutPoints / FlightSegs hold a plan
    std::vector<TPt> border;             // the border points in ring order
    std::vector<std::vector<TPt>> zones; // the exclusion zones
};

std::vector<TPt> BorderPoints(const State& s) {
    std::vector<TPt> out;
    for (const TPt& q : s.Points)
        if (q.Typ == KindBorder)
            out.push_back(q);
    return out;
}

bool SameRing(const std::vector<TPt>& a, const std::vector<TPt>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].E != b[i].E || a[i].N != b[i].N || a[i].xb != b[i].xb || a[i].yb != b[i].yb)
            return false;
    return true;
}

Built Before(const State& s) {
    Built b;
    // SetBorderPointer gives every ring, even of one point, at least one edge; an index list
    // without edges is what SetFreeLine leaves.
    b.ring = !s.BorderLines.empty();
    b.idxFree = s.BorderLines.empty() && !s.BorderIdx.empty();
    b.free = !s.FreeLines.empty();
    b.plan = !s.CutPoints.empty() || !s.FlightSegs.empty();
    b.border = BorderPoints(s);
    b.zones = s.Zones;
    return b;
}

std::vector<int> IndicesOfKind(const State& s, std::uint8_t kind) {
    std::vector<int> idx;
    for (std::size_t i = 0; i < s.Points.size(); ++i)
        if (s.Points[i].Typ == kind)
            idx.push_back(static_cast<int>(i));
    return idx;
}

void ClearPlan(State& s) {
    s.CutPoints.clear();
    s.FlightSegs.clear();
}

// The plan of a changed ring is cut anew as the planning run cuts it, so that a mission or a
// drawing made before the next "Calc Raster" flies the ring that is there. Drawing and the
// statistics stay with the planning run of the next redraw.
void Recut(State& s, ParamPageModel& p) {
    if (BorderPoints(s).empty()) {
        ClearPlan(s);
        return;
    }
    try {
        Trafall(s);
        SetBorderPointer(s, p);
        CalcBorderMinMax(s);
        Schnitte(s, p.NumberBoxRi.Value(), p.NumberBoxB.Value());
    } catch (const Error&) {
        // A plan of the old ring would fly corners that are gone; no plan is the true one.
        ClearPlan(s);
    }
}

bool SameZones(const std::vector<std::vector<TPt>>& a, const std::vector<std::vector<TPt>>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                          [](const TPt& p, const TPt& q) { return p.E == q.E && p.N == q.N; });
    });
}

void Settle(State& s, ParamPageModel& p, const Built& b) {
    if (b.plan && (!SameRing(b.border, BorderPoints(s)) || !SameZones(b.zones, s.Zones)))
        Recut(s, p);
    if (b.ring) {
        SetBorderPointer(s, p);
    } else if (b.idxFree) {
        s.BorderIdx = IndicesOfKind(s, KindFreeLine);
        s.BorderLines.clear();
    }
    if (b.free) {
        const std::vector<int> idx = IndicesOfKind(s, KindFreeLine);
        s.FreeLines.clear();
        for (std::size_t k = 0; k + 1 < idx.size(); ++k)
            s.FreeLines.push_back({idx[k], idx[k + 1]});
    }
}

bool IsIndex(const State& s, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < s.Points.size();
}

// Whether an undo step of this kind restores a field of `scope`.
bool Restores(UndoScope scope, bool project) {
    return scope == UndoScope::Edit || (scope == UndoScope::Project && project);
}

void Restore(State& s, PointSnapshot& from) {
    std::apply(
        [&](const auto&... f) {
            ((Restores(f.scope, from.project) ? void(s.*f.member = std::move(from.saved.*f.member))
                                              : void()),
             ...);
        },
        kStateFields);
}

// The area box shows the ring the lists hold, as after SetBorderPointer.
void ShowRingArea(const State& s, ParamPageModel& p) {
    if (s.BorderLines.empty())
        return;
    for (const int i : s.BorderIdx)
        if (!IsIndex(s, i))
            return;
    p.NumberBoxFlaeche.SetValue(
        PolygonArea(s, s.BorderIdx, static_cast<int>(s.BorderIdx.size()) - 1) / 10000.0);
}

UndoStep Step(std::deque<PointSnapshot>& from, std::deque<PointSnapshot>& to, State& s,
              ParamPageModel& p, std::any current, const char* done, const char* nothing) {
    if (from.empty())
        return {false, nothing, false, {}};
    PointSnapshot back = std::move(from.back());
    from.pop_back();
    to.push_back(
        TakeSnapshot(s, back.label, back.project, back.project ? std::move(current) : std::any{}));
    UndoStep r{true, std::string(done) + back.label, back.project, std::move(back.extra)};
    Restore(s, back);
    ShowRingArea(s, p);
    return r;
}

} // namespace

PointSnapshot TakeSnapshot(const State& s, std::string label, bool project, std::any extra) {
    PointSnapshot t;
    std::apply(
        [&](const auto&... f) {
            ((Restores(f.scope, project) ? void(t.saved.*f.member = s.*f.member) : void()), ...);
        },
        kStateFields);
    t.project = project;
    t.extra = std::move(extra);
    t.label = std::move(label);
    return t;
}

void UndoHistory::Push(PointSnapshot before) {
    undo_.push_back(std::move(before));
    while (undo_.size() > depth_)
        undo_.pop_front();
    redo_.clear();
}

UndoStep UndoHistory::Undo(State& s, ParamPageModel& p, std::any current) {
    return Step(undo_, redo_, s, p, std::move(current),
                "Rückgängig: ", "Nichts rückgängig zu machen.");
}

UndoStep UndoHistory::Redo(State& s, ParamPageModel& p, std::any current) {
    return Step(redo_, undo_, s, p, std::move(current),
                "Wiederhergestellt: ", "Nichts wiederherzustellen.");
}

void UndoHistory::Clear() {
    undo_.clear();
    redo_.clear();
}

void AddPoint(State& s, ParamPageModel& p, const TPt& pt, UndoHistory* h) {
    const Built b = Before(s);
    if (h)
        h->Push(TakeSnapshot(s, Format("Punkt %d setzen", {s.Points.size()})));
    s.Points.push_back(pt);
    Settle(s, p, b);
}

void AddPoints(State& s, ParamPageModel& p, const std::vector<TPt>& pts, std::string label,
               UndoHistory* h) {
    const Built b = Before(s);
    if (h)
        h->Push(TakeSnapshot(s, std::move(label)));
    s.Points.insert(s.Points.end(), pts.begin(), pts.end());
    Settle(s, p, b);
}

bool DeletePoint(State& s, ParamPageModel& p, int i, UndoHistory* h) {
    if (!IsIndex(s, i))
        return false;
    const Built b = Before(s);
    if (h)
        h->Push(TakeSnapshot(s, Format("Punkt %d löschen", {i})));
    s.Points.erase(s.Points.begin() + i);
    Settle(s, p, b);
    return true;
}

bool MovePoint(State& s, ParamPageModel& p, int i, float xb, float yb, UndoHistory* h) {
    if (!IsIndex(s, i))
        return false;
    const Built b = Before(s);
    if (h)
        h->Push(TakeSnapshot(s, Format("Punkt %d verschieben", {i})));
    TPt& q = s.Points[static_cast<std::size_t>(i)];
    q.xb = xb;
    q.yb = yb;
    const EastNorth en = Trafone(s, xb, yb);
    q.E = en.E;
    q.N = en.N;
    Settle(s, p, b);
    return true;
}

void DeleteAllPoints(State& s, UndoHistory* h) {
    // A second click deletes nothing more; one undo must still bring everything back.
    const bool anything = !s.Points.empty() || !s.BorderIdx.empty() || !s.BorderLines.empty() ||
                          !s.FreeLines.empty() || !s.CutPoints.empty() || !s.FlightSegs.empty() ||
                          !s.Zones.empty();
    if (h && anything)
        h->Push(TakeSnapshot(s, "Alle Punkte löschen"));
    s.Points.clear();
    s.BorderIdx.clear();
    s.BorderLines.clear();
    s.FreeLines.clear();
    s.Zones.clear();
    ClearPlan(s);
}

void AddZoneCorner(State& s, ParamPageModel& p, float xb, float yb, bool newZone, UndoHistory* h) {
    const Built b = Before(s);
    if (h)
        h->Push(TakeSnapshot(s, "Sperrfläche: Ecke setzen"));
    TPt q;
    q.xb = xb;
    q.yb = yb;
    const EastNorth en = Trafone(s, xb, yb);
    q.E = en.E;
    q.N = en.N;
    if (newZone || s.Zones.empty())
        s.Zones.emplace_back();
    s.Zones.back().push_back(q);
    Settle(s, p, b);
}

void LoadProjectPoints(State& s, ParamPageModel& p, const ProjectData& d, UndoHistory* h,
                       std::any extra) {
    const Built b = Before(s);
    if (h)
        h->Push(TakeSnapshot(s, "Karte laden", true, std::move(extra)));
    ApplyProject(s, d);
    Settle(s, p, b);
}

} // namespace korvale
