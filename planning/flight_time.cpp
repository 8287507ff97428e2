// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/flight_time.h"

#include <cmath>
#include <numbers>

#include "model/error.h"
#include "model/format.h"

namespace korvale {
namespace {

void Positive(double v, const char* what) {
    if (!(v > 0) || !std::isfinite(v))
        throw Error(ErrorKind::Refused,
                    Format("Flugzeitmodell: %s muss größer als 0 sein (eingestellt: %s).",
                           {what, FormatGeneral(v)}));
}

void NotNegative(double v, const char* what) {
    if (!(v >= 0) || !std::isfinite(v))
        throw Error(ErrorKind::Refused,
                    Format("Flugzeitmodell: %s darf nicht negativ sein (eingestellt: %s).",
                           {what, FormatGeneral(v)}));
}

// Change of direction at b between a->b and b->c, degrees 0..180; 0 where a step has no length
// (a repeated point does not turn the drone).
double TurnDeg(PlanPt a, PlanPt b, PlanPt c) {
    const double x1 = b.E - a.E, y1 = b.N - a.N;
    const double x2 = c.E - b.E, y2 = c.N - b.N;
    if ((x1 == 0 && y1 == 0) || (x2 == 0 && y2 == 0))
        return 0;
    return std::abs(std::atan2(x1 * y2 - y1 * x2, x1 * x2 + y1 * y2)) * 180.0 / std::numbers::pi;
}

} // namespace

void CheckFlightModel(const FlightModel& m) {
    Positive(m.climbMps, "die Steigrate (m/s)");
    Positive(m.descentMps, "die Sinkrate (m/s)");
    Positive(m.transitMps, "die Transfergeschwindigkeit (m/s)");
    Positive(m.accelMps2, "die Beschleunigung (m/s²)");
    NotNegative(m.stopTurnDeg, "der Haltewinkel (°)");
    NotNegative(m.hoverStopS, "die Haltezeit (s)");
    NotNegative(m.photoStopS, "die Fotohaltezeit (s)");
}

double RunTimeS(double lengthM, double speedMps, double accelMps2) {
    if (!(lengthM > 0))
        return 0;
    // Speeding up to v and braking from it takes v²/a of way; a shorter run never reaches v.
    const double ramp = speedMps * speedMps / accelMps2;
    if (lengthM >= ramp)
        return lengthM / speedMps + speedMps / accelMps2;
    return 2.0 * std::sqrt(lengthM / accelMps2);
}

TimedWay::TimedWay(const ModelWay& w, const FlightModel& m)
    : m_(m), heightM_(w.heightM), speedMps_(w.speedMps) {
    CheckFlightModel(m);
    Positive(w.speedMps, "die Geschwindigkeit der Mission (m/s)");
    NotNegative(w.heightM, "die Flughöhe (m)");
    const std::size_t n = w.points.size();
    if (!w.photo.empty() && w.photo.size() != n)
        throw Error(ErrorKind::Internal, "Wegpunkte und Bilder des Flugzeitmodells passen nicht.");
    const PlanPt home = w.takeoff ? *w.takeoff : (n > 0 ? w.points.front() : PlanPt{});
    dist_.resize(n);
    home_.resize(n);
    stand_.resize(n);
    stopPosFrom_.resize(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        const PlanPt p = w.points[i];
        dist_[i] =
            i == 0 ? 0
                   : dist_[i - 1] + std::hypot(p.E - w.points[i - 1].E, p.N - w.points[i - 1].N);
        home_[i] = std::hypot(p.E - home.E, p.N - home.N);
        const bool photo = !w.photo.empty() && w.photo[i];
        const bool photoStop = photo && m.stopsAtPhotos;
        stand_[i] = m.hoverStopS + (photoStop ? m.photoStopS : 0);
        const bool turns =
            i > 0 && i + 1 < n && TurnDeg(w.points[i - 1], p, w.points[i + 1]) > m.stopTurnDeg;
        if (photoStop || turns)
            stopIdx_.push_back(i);
    }
    runPrefix_.assign(stopIdx_.size() + 1, 0);
    standPrefix_.assign(stopIdx_.size() + 1, 0);
    for (std::size_t k = 0; k < stopIdx_.size(); ++k) {
        runPrefix_[k + 1] =
            runPrefix_[k] +
            (k + 1 < stopIdx_.size()
                 ? RunTimeS(dist_[stopIdx_[k + 1]] - dist_[stopIdx_[k]], speedMps_, m_.accelMps2)
                 : 0);
        standPrefix_[k + 1] = standPrefix_[k] + stand_[stopIdx_[k]];
    }
    std::size_t pos = 0;
    for (std::size_t i = 0; i <= n; ++i) {
        while (pos < stopIdx_.size() && stopIdx_[pos] < i)
            ++pos;
        stopPosFrom_[i] = pos;
    }
}

FlightTime TimedWay::Range(std::size_t first, std::size_t last) const {
    if (first > last || last >= size())
        throw Error(ErrorKind::Internal, "Bereich außerhalb des Weges im Flugzeitmodell.");
    FlightTime t;
    t.climbS = heightM_ / m_.climbMps;
    t.descentS = heightM_ / m_.descentMps;
    t.transitM = home_[first] + home_[last];
    t.transitS = RunTimeS(home_[first], m_.transitMps, m_.accelMps2) +
                 RunTimeS(home_[last], m_.transitMps, m_.accelMps2);
    t.pathM = dist_[last] - dist_[first];
    if (first == last) {
        t.stopS = stand_[first];
        t.stops = 1;
        return t;
    }
    // The stops strictly inside the range: list positions [a, b).
    const std::size_t a = stopPosFrom_[first + 1];
    const std::size_t b = stopPosFrom_[last];
    t.stopS = stand_[first] + stand_[last];
    t.stops = 2;
    if (a >= b) {
        t.missionS = RunTimeS(t.pathM, speedMps_, m_.accelMps2);
        return t;
    }
    const double lead = dist_[stopIdx_[a]] - dist_[first];
    const double tail = dist_[last] - dist_[stopIdx_[b - 1]];
    t.missionS = RunTimeS(lead, speedMps_, m_.accelMps2) + (runPrefix_[b - 1] - runPrefix_[a]) +
                 RunTimeS(tail, speedMps_, m_.accelMps2);
    t.stopS += standPrefix_[b] - standPrefix_[a];
    t.stops += b - a;
    return t;
}

FlightTime ModelFlightTime(const ModelWay& w, const FlightModel& m) {
    if (w.points.empty())
        return {};
    const TimedWay way(w, m);
    return way.Range(0, way.size() - 1);
}

PlanWay PlanModelWay(const FlightPlan& plan, bool photoWaypoints, double heightM, double speedMps,
                     std::optional<PlanPt> takeoff) {
    PlanWay out;
    out.way.heightM = heightM;
    out.way.speedMps = speedMps;
    out.way.takeoff = takeoff;
    auto add = [&out](PlanPt p, bool photo, int line) {
        out.way.points.push_back(p);
        out.way.photo.push_back(photo);
        out.lineOf.push_back(line);
        out.lineEnd.push_back(false);
    };
    for (std::size_t k = 0; k < plan.lines.size(); ++k) {
        const FlightLine& line = plan.lines[k];
        const int no = static_cast<int>(k);
        const std::size_t first = out.way.points.size();
        if (!photoWaypoints) {
            add(line.start, false, no);
            add(line.end, false, no);
        } else {
            // As the route of such an app: every picture a waypoint, the drawing's end picture
            // too, and the line's end where it holds a single picture.
            for (std::size_t i = 0; i < line.pictureCount; ++i)
                add(plan.pictures[line.firstPicture + i].at, true, no);
            if (line.endPicture)
                add(line.endPictureAt, true, no);
            if (out.way.points.size() - first < 2)
                add(line.end, false, no);
        }
        out.lineEnd.back() = true;
        if (k < plan.legs.size()) {
            const std::vector<PlanPt>& pts = plan.legs[k].points;
            for (std::size_t i = 1; i + 1 < pts.size(); ++i)
                add(pts[i], false, no);
        }
    }
    return out;
}

} // namespace korvale
