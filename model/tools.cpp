// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/tools.h"

#include <cmath>

#include "model/format.h"
#include "model/geodesy.h"

namespace korvale {

int SelPoint(const State& s, float x, float y) {
    double best = 1e12;
    int result = -1;
    for (std::size_t i = 0; i < s.Points.size(); ++i) {
        const double d = std::hypot(static_cast<double>(s.Points[i].xb) - x,
                                    static_cast<double>(s.Points[i].yb) - y);
        if (d < best) {
            best = d;
            result = static_cast<int>(i);
        }
    }
    return result;
}

ToolState ReleaseOthers(const ToolState& t, Tool clicked) {
    ToolState r;
    switch (clicked) {
    case Tool::Border:
        r.Border = t.Border;
        break;
    case Tool::Freeline:
        r.Freeline = t.Freeline;
        break;
    case Tool::POI:
        r.POI = t.POI;
        break;
    case Tool::Poly:
        r.Poly = t.Poly;
        break;
    case Tool::Move:
        r.Move = t.Move;
        break;
    case Tool::PtDel:
        r.PtDel = t.PtDel;
        break;
    case Tool::Messen:
        r.Messen = t.Messen;
        break;
    case Tool::Area:
        r.Area = t.Area;
        break;
    case Tool::DelAll:
        break;
    case Tool::Help:
        r.Help = t.Help;
        break;
    case Tool::Zone:
        r.Zone = t.Zone;
        break;
    }
    return r;
}

PressRule LeftPressRule(const ToolState& t) {
    if (t.PtDel)
        return PressRule::Delete;
    if (t.Poly)
        return PressRule::Orbit;
    if (t.Messen)
        return PressRule::Measure;
    if (t.Move)
        return PressRule::Move;
    if (t.Zone)
        return PressRule::Zone;
    return PressRule::Add;
}

std::uint8_t NewPointKind(const ToolState& t) {
    std::uint8_t kind = KindPlain;
    if (t.Border)
        kind = KindBorder;
    if (t.Freeline)
        kind = KindFreeLine;
    if (t.POI)
        kind = KindPOI;
    return kind;
}

MapPos ViewToMap(float X, float Y, int toolbarHeight, int tabHeaderHeight) {
    return {X, Y + static_cast<float>(toolbarHeight) + static_cast<float>(tabHeaderHeight)};
}

std::string MeasureText(const TPt& down, const TPt& up) {
    const AzDistResult ad = AzDist(down, up);
    return Format("E %10.2f N %10.2f Az %10.3f Dist %10.3f", {up.E, up.N, ad.Az, ad.Dist});
}

} // namespace korvale
