// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/area_place.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "georef/transform.h"
#include "model/error.h"
#include "model/geodesy.h"
#include "planning/border.h"

namespace korvale {

int ProjectCentralMeridian(const State& s) {
    // The zone the first control point chose; geodata from files joins the project there.
    return CentralMeridianOfZone(ZoneOf(s));
}

TPt GroundCorner(int L0, const GeoPos& g, std::uint8_t kind) {
    const UtmResult u = GeoToUTM(L0, EllipsoidA, EllipsoidF, g.lat, g.lon);
    TPt t;
    t.B = g.lat;
    t.L = g.lon;
    t.E = u.Y;
    t.N = u.X;
    t.c = u.c;
    t.Typ = kind;
    return t;
}

void PlaceArea(State& s, ParamPageModel& p, const AreaPolygon& area, int L0, UndoHistory* h) {
    if (s.TrafO == 0 && s.TrafA == 0)
        throw Error(ErrorKind::Refused,
                    "Zuerst Passpunkte setzen und transformieren (Tr): ohne Transformation "
                    "lässt sich das Gebiet nicht auf der Kartenkopie platzieren.");
    if (area.ring.size() < 3)
        throw Error(ErrorKind::Refused, "Die Fläche hat weniger als 3 verschiedene Eckpunkte.");
    // Everything is computed before the point list changes, so a refusal leaves it as it was.
    const auto place = [&](const std::vector<GeoPos>& ring, std::uint8_t kind) {
        std::vector<TPt> corners;
        corners.reserve(ring.size());
        for (const GeoPos& g : ring) {
            TPt t = GroundCorner(L0, g, kind);
            const ImagePos ip = Trafback(s, t.N, t.E);
            if (!(std::fabs(ip.xb) < 1e7 && std::fabs(ip.yb) < 1e7))
                throw Error(ErrorKind::Refused,
                            "Das Gebiet liegt zu weit außerhalb der Kartenkopie.");
            t.xb = static_cast<float>(ip.xb);
            t.yb = static_cast<float>(ip.yb);
            corners.push_back(t);
        }
        return corners;
    };
    const std::vector<TPt> corners = place(area.ring, KindBorder);
    std::vector<std::vector<TPt>> zones;
    zones.reserve(area.inner.size());
    for (const std::vector<GeoPos>& hole : area.inner)
        zones.push_back(place(hole, KindPlain));
    if (h)
        h->Push(TakeSnapshot(s, "Gebiet importieren"));
    const bool hadFreeLine = !s.FreeLines.empty();
    s.Points.erase(std::remove_if(s.Points.begin(), s.Points.end(),
                                  [](const TPt& t) { return t.Typ == KindBorder; }),
                   s.Points.end());
    s.Points.insert(s.Points.end(), corners.begin(), corners.end());
    s.Zones = std::move(zones);
    // Indices behind a removed point have moved: the lists are rebuilt from the point kinds,
    // and the grid of the old border no longer belongs to any border.
    if (hadFreeLine)
        SetFreeLine(s);
    SetBorderPointer(s, p);
    s.CutPoints.clear();
    s.FlightSegs.clear();
}

} // namespace korvale
