// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/tile_copy.h"

#include <utility>

#include "georef/clipboard.h"

namespace korvale {

TrafResult TakeTileCopy(State& s, ParamPageModel& p, const TileCopyPlan& plan, double imageTop,
                        UndoHistory* h, std::any extra) {
    // All on copies, so that nothing changes unless every step succeeds.
    State t = s;
    ParamPageModel q = p;
    for (int i = static_cast<int>(t.Points.size()) - 1; i >= 0; --i)
        if (t.Points[static_cast<std::size_t>(i)].Typ == KindControl)
            DeletePoint(t, q, i);
    for (const TileControlPixel& c : plan.points)
        AddGeoControlPoint(t, c.geo.B, c.geo.L, static_cast<float>(c.x),
                           static_cast<float>(c.y + imageTop));
    TrafResult r = TrafPar(t);
    Trafall(t);
    if (h)
        h->Push(TakeSnapshot(s, "Kachelkarte übernehmen", true, std::move(extra)));
    s = std::move(t);
    p = std::move(q);
    return r;
}

} // namespace korvale
