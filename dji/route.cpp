// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dji/route.h"

#include <cmath>

#include "litchi/limits.h"
#include "model/error.h"
#include "model/geodesy.h"

namespace korvale {
namespace {

RouteWaypoint At(const State& s, PlanPt p, const GridRouteOptions& o) {
    const GeoResult g = ProjectUtmToGeo(s, p.N, p.E);
    RouteWaypoint w;
    w.lat = g.B;
    w.lon = g.L;
    w.heightM = o.heightM;
    w.speedMps = o.speedMps;
    w.gimbalPitchDeg = -90;
    w.hasPlanPos = true;
    w.planE = p.E;
    w.planN = p.N;
    return w;
}

} // namespace

double RouteHeading(double lat1, double lon1, double lat2, double lon2) {
    // Local east and north on the sphere: exact enough for a heading (well under 0.01 degrees
    // over a flight line), and independent of the UTM zone's convergence.
    const double mean = (lat1 + lat2) / 2 / Rho;
    const double east = (lon2 - lon1) * std::cos(mean);
    const double north = lat2 - lat1;
    if (east == 0 && north == 0)
        return 0;
    return std::atan2(east, north) * Rho;
}

double RouteStep(const RouteWaypoint& a, const RouteWaypoint& b) {
    return WaypointDistance(a.lat, a.lon, b.lat, b.lon);
}

Route GridRoute(const State& s, const FlightPlan& plan, const DroneProfile& d,
                const GridRouteOptions& o) {
    if (!(o.heightM > 0) || !(o.speedMps > 0) || !(o.photoBaseM > 0))
        throw Error(ErrorKind::Refused,
                    "Höhe, Geschwindigkeit und Bildabstand müssen größer als 0 sein.\nDie "
                    "Werte auf der Seite Korvale prüfen und \"Calc Raster\" drücken.");
    Route r;
    r.grid = true;
    for (std::size_t k = 0; k < plan.lines.size(); ++k) {
        const FlightLine& line = plan.lines[k];
        const int lineNo = static_cast<int>(k);
        const std::size_t first = r.waypoints.size();
        if (d.firesDistanceTriggers) {
            RouteWaypoint a = At(s, line.start, o);
            a.photo = true;
            a.photoDistanceM = o.photoBaseM;
            r.waypoints.push_back(a);
            r.waypoints.push_back(At(s, line.end, o));
        } else {
            for (std::size_t i = 0; i < line.pictureCount; ++i) {
                RouteWaypoint w = At(s, plan.pictures[line.firstPicture + i].at, o);
                w.photo = true;
                r.waypoints.push_back(w);
            }
            if (line.endPicture) {
                RouteWaypoint w = At(s, line.endPictureAt, o);
                w.photo = true;
                r.waypoints.push_back(w);
            }
            // A line shorter than the photo base has one picture; its end still gives the
            // heading and the way on to the next line.
            if (r.waypoints.size() - first < 2)
                r.waypoints.push_back(At(s, line.end, o));
        }
        const std::size_t last = r.waypoints.size() - 1;
        const double heading = RouteHeading(r.waypoints[first].lat, r.waypoints[first].lon,
                                            r.waypoints[last].lat, r.waypoints[last].lon);
        for (std::size_t i = first; i <= last; ++i) {
            r.waypoints[i].headingDeg = heading;
            r.waypoints[i].line = lineNo;
        }
        r.waypoints[last].lineEnd = true;
        if (k < plan.legs.size()) {
            const std::vector<PlanPt>& pts = plan.legs[k].points;
            for (std::size_t i = 1; i + 1 < pts.size(); ++i) {
                RouteWaypoint b = At(s, pts[i], o);
                b.line = lineNo;
                b.headingDeg = heading;
                r.waypoints.push_back(b);
            }
        }
    }
    return r;
}

Route RouteOfMission(const std::vector<TlitchRec>& recs, const GridRouteOptions& o) {
    Route r;
    for (const TlitchRec& rec : recs) {
        RouteWaypoint w;
        w.lat = rec.latitude;
        w.lon = rec.longitude;
        w.heightM = rec.altitude != 0 ? rec.altitude : o.heightM;
        w.speedMps = rec.speed > 0 ? rec.speed : o.speedMps;
        double h = std::fmod(static_cast<double>(rec.heading), 360.0);
        if (h > 180)
            h -= 360;
        if (h < -180)
            h += 360;
        w.headingDeg = h;
        w.towardPoi = rec.poi_latitude != 0 || rec.poi_longitude != 0;
        w.poiLat = rec.poi_latitude;
        w.poiLon = rec.poi_longitude;
        w.gimbalPitchDeg = rec.gimbalpitchangle;
        for (const TlitchAction& a : rec.Actions)
            if (a.actiontype == 1) // Litchi's "take photo"
                w.photo = true;
        if (!r.waypoints.empty() && RouteStep(r.waypoints.back(), w) < 0.01) {
            w.photo = w.photo || r.waypoints.back().photo;
            r.waypoints.back() = w;
            continue;
        }
        r.waypoints.push_back(w);
    }
    return r;
}

} // namespace korvale
