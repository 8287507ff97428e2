// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/wpml_step.h"

#include <algorithm>
#include <cctype>

#include "dji/drone_model.h"
#include "dji/route.h"
#include "dji/terrain_route.h"
#include "dji/wpml_check.h"
#include "dji/wpml_write.h"
#include "litchi/csv.h"
#include "litchi/limits.h"
#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"

namespace korvale {
namespace {

bool Given(const PlanOptions& o, const char* name) {
    return std::find(o.given.begin(), o.given.end(), name) != o.given.end();
}

bool EndsWithNoCase(const std::string& s, std::string_view tail) {
    if (s.size() < tail.size())
        return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}

} // namespace

std::optional<DroneProfile> ApplyDroneProfile(PlanOptions& o, const std::string& profilesPath) {
    if (o.droneKey.empty()) {
        if (!o.wpmlFile.empty())
            throw Error(ErrorKind::Refused, "--wpml braucht --drone: die Drohne bestimmt App, "
                                            "Grenzen und Kamera.\nHilfe: korvale-plan --help");
        return std::nullopt;
    }
    const std::vector<DroneProfile> all = LoadDroneProfiles(profilesPath);
    const DroneProfile d = FindDroneProfile(all, o.droneKey);
    const CameraValues c = CameraValuesOf(d);
    if (!Given(o, "focal"))
        o.focalMm = c.focalMm;
    if (!Given(o, "pixel"))
        o.pixelUm = c.pixelUm;
    if (!Given(o, "xpix"))
        o.pixelsX = c.pixelsX;
    if (!Given(o, "ypix"))
        o.pixelsY = c.pixelsY;
    return d;
}

std::string WpmlFileName(const std::string& path) {
    return EndsWithNoCase(path, ".kmz") ? path : path + ".kmz";
}

WpmlStep AddWpmlFiles(const PlanOptions& o, const DroneProfile& d, const State& s,
                      const FlightPlan& plan, const ParamPageModel& p, const TerrainInput& t,
                      std::vector<std::string>& paths, std::vector<std::string>& bytes) {
    GridRouteOptions ro;
    ro.heightM = p.NumberBoxH.Value();
    ro.speedMps = p.NumberBoxV.Value() / 3.6;
    ro.photoBaseM = p.NumberBoxA.Value();
    Route route = GridRoute(s, plan, d, ro);
    if (t.dem)
        RouteOverGround(route, s, *t.dem, t.settings);
    WpmlOptions wo;
    wo.reservePct = o.reservePct;
    if (o.haveTakeoff)
        wo.takeoff = TakeoffPos{o.takeoffLat, o.takeoffLon};
    WpmlMissionFiles f = MakeWpmlMission(WpmlFileName(o.wpmlFile), route, d, o.batteryMin, wo);
    paths.insert(paths.end(), f.names.begin(), f.names.end());
    for (std::string& b : f.bytes)
        bytes.push_back(std::move(b));
    return {f.warnings, f.names.size()};
}

int RunCheckCommand(const PlanOptions& o, const std::optional<DroneProfile>& d, std::ostream& out,
                    std::ostream& err) {
    std::string bytes;
    try {
        bytes = ReadFileBytes(o.checkFile);
    } catch (const Error& e) {
        err << "korvale-plan: " << e.what() << '\n';
        return 1;
    }
    if (EndsWithNoCase(o.checkFile, ".csv")) {
        std::vector<TlitchRec> recs;
        try {
            recs = ParseLitchiCsv(bytes);
        } catch (const Error& e) {
            err << "korvale-plan: " << e.what() << '\n';
            return 1;
        }
        MissionCheckOptions opt;
        opt.maxWaypoints = d ? std::min(d->maxWaypoints, 99) : 99;
        const MissionCheck c = CheckMission(recs, opt);
        for (const MissionFinding& f : c.hard)
            out << "Fehler: " << f.text << '\n';
        for (const MissionFinding& f : c.soft)
            out << "Warnung: " << f.text << '\n';
        out << Format("%s: %d Wegpunkte für Litchi, %s.\n",
                      {o.checkFile, recs.size(), c.hard.empty() ? "flugfähig" : "nicht flugfähig"});
        return c.hard.empty() ? 0 : 1;
    }
    const WpmlCheck c = CheckWpmlKmz(bytes, d ? &*d : nullptr);
    out << WpmlFindingsText(c);
    out << Format("%s: %d Wegpunkte für %s, %s.\n",
                  {o.checkFile, c.waypoints, c.app.empty() ? std::string("WPML") : c.app,
                   c.hard.empty() ? "flugfähig" : "nicht flugfähig"});
    return c.hard.empty() ? 0 : 1;
}

} // namespace korvale
