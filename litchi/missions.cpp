// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "litchi/missions.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "litchi/limits.h"
#include "litchi/split.h"
#include "model/error.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "planning/flyable.h"
#include "planning/plan.h"

namespace korvale {

namespace {

bool IsIndex(int i, std::size_t size) {
    return i >= 0 && static_cast<std::size_t>(i) < size;
}

// Latitude and longitude of a ground position into the waypoint's position fields.
void SetPosition(TlitchRec& r, const State& s, double north, double east) {
    const GeoResult g = ProjectUtmToGeo(s, north, east);
    r.latitude = static_cast<float>(g.B);
    r.longitude = static_cast<float>(g.L);
}

void SetPoi(TlitchRec& r, const State& s, int pointIndex) {
    const int k = FindNearestPOI(s, pointIndex);
    if (k < 0) {
        return;
    }
    const TPt& poi = s.Points[static_cast<std::size_t>(k)];
    const GeoResult g = ProjectUtmToGeo(s, poi.N, poi.E);
    r.poi_latitude = static_cast<float>(g.B);
    r.poi_longitude = static_cast<float>(g.L);
}

// Whole seconds of the picture interval, cut toward zero; the box only holds whole numbers
// within its range, the guard keeps the conversion defined for anything else.
std::int32_t CutToInt(double v) {
    if (!(std::fabs(v) < 2147483647.0)) {
        return 0;
    }
    return static_cast<std::int32_t>(std::trunc(v));
}

} // namespace

void MakeLitchiLines(State& s, const ParamPageModel& p, LitchiPageModel& m, Overlay& o) {
    // The mission flies the plan: both ends of every line in flight order, and between them
    // the corners of a leg that bends around a notch, so the drone stays inside the area.
    // The pictures are taken by the interval, so the photo base does not matter here.
    // A speed beyond the drone's would only give a mission that every check refuses: it is
    // refused here, before the mission changes.
    if (const auto beyond = LimitViolation("speed", p.NumberBoxV.Value() / 3.6))
        throw Error(ErrorKind::Refused, "Litchi RasterL: " + *beyond +
                                            "\nBitte auf der Seite \"Korvale\" bei "
                                            "\"v km/h\" höchstens " +
                                            Format("%.0f", {MissionLimitOf("speed").max * 3.6}) +
                                            " km/h eingeben.");
    if (const std::string why = GridMissionUnflyable(s, p); !why.empty())
        throw Error(ErrorKind::Refused, "Litchi RasterL: Der Plan ist nicht fliegbar; die "
                                        "Mission bleibt, wie sie war.\n" +
                                            why);
    GridWay way = GridMissionWay(s);
    s.LitchiRecs.clear();
    for (const PlanPt& at : way.points) {
        TlitchRec r{};
        SetPosition(r, s, at.N, at.E);
        r.altitude = static_cast<float>(p.NumberBoxH.Value());
        r.speed = static_cast<float>(p.NumberBoxV.Value() / 3.6);
        r.photo_timeinterval = CutToInt(p.NumberBoxFrameS.Value());
        if (m.CheckBoxNadir) {
            // Interpolating between equal pitches holds the camera straight down all the way.
            r.gimbalmode = 2;
            r.gimbalpitchangle = -90;
        }
        s.LitchiRecs.push_back(r);
    }
    s.LitchiLineOf = std::move(way.lineOf);
    s.LitchiLineEnd.clear();
    SetActrecMax(s, m, static_cast<int>(s.LitchiRecs.size()) - 1);
    DisplayLitchiRecs(s, m, o);
}

std::string GridMissionUnflyable(const State& s, const ParamPageModel& p) {
    const std::vector<PlanPt> ring = BorderRing(s);
    const std::size_t lines = StateLines(s).size();
    if (ring.size() < 3)
        return lines > 0 ? std::string()
                         : "Es gibt weder ein Gebiet noch Fluglinien: bitte zuerst die Grenze "
                           "festlegen und \"Calc Raster\" drücken.";
    // Only the number of strips decides beside the ring, so the pictures are not laid out.
    FlightPlan counted;
    counted.totals.strips = lines > 0 ? lines : 1;
    const double B = p.NumberBoxB.Value();
    if (std::string why = UnflyableReason(counted, ring, B); !why.empty())
        return why;
    // No lines over a ring that could hold them: the grid was not computed since the area or
    // a planning value changed, or the area is narrower than the spacing; planning tells.
    if (lines == 0)
        return Format("Keine Fluglinien: bitte \"Calc Raster\" drücken. Bleibt das Gebiet "
                      "ohne Streifen, ist es schmaler als der Streifenabstand (%.2f m).",
                      {B});
    return {};
}

int FindNearestPOI(const State& s, int n) {
    if (!IsIndex(n, s.Points.size())) {
        return -1;
    }
    const TPt& from = s.Points[static_cast<std::size_t>(n)];
    double best = 1e12;
    int result = -1;
    for (std::size_t j = 0; j < s.Points.size(); ++j) {
        const TPt& q = s.Points[j];
        if (q.Typ != KindPOI) {
            continue;
        }
        const double dx = static_cast<double>(q.xb) - from.xb;
        const double dy = static_cast<double>(q.yb) - from.yb;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < best) {
            best = d;
            result = static_cast<int>(j);
        }
    }
    return result;
}

void MakeFreeLitchiLines(State& s, LitchiPageModel& m) {
    std::vector<TlitchRec> recs;
    bool anySegment = false;
    for (const TLine& seg : s.FreeLines) {
        if (!IsIndex(seg[0], s.Points.size()) || !IsIndex(seg[1], s.Points.size())) {
            continue;
        }
        anySegment = true;
        const TPt& a = s.Points[static_cast<std::size_t>(seg[0])];
        const TPt& b = s.Points[static_cast<std::size_t>(seg[1])];

        TlitchRec start{};
        SetPosition(start, s, a.N, a.E);
        start.heading = static_cast<float>(AzDist(a, b).Az);
        SetPoi(start, s, seg[0]);
        recs.push_back(start);

        TlitchRec end{};
        SetPosition(end, s, b.N, b.E);
        SetPoi(end, s, seg[1]);
        recs.push_back(end);
    }
    // Without a free line there is nothing to turn into a mission: the current one stays.
    if (!anySegment) {
        return;
    }
    s.LitchiRecs = std::move(recs);
    s.LitchiLineOf.clear();
    SetActrecMax(s, m, static_cast<int>(s.LitchiRecs.size()) - 1);
}

} // namespace korvale
