// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Point edits (add, delete, move, delete all, project load) that keep every list built from
// the point list true, and the history that undoes and redoes them.
#pragma once

#include <any>
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "georef/project.h"
#include "model/state.h"
#include "planning/params.h"

namespace korvale {

// The part of the state a point edit changes: the points, every list derived from them, the
// ring's box, and for a project load the six stored transformation values and whatever the
// window keeps beside them (the map copy, held in `extra` without the core knowing its type).
struct PointSnapshot {
    std::vector<TPt> Points;
    std::vector<int> BorderIdx;
    std::vector<TLine> BorderLines;
    std::vector<TLine> FreeLines;
    std::vector<Tpunkt> CutPoints;
    std::vector<TLine> FlightSegs;
    std::vector<std::vector<TPt>> Zones;
    double BorderEMin = 0, BorderEMax = 0, BorderNMin = 0, BorderNMax = 0;
    bool project = false; // also the transformation and `extra`
    double TrafO = 0, TrafA = 0, TrafYbs = 0, TrafXbs = 0, TrafYs = 0, TrafXs = 0;
    std::any extra;
    std::string label; // what the edit did, for the status line
};

PointSnapshot TakeSnapshot(const State& s, std::string label, bool project = false,
                           std::any extra = {});

// What Undo or Redo did: `done` false when there was nothing to do; `text` for the status line;
// `extra` the window's part of a restored project snapshot (`restoresExtra`).
struct UndoStep {
    bool done = false;
    std::string text;
    bool restoresExtra = false;
    std::any extra;
};

// Snapshots before each edit, newest last, at most `depth` of them (the oldest is forgotten).
// Undo puts the state back as it was before the last edit and keeps the state it replaced for
// Redo; a new edit forgets what could be redone.
class UndoHistory {
  public:
    static constexpr std::size_t DefaultDepth = 100;
    explicit UndoHistory(std::size_t depth = DefaultDepth) : depth_(depth == 0 ? 1 : depth) {}

    void Push(PointSnapshot before);
    // `current` is the window's part of the present state; it is kept only when the step
    // restores a project, so that redoing the step shows that state's map copy again.
    UndoStep Undo(State& s, ParamPageModel& p, std::any current = {});
    UndoStep Redo(State& s, ParamPageModel& p, std::any current = {});
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    std::size_t UndoCount() const { return undo_.size(); }
    void Clear();

  private:
    std::size_t depth_;
    std::deque<PointSnapshot> undo_;
    std::deque<PointSnapshot> redo_;
};

// Every edit below changes Points and then brings the lists built from them in line, each list
// keeping the role it had: a built ring (BorderIdx, BorderLines) is rebuilt from the border
// points, a BorderIdx that holds the free-line points holds them again, a built free line
// (FreeLines) is rebuilt from the free-line points, and a plan (CutPoints, FlightSegs) whose
// ring has changed is cut anew at NumberBoxRi and NumberBoxB, or dropped when no border point
// is left or the grid refuses. With `h`, the state before a change is pushed onto it.

// Appends `pt` (its kind and map position set by the caller; ground coordinates may be 0).
void AddPoint(State& s, ParamPageModel& p, const TPt& pt, UndoHistory* h = nullptr);

// Removes Points[i]; later points move down by one. False, nothing changed, if i is no index.
bool DeletePoint(State& s, ParamPageModel& p, int i, UndoHistory* h = nullptr);

// Moves Points[i] to the map position (xb, yb) with the easting and northing of the current
// transformation there; latitude, longitude, convergence and kind stay (a control point is not
// fitted again). False, nothing changed, if i is no index.
bool MovePoint(State& s, ParamPageModel& p, int i, float xb, float yb, UndoHistory* h = nullptr);

// Empties Points, the exclusion zones and every list built from them (ring, free line, cut
// points, flight segments). The transformation, the orbit and the Litchi mission are lists of their
// own and stay. Recorded only when there was something to delete.
void DeleteAllPoints(State& s, UndoHistory* h = nullptr);

// Adds the corner at the map position (xb, yb), with the easting and northing of the current
// transformation there, to the exclusion zone being drawn, or with `newZone` begins a new zone
// with it. A plan is cut anew around the zones.
void AddZoneCorner(State& s, ParamPageModel& p, float xb, float yb, bool newZone,
                   UndoHistory* h = nullptr);

// A loaded project replaces the points and the transformation (ApplyProject); the lists
// follow the new points as after any edit. `extra` is the window's part of the state before
// (its map copy), restored by undoing the load.
void LoadProjectPoints(State& s, ParamPageModel& p, const ProjectData& d, UndoHistory* h = nullptr,
                       std::any extra = {});

} // namespace korvale
