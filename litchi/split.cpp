// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "litchi/split.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "georef/transform.h"
#include "litchi/csv.h"
#include "litchi/limits.h"
#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "planning/zones.h"

namespace korvale {

namespace {

void CheckOptions(const SplitOptions& o, bool needTime) {
    if (o.maxWaypoints < 2) {
        throw Error(ErrorKind::Refused,
                    Format("Eine Datei muss mindestens 2 Wegpunkte fassen dürfen (eingestellt: "
                           "%d).\nMax. Wegpunkte auf der Seite Litchi CSV erhöhen.",
                           {o.maxWaypoints}));
    }
    if (!needTime) {
        return;
    }
    if (!(o.batteryMin > 0) || !std::isfinite(o.batteryMin)) {
        throw Error(ErrorKind::Refused,
                    Format("Die Flugzeit je Akku muss größer als 0 min sein (eingestellt: %s).\n"
                           "Akku (min) auf der Seite Litchi CSV setzen.",
                           {o.batteryMin}));
    }
    if (!(o.reservePct >= 0 && o.reservePct <= MaxReservePct)) {
        throw Error(ErrorKind::Refused,
                    Format("Die Akkureserve muss zwischen 0 und %d %% liegen (eingestellt: "
                           "%s %%).\nReserve %% auf der Seite Litchi CSV setzen.",
                           {static_cast<int>(MaxReservePct), FormatGeneral(o.reservePct)}));
    }
    if (!(o.speedMps >= 0) || !std::isfinite(o.speedMps)) {
        throw Error(ErrorKind::Refused,
                    Format("Die Geschwindigkeit der Mission ist keine gültige Zahl (%s m/s).\n"
                           "v km/h auf der Seite Korvale setzen.",
                           {o.speedMps}));
    }
}

// The points of one flight line within a way: [begin, end), the line's own points first (its
// two ends, and over an elevation model the waypoints added between them), the bends of its
// leg after them.
struct LineSpan {
    std::size_t begin;
    std::size_t end;
    int line;
    // The line's last point of its own (without the bends of the leg after it), when marked.
    std::size_t lastOwn = 0;
    bool marked = false;
    // The line's last point of its own: a part that ends with this line ends here.
    std::size_t Last() const { return marked ? lastOwn : std::min(begin + 1, end - 1); }
};

// lineEnd, when given, marks each line's last point of its own; else a line has two.
std::vector<LineSpan> SpansOf(const std::vector<int>& lineOf,
                              const std::vector<bool>* lineEnd = nullptr) {
    std::vector<LineSpan> spans;
    for (std::size_t i = 0; i < lineOf.size(); ++i) {
        if (i > 0 && lineOf[i] < lineOf[i - 1]) {
            throw Error(ErrorKind::Internal,
                        "Die Flugstreifen der Mission stehen nicht in Flugreihenfolge.");
        }
        if (spans.empty() || spans.back().line != lineOf[i]) {
            spans.push_back({i, i + 1, lineOf[i], i, lineEnd != nullptr});
        } else {
            spans.back().end = i + 1;
        }
        if (lineEnd != nullptr && (*lineEnd)[i]) {
            spans.back().lastOwn = i;
        }
    }
    return spans;
}

double StepsBetween(const std::vector<double>& stepM, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) {
        sum += stepM[i];
    }
    return sum;
}

std::vector<double> StepsOf(const std::vector<TlitchRec>& recs) {
    std::vector<double> steps;
    for (std::size_t i = 0; i + 1 < recs.size(); ++i) {
        steps.push_back(WaypointDistance(recs[i].latitude, recs[i].longitude, recs[i + 1].latitude,
                                         recs[i + 1].longitude));
    }
    return steps;
}

MissionPart PartOf(const std::vector<TlitchRec>& recs, const WayRange& r,
                   const std::vector<double>& steps, const TimedWay* way, double batteryMin) {
    MissionPart p;
    const auto from = recs.begin() + static_cast<std::ptrdiff_t>(r.first);
    p.recs.assign(from, from + static_cast<std::ptrdiff_t>(r.count));
    p.firstWaypoint = r.first;
    p.firstLine = r.firstLine;
    p.lastLine = r.lastLine;
    p.lengthM = r.count > 0 ? StepsBetween(steps, r.first, r.first + r.count - 1) : 0;
    if (way != nullptr && r.count > 0) {
        p.time = way->Range(r.first, r.first + r.count - 1);
        p.timeMin = p.time.TotalMin();
        p.batteryShare = batteryMin > 0 ? p.timeMin / batteryMin : 0;
    }
    return p;
}

// A way known only by its steps, for the time model: laid out straight, every waypoint a stop
// and the take-off at the first waypoint, so that the transit to a later part is as long as the
// way to it. Without turns and distances to the take-off nothing shorter can be claimed.
TimedWay StepsWay(const std::vector<double>& stepM, const SplitOptions& o) {
    ModelWay w;
    w.heightM = o.heightM;
    w.speedMps = o.speedMps;
    double x = 0;
    w.points.push_back({0, 0});
    for (double step : stepM) {
        x += step;
        w.points.push_back({x, 0});
    }
    w.photo.assign(w.points.size(), true);
    FlightModel m = o.model;
    m.stopsAtPhotos = true;
    m.photoStopS = 0;
    return TimedWay(w, m);
}

// Cuts the spans into ranges; `minutes(first, last)` is the modelled flight of the waypoints
// [first, last], `length(first, last)` their way; a null `minutes` cuts by count alone.
template <class Minutes, class Length>
std::vector<WayRange> CutSpans(const std::vector<LineSpan>& spans, const SplitOptions& o,
                               const Minutes* minutes, const Length& length) {
    const auto maxCount = static_cast<std::size_t>(o.maxWaypoints);
    const double usable = o.UsableMin();
    auto fits = [&](std::size_t first, std::size_t last) {
        return last - first + 1 <= maxCount &&
               (minutes == nullptr || (*minutes)(first, last) <= usable);
    };
    std::vector<WayRange> ranges;
    std::size_t k = 0;
    while (k < spans.size()) {
        const LineSpan& first = spans[k];
        // A line of two points only can be too long for a battery; a line with a waypoint at
        // every picture can also hold more waypoints than a file may.
        if (first.Last() - first.begin + 1 > maxCount) {
            throw Error(ErrorKind::Limit,
                        Format("Flugstreifen %d braucht allein %d Wegpunkte, mehr als eine "
                               "Datei halten darf (%d).\nDas Gebiet teilen oder den Bildabstand "
                               "vergrößern; ein Flugstreifen wird nicht zerschnitten.",
                               {first.line + 1, first.Last() - first.begin + 1, maxCount}));
        }
        if (minutes != nullptr && !fits(first.begin, first.Last())) {
            throw Error(
                ErrorKind::Limit,
                Format("Flugstreifen %d braucht allein %.1f min Flug (mit Start, An- und Rückflug "
                       "und Landung), mehr als ein Akku mit %d %% Reserve hergibt (%.1f von %s "
                       "min).\nAkku (min) auf der Seite Litchi CSV erhöhen, schneller fliegen "
                       "oder das Gebiet teilen; ein Flugstreifen wird nicht zerschnitten.",
                       {first.line + 1, (*minutes)(first.begin, first.Last()),
                        static_cast<int>(std::lround(o.reservePct)), usable, o.batteryMin}));
        }
        std::size_t last = k;
        while (last + 1 < spans.size() && fits(first.begin, spans[last + 1].Last()))
            ++last;
        ranges.push_back({first.begin, spans[last].Last() - first.begin + 1, first.line,
                          spans[last].line, length(first.begin, spans[last].Last())});
        k = last + 1;
    }
    return ranges;
}

} // namespace

GridWay GridMissionWay(const State& s) {
    const std::vector<PlannedLine> lines = StateLines(s);
    const std::vector<FlightLeg> legs = PlanLegs(BorderRing(s), StateZones(s), lines);
    GridWay way;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const int line = static_cast<int>(k);
        way.points.push_back(lines[k].start);
        way.points.push_back(lines[k].end);
        way.lineOf.insert(way.lineOf.end(), 2, line);
        if (k < legs.size()) {
            for (std::size_t i = 1; i + 1 < legs[k].points.size(); ++i) {
                way.points.push_back(legs[k].points[i]);
                way.lineOf.push_back(line);
            }
        }
    }
    return way;
}

std::vector<WayRange> SplitWay(const std::vector<int>& lineOf, const std::vector<double>& stepM,
                               const SplitOptions& o, const std::vector<bool>& lineEnd) {
    return SplitWayMarked(lineOf, lineEnd, stepM, o);
}

std::vector<WayRange> SplitWayMarked(const std::vector<int>& lineOf,
                                     const std::vector<bool>& lineEnd,
                                     const std::vector<double>& stepM, const SplitOptions& o) {
    if (lineOf.empty()) {
        return {};
    }
    if (stepM.size() + 1 != lineOf.size() ||
        (!lineEnd.empty() && lineEnd.size() != lineOf.size())) {
        throw Error(ErrorKind::Internal, "Wegpunkte und Abstände der Mission passen nicht.");
    }
    CheckOptions(o, true);
    const std::vector<LineSpan> spans = SpansOf(lineOf, lineEnd.empty() ? nullptr : &lineEnd);
    auto length = [&stepM](std::size_t f, std::size_t l) { return StepsBetween(stepM, f, l); };
    // Without a speed (the app then flies at its own cruising speed) the time cannot be
    // known: only the count cuts.
    if (o.speedMps == 0) {
        return CutSpans<decltype(length)>(spans, o, nullptr, length);
    }
    const TimedWay way = StepsWay(stepM, o);
    auto minutes = [&way](std::size_t f, std::size_t l) { return way.Range(f, l).TotalMin(); };
    return CutSpans(spans, o, &minutes, length);
}

std::vector<WayRange> SplitWayTimed(const std::vector<int>& lineOf,
                                    const std::vector<bool>& lineEnd, const TimedWay& way,
                                    const SplitOptions& o) {
    if (lineOf.empty()) {
        return {};
    }
    if (way.size() != lineOf.size() || (!lineEnd.empty() && lineEnd.size() != lineOf.size())) {
        throw Error(ErrorKind::Internal, "Wegpunkte und Flugstreifen der Mission passen nicht.");
    }
    CheckOptions(o, true);
    const std::vector<LineSpan> spans = SpansOf(lineOf, lineEnd.empty() ? nullptr : &lineEnd);
    auto length = [&way](std::size_t f, std::size_t l) { return way.Range(f, l).pathM; };
    if (o.speedMps == 0) {
        return CutSpans<decltype(length)>(spans, o, nullptr, length);
    }
    auto minutes = [&way](std::size_t f, std::size_t l) { return way.Range(f, l).TotalMin(); };
    return CutSpans(spans, o, &minutes, length);
}

ModelWay ModelWayOfDegrees(const std::vector<double>& lat, const std::vector<double>& lon,
                           const std::vector<bool>& photo, const SplitOptions& o) {
    ModelWay w;
    w.heightM = o.heightM;
    w.speedMps = o.speedMps;
    w.photo = photo;
    if (lat.empty()) {
        return w;
    }
    const int L0 = CentralMeridianOfZone(UtmZoneForLongitude(lon.front()));
    auto plane = [L0](double B, double L) {
        const UtmResult u = GeoToUTM(L0, EllipsoidA, EllipsoidF, B, L);
        return PlanPt{u.Y, u.X};
    };
    for (std::size_t i = 0; i < lat.size() && i < lon.size(); ++i) {
        w.points.push_back(plane(lat[i], lon[i]));
    }
    if (o.takeoff) {
        w.takeoff = plane(o.takeoff->lat, o.takeoff->lon);
    }
    return w;
}

std::vector<MissionPart> SplitMission(const std::vector<TlitchRec>& recs,
                                      const std::vector<int>& lineOf, const SplitOptions& o,
                                      const std::vector<bool>& lineEnd) {
    const std::vector<double> steps = StepsOf(recs);
    // The time of every part comes from the model wherever there is a speed to fly at.
    std::optional<TimedWay> way;
    if (!recs.empty() && o.speedMps > 0 && std::isfinite(o.speedMps)) {
        CheckOptions(o, true);
        std::vector<double> lat, lon;
        std::vector<bool> photo;
        for (const TlitchRec& r : recs) {
            lat.push_back(r.latitude);
            lon.push_back(r.longitude);
            bool takes = false;
            for (const TlitchAction& act : r.Actions)
                takes = takes || act.actiontype == 1; // Litchi's "take photo"
            photo.push_back(takes);
        }
        way.emplace(ModelWayOfDegrees(lat, lon, photo, o), o.model);
    }
    const TimedWay* timed = way ? &*way : nullptr;
    std::vector<MissionPart> parts;
    if (!lineOf.empty()) {
        if (lineOf.size() != recs.size()) {
            throw Error(ErrorKind::Internal, "Jeder Wegpunkt braucht seinen Flugstreifen.");
        }
        const std::vector<WayRange> ranges = timed != nullptr
                                                 ? SplitWayTimed(lineOf, lineEnd, *timed, o)
                                                 : SplitWay(lineOf, steps, o, lineEnd);
        for (const WayRange& r : ranges) {
            WayRange measured = r;
            measured.lengthM = StepsBetween(steps, r.first, r.first + r.count - 1);
            parts.push_back(PartOf(recs, measured, steps, timed, o.batteryMin));
        }
        return parts;
    }
    CheckOptions(o, false);
    // Consecutive parts share a waypoint: the last of one is the first of the next, so the
    // leg between them is flown as well.
    const auto maxCount = static_cast<std::size_t>(o.maxWaypoints);
    std::size_t first = 0;
    while (true) {
        const std::size_t end = std::min(first + maxCount, recs.size());
        parts.push_back(PartOf(recs, {first, end - first, -1, -1, 0}, steps, timed, o.batteryMin));
        if (end >= recs.size()) {
            break;
        }
        first = end - 1;
    }
    return parts;
}

std::vector<int> MissionLinesOf(const State& s) {
    const std::vector<int>& lines = s.LitchiLineOf;
    if (lines.empty() || lines.size() != s.LitchiRecs.size() ||
        !std::is_sorted(lines.begin(), lines.end()) || lines.front() < 0) {
        return {};
    }
    return lines;
}

int BatteriesOfState(const State& s, const SplitOptions& o) {
    const GridWay way = GridMissionWay(s);
    if (way.points.empty()) {
        return 0;
    }
    if (o.speedMps > 0) {
        CheckOptions(o, true);
        ModelWay w;
        w.points = way.points;
        w.heightM = o.heightM;
        w.speedMps = o.speedMps;
        if (o.takeoff) {
            const UtmResult u = GeoToProjectUtm(s, o.takeoff->lat, o.takeoff->lon);
            w.takeoff = PlanPt{u.Y, u.X};
        }
        return static_cast<int>(SplitWayTimed(way.lineOf, {}, TimedWay(w, o.model), o).size());
    }
    std::vector<double> steps;
    for (std::size_t i = 0; i + 1 < way.points.size(); ++i) {
        steps.push_back(std::hypot(way.points[i + 1].E - way.points[i].E,
                                   way.points[i + 1].N - way.points[i].N));
    }
    return static_cast<int>(SplitWay(way.lineOf, steps, o).size());
}

PlanParts PlanPartsOf(const State& s, const FlightPlan& plan, bool photoWaypoints,
                      const SplitOptions& o) {
    std::optional<PlanPt> takeoff;
    if (o.takeoff) {
        const UtmResult u = GeoToProjectUtm(s, o.takeoff->lat, o.takeoff->lon);
        takeoff = PlanPt{u.Y, u.X};
    }
    PlanParts out;
    out.way = PlanModelWay(plan, photoWaypoints, o.heightM, o.speedMps, takeoff);
    if (out.way.way.points.empty() || !(o.speedMps > 0)) {
        return out;
    }
    CheckOptions(o, true);
    const TimedWay timed(out.way.way, o.model);
    out.ranges = SplitWayTimed(out.way.lineOf, out.way.lineEnd, timed, o);
    for (const WayRange& r : out.ranges) {
        out.times.push_back(timed.Range(r.first, r.first + r.count - 1));
        out.totalMin += out.times.back().TotalMin();
    }
    return out;
}

SplitOptions SplitOptionsOf(const ParamPageModel& p, const LitchiPageModel& m) {
    SplitOptions o;
    o.batteryMin = m.NumberBoxAkku.Value();
    o.maxWaypoints = static_cast<int>(m.NumberBoxMaxWP.Value());
    o.speedMps = p.NumberBoxV.Value() / 3.6;
    o.reservePct = m.NumberBoxReserve.Value();
    o.model = p.Drohne.model;
    o.heightM = p.NumberBoxH.Value();
    o.takeoff = p.Startpunkt;
    return o;
}

std::vector<MissionPart> MissionPartsOf(const State& s, const SplitOptions& o) {
    return SplitMission(s.LitchiRecs, MissionLinesOf(s), o, s.LitchiLineEnd);
}

namespace {

// No batteries and no modelled time: what the boxes show when nothing can be shared out.
void ZeroBatteryBoxes(ParamPageModel& p) {
    p.NumberBoxAkkus.SetValue(0);
    p.NumberBoxDateien.SetValue(0);
    p.NumberBoxFlugzeitModell.SetValue(0);
}

// The status text of a refused split: the message's first line.
std::string BatteryRefusal(const Error& e) {
    const std::string text = e.what();
    return "Akkus: " + text.substr(0, text.find('\n'));
}

} // namespace

std::string ShowBatteries(const State& s, ParamPageModel& p, const LitchiPageModel& m) {
    // Without a speed there is no flight time to share out; the parameter page already says
    // what a speed of 0 means.
    if (!(p.NumberBoxV.Value() > 0)) {
        ZeroBatteryBoxes(p);
        return {};
    }
    try {
        // Batteries count flight time alone; a file also ends at its number of waypoints, so
        // there may be more files than batteries.
        const SplitOptions o = SplitOptionsOf(p, m);
        SplitOptions timeOnly = o;
        timeOnly.maxWaypoints = 1000000000;
        if (!(p.NumberBoxA.Value() > 0) || s.CutPoints.empty()) {
            p.NumberBoxAkkus.SetValue(BatteriesOfState(s, timeOnly));
            p.NumberBoxDateien.SetValue(BatteriesOfState(s, o));
            p.NumberBoxFlugzeitModell.SetValue(0);
            return {};
        }
        return ShowBatteries(s, PlanOfState(s, p.NumberBoxA.Value(), p.NumberBoxV.Value()), p, m);
    } catch (const Error& e) {
        ZeroBatteryBoxes(p);
        return BatteryRefusal(e);
    }
}

std::string ShowBatteries(const State& s, const FlightPlan& plan, ParamPageModel& p,
                          const LitchiPageModel& m) {
    if (!(p.NumberBoxV.Value() > 0)) {
        ZeroBatteryBoxes(p);
        return {};
    }
    try {
        const SplitOptions o = SplitOptionsOf(p, m);
        SplitOptions timeOnly = o;
        timeOnly.maxWaypoints = 1000000000;
        // The plan flown as the drone's app flies the grid mission: with every picture a
        // waypoint where the app fires no distance trigger.
        const PlanParts batteries = PlanPartsOf(s, plan, p.Drohne.photoWaypoints, timeOnly);
        const PlanParts files = PlanPartsOf(s, plan, p.Drohne.photoWaypoints, o);
        p.NumberBoxAkkus.SetValue(static_cast<double>(batteries.ranges.size()));
        p.NumberBoxDateien.SetValue(static_cast<double>(files.ranges.size()));
        p.NumberBoxFlugzeitModell.SetValue(batteries.totalMin);
        return {};
    } catch (const Error& e) {
        ZeroBatteryBoxes(p);
        return BatteryRefusal(e);
    }
}

std::string MissionPartName(const std::string& path, std::size_t k) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    const std::string suffix = Format("_%d", {k});
    // A "." that starts the name (a hidden file) is no extension.
    if (dot == std::string::npos || dot <= nameStart) {
        return path + suffix;
    }
    return path.substr(0, dot) + suffix + path.substr(dot);
}

PartFiles MissionPartFiles(const std::string& path, const std::vector<MissionPart>& parts) {
    PartFiles f;
    if (parts.size() <= 1) {
        f.names.push_back(path);
        f.texts.push_back(
            FormatLitchiCsv(parts.empty() ? std::vector<TlitchRec>{} : parts[0].recs));
        return f;
    }
    for (std::size_t k = 0; k < parts.size(); ++k) {
        f.names.push_back(MissionPartName(path, k + 1));
        f.texts.push_back(FormatLitchiCsv(parts[k].recs));
    }
    return f;
}

std::vector<std::string> WriteMissionParts(const std::string& path,
                                           const std::vector<MissionPart>& parts) {
    const PartFiles f = MissionPartFiles(path, parts);
    std::vector<FileToWrite> files;
    for (std::size_t k = 0; k < f.names.size(); ++k) {
        files.push_back({f.names[k], f.texts[k]});
    }
    WriteFilesAtomic(files);
    return f.names;
}

std::vector<std::string> LeftoverPartNames(const std::string& path, std::size_t written) {
    std::vector<std::string> left;
    std::error_code ec;
    if (written > 1 && std::filesystem::exists(path, ec)) {
        left.push_back(path);
    }
    for (std::size_t k = written > 1 ? written + 1 : 1;; ++k) {
        const std::string name = MissionPartName(path, k);
        if (!std::filesystem::exists(name, ec)) {
            break;
        }
        left.push_back(name);
    }
    return left;
}

Argb PartColour(std::size_t k) {
    // Clear of the mission's yellow, the POI's cyan and the orbit's blue.
    static constexpr Argb kColours[] = {0xFFFF8C00, 0xFF32CD32, 0xFFFF4040,
                                        0xFFB060FF, 0xFF00BFFF, 0xFFFFFFFF};
    return kColours[k % std::size(kColours)];
}

void DrawMissionParts(const State& s, const std::vector<MissionPart>& parts, Overlay& o) {
    if (parts.size() < 2) {
        return;
    }
    auto imageOf = [&s](const TlitchRec& r) {
        const UtmResult u = GeoToProjectUtm(s, r.latitude, r.longitude);
        return Trafback(s, u.X, u.Y);
    };
    for (std::size_t k = 0; k < parts.size(); ++k) {
        const std::vector<TlitchRec>& recs = parts[k].recs;
        if (recs.empty()) {
            continue;
        }
        const Argb c = PartColour(k);
        ImagePos a = imageOf(recs[0]);
        const ImagePos start = a;
        o.Disc(c, a.xb, a.yb, 5);
        for (std::size_t i = 1; i < recs.size(); ++i) {
            const ImagePos b = imageOf(recs[i]);
            o.Line(c, a.xb, a.yb, b.xb, b.yb);
            o.Disc(c, b.xb, b.yb, 5);
            a = b;
        }
        // The part's start: a ring and its number, so the pilot sees where each battery
        // begins.
        o.Circle(c, start.xb, start.yb, 10);
        o.Label(c, start.xb, start.yb - 10, start.xb + 30, start.yb + 10, Format("%d", {k + 1}));
    }
}

} // namespace korvale
