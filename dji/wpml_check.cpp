// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dji/wpml_check.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "dji/wpml_read.h"
#include "model/error.h"
#include "model/format.h"

namespace korvale {
namespace {

// DJI Fly writes this drone value for every consumer drone; its rules apply to such files.
constexpr long long kDjiFlyDrone = 68;
constexpr double kWpmlMaxSpeed = 15;        // the range of autoFlightSpeed and waypointSpeed
constexpr double kMaxRelativeHeight = 1500; // the range of executeHeight above the take-off

struct Checker {
    WpmlCheck out;
    void Add(FindingSeverity sev, long long wp, const char* rule, const std::string& text) {
        WpmlFinding f{sev, wp, rule, {}};
        f.text = wp >= 0 ? Format("Wegpunkt %d: %s [%s]", {wp, text, rule})
                         : Format("%s [%s]", {text, rule});
        (sev == FindingSeverity::Hard ? out.hard : out.soft).push_back(std::move(f));
    }
    void Hard(long long wp, const char* rule, const std::string& text) {
        Add(FindingSeverity::Hard, wp, rule, text);
    }
    void Soft(long long wp, const char* rule, const std::string& text) {
        Add(FindingSeverity::Soft, wp, rule, text);
    }
};

bool WpmlNamespace(const std::string& ns) {
    return ns.rfind("http://www.dji.com/wpmz/1.0.", 0) == 0;
}

void CheckDoc(Checker& c, const WpmlReadDoc& d, const char* file) {
    if (!WpmlNamespace(d.ns))
        c.Hard(-1, "namespace",
               Format("%s: xmlns:wpml '%s' ist kein WPML-Namensraum.", {file, d.ns.substr(0, 60)}));
    if (!d.hasDocument)
        c.Hard(-1, "required", Format("%s: Document fehlt.", {file}));
    else if (!d.hasMissionConfig)
        c.Hard(-1, "required", Format("%s: wpml:missionConfig fehlt.", {file}));
    else
        for (const std::string& m : d.missingConfig)
            c.Hard(-1, "required", Format("%s: wpml:%s fehlt in missionConfig.", {file, m}));
    for (const std::string& u : d.unknown)
        c.Soft(-1, "unknown", Format("%s: unbekanntes Element wpml:%s.", {file, u}));
    for (const std::string& b : d.badNumbers)
        c.Hard(-1, "number", Format("%s: %s ist keine gültige Zahl.", {file, b}));
}

// Indices 0..n-1 in order, unique group ids per folder, unique action ids per group, group
// ranges inside the folder.
void CheckIds(Checker& c, const WpmlReadFolder& f, const char* file) {
    std::map<long long, std::size_t> groups; // id -> the first waypoint that has it
    std::set<long long> reported;
    for (std::size_t i = 0; i < f.points.size(); ++i) {
        const WpmlReadPoint& p = f.points[i];
        const long long wp = p.index.value_or(static_cast<long long>(i));
        if (!p.index)
            c.Hard(static_cast<long long>(i), "required", Format("%s: wpml:index fehlt.", {file}));
        else if (*p.index != static_cast<long long>(i))
            c.Hard(wp, "index",
                   Format("%s: Index %d an Stelle %d; die Wegpunkte müssen von 0 an lückenlos "
                          "gezählt sein.",
                          {file, *p.index, i}));
        for (const WpmlReadGroup& g : p.groups) {
            if (!g.id) {
                c.Hard(wp, "required", Format("%s: wpml:actionGroupId fehlt.", {file}));
            } else if (const auto [at, fresh] = groups.emplace(*g.id, i); !fresh) {
                // On one waypoint the app cannot tell two groups apart; script-made files
                // that count every waypoint's group from 0 again are flown all the same.
                if (at->second == i)
                    c.Hard(wp, "duplicate-id",
                           Format("%s: Aktionsgruppe %d kommt an diesem Wegpunkt mehrfach vor.",
                                  {file, *g.id}));
                else if (reported.insert(*g.id).second)
                    c.Soft(wp, "duplicate-id",
                           Format("%s: Aktionsgruppe %d kommt mehrfach vor; das Format verlangt "
                                  "eindeutige Nummern.",
                                  {file, *g.id}));
            }
            if (!g.start || !g.end || *g.start < 0 || *g.end < *g.start ||
                *g.end >= static_cast<long long>(f.points.size()))
                c.Hard(wp, "group-range",
                       Format("%s: Aktionsgruppe ohne gültigen Bereich von Wegpunkten.", {file}));
            std::set<long long> actions;
            for (const WpmlReadAction& a : g.actions) {
                if (!a.id)
                    c.Hard(wp, "required", Format("%s: wpml:actionId fehlt.", {file}));
                else if (!actions.insert(*a.id).second)
                    c.Hard(
                        wp, "duplicate-id",
                        Format("%s: Aktion %d kommt in einer Gruppe mehrfach vor.", {file, *a.id}));
            }
        }
    }
}

double Distance(const WpmlReadPoint& a, const WpmlReadPoint& b) {
    return WaypointDistance(*a.lat, *a.lon, *b.lat, *b.lon);
}

bool HasPhoto(const WpmlReadPoint& p) {
    for (const WpmlReadGroup& g : p.groups)
        for (const WpmlReadAction& a : g.actions)
            if (a.func == "takePhoto" && g.trigger == "reachPoint")
                return true;
    return false;
}

void CheckWaylines(Checker& c, const WpmlReadDoc& w, const DroneProfile* profile, bool fly) {
    if (w.folders.empty()) {
        c.Hard(-1, "required", "waylines.wpml: kein Folder mit Wegpunkten.");
        return;
    }
    const double cap = profile ? profile->speedCapMps : kWpmlMaxSpeed;
    const std::string who = profile ? profile->name : std::string("WPML");
    const MissionLimit& leg = MissionLimitOf("leg");
    for (const WpmlReadFolder& f : w.folders) {
        if (!f.hasTemplateId || !f.hasWaylineId)
            c.Hard(-1, "required", "waylines.wpml: wpml:templateId oder wpml:waylineId fehlt.");
        if (f.heightMode.empty())
            c.Hard(-1, "required", "waylines.wpml: wpml:executeHeightMode fehlt.");
        if (f.autoSpeed && *f.autoSpeed > cap)
            c.Hard(-1, "speed",
                   Format("Geschwindigkeit %s m/s über der Grenze von %s (%s m/s).",
                          {FormatGeneral(*f.autoSpeed), who, FormatGeneral(cap)}));
        CheckIds(c, f, "waylines.wpml");
        c.out.waypoints += f.points.size();
        const std::size_t max =
            profile ? static_cast<std::size_t>(profile->maxWaypoints) : (fly ? 99u : 65535u);
        if (f.points.size() > max)
            c.Hard(
                -1, "waypoints",
                Format("%d Wegpunkte, mehr als %s zuverlässig fliegt (%d).",
                       {f.points.size(), profile ? profile->name : std::string("die App"), max}));
        if (f.points.size() < 2)
            c.Hard(-1, "waypoints", "Eine Route braucht mindestens 2 Wegpunkte.");
        // Pictures too fast for the camera: one warning for the route, at its first place.
        std::size_t fastPhotos = 0;
        long long fastAt = -1;
        double fastS = 0;
        for (std::size_t i = 0; i < f.points.size(); ++i) {
            const WpmlReadPoint& p = f.points[i];
            const long long wp = p.index.value_or(static_cast<long long>(i));
            if (!p.lat || !p.lon || std::abs(*p.lat) > 90 || std::abs(*p.lon) > 180)
                c.Hard(wp, "coordinates", "keine gültige Position (Point/coordinates).");
            if (!p.height)
                c.Hard(wp, "required", "wpml:executeHeight fehlt.");
            else if (f.heightMode == "relativeToStartPoint" &&
                     std::abs(*p.height) > kMaxRelativeHeight)
                c.Hard(wp, "height",
                       Format("Höhe %s m über dem Start außerhalb von ±%s m.",
                              {FormatGeneral(*p.height), FormatGeneral(kMaxRelativeHeight)}));
            if (!p.speed)
                c.Hard(wp, "required", "wpml:waypointSpeed fehlt.");
            else if (*p.speed > cap)
                c.Hard(wp, "speed",
                       Format("Geschwindigkeit %s m/s über der Grenze von %s (%s m/s); die App "
                              "würde sie stillschweigend ersetzen.",
                              {FormatGeneral(*p.speed), who, FormatGeneral(cap)}));
            if (!p.hasHeading)
                c.Soft(wp, "heading", "wpml:waypointHeadingParam fehlt.");
            const bool fires = profile ? profile->firesDistanceTriggers : !fly;
            for (const WpmlReadGroup& g : p.groups) {
                const bool timed = g.trigger == "multipleDistance" || g.trigger == "multipleTiming";
                bool photo = false;
                for (const WpmlReadAction& a : g.actions)
                    photo = photo || a.func == "takePhoto";
                if (timed && !fires)
                    c.Hard(
                        wp, "trigger",
                        Format("Auslöser %s wird von %s nie ausgelöst: %s.",
                               {g.trigger,
                                profile ? std::string(FlightAppName(profile->app))
                                        : std::string("DJI Fly"),
                                photo ? "es entstehen keine Bilder" : "die Aktionen entfallen"}));
            }
            // Pictures closer in time than the camera can take them are silently skipped.
            if (profile && p.speed && *p.speed > 0) {
                for (const WpmlReadGroup& g : p.groups) {
                    bool photo = false;
                    for (const WpmlReadAction& a : g.actions)
                        photo = photo || a.func == "takePhoto";
                    double gap = 0;
                    if (photo && g.trigger == "multipleDistance")
                        gap = g.param.value_or(0);
                    else if (photo && g.trigger == "reachPoint" && i + 1 < f.points.size() &&
                             HasPhoto(f.points[i + 1]) && f.points[i + 1].lat && p.lat)
                        gap = Distance(p, f.points[i + 1]);
                    const double s = gap / *p.speed;
                    if (gap > 0 && s < profile->camera.minPhotoIntervalS) {
                        if (fastPhotos++ == 0) {
                            fastAt = wp;
                            fastS = s;
                        }
                        fastS = std::min(fastS, s);
                    }
                }
            }
            if (i > 0 && p.lat && p.lon && f.points[i - 1].lat && f.points[i - 1].lon) {
                const double d = Distance(f.points[i - 1], p);
                if (d > leg.max)
                    c.Hard(wp, "leg",
                           Format("Abstand zum vorigen Wegpunkt %.1f m, mehr als %s m.",
                                  {d, FormatGeneral(leg.max)}));
                else if (d < leg.min)
                    c.Soft(wp, "leg",
                           Format("Abstand zum vorigen Wegpunkt %.2f m, weniger als %s m.",
                                  {d, FormatGeneral(leg.min)}));
            }
        }
        if (fastPhotos > 0)
            c.Soft(fastAt, "photo-interval",
                   Format("Bilder bis zu alle %.1f s (an %d Wegpunkten), die Kamera braucht "
                          "%s s; Bilder fallen aus. Langsamer fliegen.",
                          {fastS, fastPhotos, FormatGeneral(profile->camera.minPhotoIntervalS)}));
    }
}

// Template and waylines must describe the same route: an app that rebuilds the route from the
// template otherwise flies other heights than the pilot checked.
void CheckAgreement(Checker& c, const WpmlReadDoc& t, const WpmlReadDoc& w) {
    if (t.ns != w.ns)
        c.Hard(-1, "namespace",
               "template.kml und waylines.wpml haben verschiedene WPML-Namensräume.");
    if (t.folders.empty() || w.folders.empty()) {
        c.Soft(-1, "template", "template.kml enthält keine Route; die App zeigt sie nicht an.");
        return;
    }
    const WpmlReadFolder& tf = t.folders.front();
    const WpmlReadFolder& wf = w.folders.front();
    if (tf.templateType != "waypoint" || t.folders.size() != 1 || w.folders.size() != 1)
        return; // a survey template (mapping2d/3d) holds an area, not the waypoints
    if (tf.points.size() != wf.points.size()) {
        c.Hard(-1, "waypoint-mismatch",
               Format("template.kml hat %d Wegpunkte, waylines.wpml %d.",
                      {tf.points.size(), wf.points.size()}));
        return;
    }
    const bool sameMode = tf.heightMode == wf.heightMode;
    if (!sameMode)
        c.Soft(-1, "height-mode",
               Format("Höhenbezug der Vorlage (%s) und der Route (%s) verschieden; Höhen nicht "
                      "verglichen.",
                      {tf.heightMode, wf.heightMode}));
    for (std::size_t i = 0; i < tf.points.size(); ++i) {
        const WpmlReadPoint& a = tf.points[i];
        const WpmlReadPoint& b = wf.points[i];
        const long long wp = b.index.value_or(static_cast<long long>(i));
        if (a.lat && a.lon && b.lat && b.lon &&
            (std::abs(*a.lat - *b.lat) > 1e-7 || std::abs(*a.lon - *b.lon) > 1e-7))
            c.Hard(wp, "position-mismatch",
                   "Position in template.kml und waylines.wpml verschieden.");
        const std::optional<double> th = a.useGlobalHeight ? tf.globalHeight : a.height;
        if (sameMode && th && b.height && std::abs(*th - *b.height) > 0.01)
            c.Hard(wp, "height-mismatch",
                   Format("Höhe %s m in template.kml, %s m in waylines.wpml; die App kann die "
                          "Route aus der Vorlage neu bauen und in falscher Höhe fliegen.",
                          {FormatGeneral(*th), FormatGeneral(*b.height)}));
    }
}

} // namespace

WpmlCheck CheckWpmlKmz(std::string_view bytes, const DroneProfile* profile) {
    Checker c;
    try {
        const WpmlReadKmz kmz = ReadWpmlKmz(bytes);
        for (const std::string& e : kmz.entries)
            if (e != "wpmz/template.kml" && e != "wpmz/waylines.wpml" &&
                e.rfind("wpmz/res/", 0) != 0 && e != "wpmz/" && e != "wpmz/res")
                c.Soft(-1, "entries", "unerwarteter Eintrag " + e.substr(0, 80) + ".");
        if (!kmz.waylinesWpml) {
            c.Hard(-1, "entries", "wpmz/waylines.wpml fehlt in der KMZ-Datei.");
            return c.out;
        }
        const WpmlReadDoc w = ReadWpmlXml(*kmz.waylinesWpml, true);
        const bool fly = w.droneEnum && *w.droneEnum == kDjiFlyDrone;
        c.out.app =
            profile ? std::string(FlightAppName(profile->app)) : (fly ? "DJI Fly" : "DJI Pilot 2");
        CheckDoc(c, w, "waylines.wpml");
        if (profile && !profile->wpmlNamespace.empty() && w.ns != profile->wpmlNamespace) {
            const std::string text =
                Format("Namensraum %s, %s erwartet %s.",
                       {w.ns.substr(0, 60), FlightAppName(profile->app), profile->wpmlNamespace});
            if (profile->app == FlightApp::DjiFly)
                c.Hard(-1, "namespace", text);
            else
                c.Soft(-1, "namespace", text);
        }
        CheckWaylines(c, w, profile, profile ? profile->app == FlightApp::DjiFly : fly);
        if (!kmz.templateKml) {
            c.Hard(-1, "entries",
                   "wpmz/template.kml fehlt in der KMZ-Datei; die App lehnt den "
                   "Import ab.");
            return c.out;
        }
        const WpmlReadDoc t = ReadWpmlXml(*kmz.templateKml, false);
        CheckDoc(c, t, "template.kml");
        CheckAgreement(c, t, w);
    } catch (const Error& e) {
        c.Hard(-1, "file", e.what());
    }
    return c.out;
}

std::string WpmlFindingsText(const WpmlCheck& c) {
    std::string out;
    for (const WpmlFinding& f : c.hard)
        out += "Fehler: " + f.text + "\n";
    for (const WpmlFinding& f : c.soft)
        out += "Warnung: " + f.text + "\n";
    return out;
}

} // namespace korvale
