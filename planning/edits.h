// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Point edits (add, delete, move, delete all, project load) that keep every list built from
// the point list true, and the history that undoes and redoes them.
#pragma once

#include <any>
#include <cstddef>
#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include "georef/project.h"
#include "model/state.h"
#include "planning/params.h"

namespace korvale {

// What undoing an edit puts back of a field of the state.
enum class UndoScope {
    Edit,    // every edit: the points, every list and box built from them, the project's zone
    Project, // also, for an edit that replaces the transformation (a project load, a tile-map
             // copy): the transformation and the elevation model the project names
    Kept,    // never: tool positions, file names, the mission and the orbit are no point edit's
};

template <class T> struct StateField {
    T State::*member;
    UndoScope scope;
};
template <class T> StateField(T State::*, UndoScope) -> StateField<T>;

// Every field of State, in the order State declares them, with what an undo restores of it.
// Snapshots are taken and restored from this list alone, so a field is undone exactly when it is
// listed here with Edit or Project. A test compares the list's length with the number of fields
// State has, so that a new field of State cannot be left out by accident.
inline constexpr std::tuple kStateFields{
    StateField{&State::Points, UndoScope::Edit},
    StateField{&State::UtmZone, UndoScope::Edit},
    StateField{&State::UtmSouth, UndoScope::Edit},
    StateField{&State::DemFile, UndoScope::Project},
    StateField{&State::DownPt, UndoScope::Kept},
    StateField{&State::UpPt, UndoScope::Kept},
    StateField{&State::SelIdx, UndoScope::Kept},
    StateField{&State::TrafO, UndoScope::Project},
    StateField{&State::TrafA, UndoScope::Project},
    StateField{&State::TrafM, UndoScope::Project},
    StateField{&State::TrafYbs, UndoScope::Project},
    StateField{&State::TrafXbs, UndoScope::Project},
    StateField{&State::TrafYs, UndoScope::Project},
    StateField{&State::TrafXs, UndoScope::Project},
    StateField{&State::BorderEMin, UndoScope::Edit},
    StateField{&State::BorderEMax, UndoScope::Edit},
    StateField{&State::BorderNMin, UndoScope::Edit},
    StateField{&State::BorderNMax, UndoScope::Edit},
    StateField{&State::BorderIdx, UndoScope::Edit},
    StateField{&State::BorderLines, UndoScope::Edit},
    StateField{&State::FreeLines, UndoScope::Edit},
    StateField{&State::CutPoints, UndoScope::Edit},
    StateField{&State::FlightSegs, UndoScope::Edit},
    StateField{&State::Zones, UndoScope::Edit},
    StateField{&State::ZoneBufferM, UndoScope::Kept},
    StateField{&State::DxfFileName, UndoScope::Kept},
    StateField{&State::LitchiRecs, UndoScope::Kept},
    StateField{&State::LitchiLineOf, UndoScope::Kept},
    StateField{&State::LitchiLineEnd, UndoScope::Kept},
    StateField{&State::ActRec, UndoScope::Kept},
    StateField{&State::Orbit, UndoScope::Kept},
};

// The state before an edit: the fields of kStateFields it restores (Edit, and Project when
// `project`), the others left empty; and whatever the window keeps beside a replaced
// transformation (the map copy, held in `extra` without the core knowing its type).
struct PointSnapshot {
    State saved;
    bool project = false; // also the Project fields and `extra`
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

// Appends `pts` as one edit, labelled `label` in the history.
void AddPoints(State& s, ParamPageModel& p, const std::vector<TPt>& pts, std::string label,
               UndoHistory* h = nullptr);

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
