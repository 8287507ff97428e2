// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/zones_step.h"

#include <vector>

#include "exchange/area_place.h"
#include "model/format.h"
#include "model/geodesy.h"

namespace korvale {

namespace {

std::vector<TPt> ZoneOf(const State& s, const std::vector<GeoPos>& ring) {
    std::vector<TPt> zone;
    zone.reserve(ring.size());
    for (const GeoPos& g : ring)
        zone.push_back(GroundCorner(ProjectCentralMeridian(s), g, KindPlain));
    return zone;
}

} // namespace

void AddExclusionZones(State& s, const AreaPolygon& area, const PlanOptions& o) {
    std::vector<std::vector<TPt>> zones;
    for (const std::vector<GeoPos>& hole : area.inner)
        zones.push_back(ZoneOf(s, hole));
    for (const std::string& file : o.excludeFiles)
        // The reader names the file in its message.
        for (const AreaPolygon& a : ReadAreaFile(file))
            zones.push_back(ZoneOf(s, a.ring));
    s.Zones = std::move(zones);
    s.ZoneBufferM = o.excludeBufferM;
}

std::string AreaFileNote(const std::vector<AreaPolygon>& areas) {
    if (areas.empty())
        return {};
    const int dropped = DroppedHoles(areas.front());
    if (areas.size() > 1 && dropped > 0)
        return Format("geplant wurde das erste Polygon der Datei (%d insgesamt); %d seiner Löcher "
                      "ließen sich nicht lesen und werden nicht ausgespart.",
                      {static_cast<long long>(areas.size()), dropped});
    if (areas.size() > 1)
        return Format("geplant wurde das erste Polygon der Datei (%d insgesamt).",
                      {static_cast<long long>(areas.size())});
    if (dropped > 0)
        return Format("%d Löcher des Gebiets ließen sich nicht lesen und werden nicht ausgespart.",
                      {dropped});
    return {};
}

} // namespace korvale
