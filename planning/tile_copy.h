// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A captured tile-map view becomes the map copy: its own control points replace the project's,
// and the transformation is fitted to them, as one step the history can undo.
#pragma once

#include <any>

#include "georef/tilemap.h"
#include "georef/transform.h"
#include "model/state.h"
#include "planning/edits.h"
#include "planning/params.h"

namespace korvale {

// Every control point of `s` is deleted (the lists built from the points follow, as after any
// point edit), the five control points of `plan` are added at their copy positions shifted
// down by `imageTop`, the transformation is fitted to them (TrafPar) and every point gets its
// ground coordinates (Trafall). Returns the fit's protocol and status. All or nothing: on an
// Error, `s` and `p` are as before and nothing is recorded. With `h`, one step labelled
// "Kachelkarte übernehmen" that also restores the transformation and hands `extra` (the
// window's map copy before) back when undone.
TrafResult TakeTileCopy(State& s, ParamPageModel& p, const TileCopyPlan& plan, double imageTop,
                        UndoHistory* h = nullptr, std::any extra = {});

} // namespace korvale
