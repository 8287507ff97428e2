// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/plan_command.h"

#include <cmath>
#include <new>

#include "cli/coverage_step.h"
#include "cli/flight_step.h"
#include "cli/options.h"
#include "cli/terrain_step.h"
#include "cli/wpml_step.h"
#include "cli/zones_step.h"
#include "dji/profiles.h"
#include "exchange/area.h"
#include "exchange/area_place.h"
#include "exchange/plan_export.h"
#include "export/dxf.h"
#include "litchi/csv.h"
#include "litchi/editor.h"
#include "litchi/missions.h"
#include "litchi/split.h"
#include "litchi/write_check.h"
#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "model/overlay.h"
#include "planning/angle.h"
#include "planning/border.h"
#include "planning/crosshatch.h"
#include "planning/flyable.h"
#include "planning/grid.h"
#include "planning/params.h"
#include "planning/path.h"
#include "planning/plan.h"
#include "planning/zones.h"

namespace korvale {
namespace {

// The page values the window would hold for these options; Rechnen derives the rest exactly
// as the window does, so both plan the same.
ParamPageModel PageOf(const PlanOptions& o) {
    ParamPageModel p;
    p.EditF = FormatGeneral(o.focalMm);
    p.EditAufloesung = FormatGeneral(o.pixelUm);
    p.EditXb = FormatGeneral(o.pixelsX);
    p.EditYb = FormatGeneral(o.pixelsY);
    p.NumberBoxH.SetValue(o.heightM);
    p.NumberBoxP.SetValue(o.frontPct);
    p.NumberBoxQ.SetValue(o.sidePct);
    p.NumberBoxV.SetValue(o.speedKmh);
    Rechnen(p);
    // The window's direction box holds 0.01 .. 360; any angle maps to the same direction.
    double ri = std::fmod(o.angleDeg, 360.0);
    if (ri < 0)
        ri += 360.0;
    p.NumberBoxRi.SetValue(ri == 0 ? 0.01 : ri);
    return p;
}

// The area as border points of a project in the UTM zone of the area's centre.
State StateOf(const AreaPolygon& area) {
    double latMin = 90, latMax = -90, lonMin = 180, lonMax = -180;
    for (const GeoPos& g : area.ring) {
        latMin = std::min(latMin, g.lat);
        latMax = std::max(latMax, g.lat);
        lonMin = std::min(lonMin, g.lon);
        lonMax = std::max(lonMax, g.lon);
    }
    if (lonMax - lonMin > 180)
        throw Error(ErrorKind::Refused,
                    "Das Gebiet überspannt die Datumsgrenze; das kann Korvale nicht planen.");
    State s;
    AdoptZone(s, (latMin + latMax) / 2, (lonMin + lonMax) / 2);
    for (const GeoPos& g : area.ring)
        s.Points.push_back(GroundCorner(ProjectCentralMeridian(s), g, KindBorder));
    return s;
}

std::string TotalsJson(const PlanTotals& t, int zone, int batteries) {
    return Format("{\"strips\": %d, \"path_m\": %.2f, \"pictures\": %d, \"flight_min\": %.2f, "
                  "\"area_ha\": %.4f, \"utm_zone\": %d, \"batteries\": %d}",
                  {static_cast<long long>(t.strips), t.pathM, static_cast<long long>(t.pictures),
                   t.flightMin, t.areaHa, zone, batteries});
}

} // namespace

int RunPlanCommand(const std::vector<std::string>& args, const PlanCommandTexts& texts,
                   std::ostream& out, std::ostream& err) {
    try {
        PlanOptions o = ParsePlanOptions(args);
        if (o.help) {
            out << texts.help;
            return 0;
        }
        if (o.version) {
            out << texts.version << '\n';
            return 0;
        }
        const std::optional<DroneProfile> drone = ApplyDroneProfile(
            o, texts.dronesFile.empty() ? DefaultDroneProfilesPath() : texts.dronesFile);
        if (!o.checkFile.empty())
            return RunCheckCommand(o, drone, out, err);

        const std::vector<AreaPolygon> areas = ReadAreaFile(o.areaFile);
        const AreaPolygon& area = areas.front();
        State s = StateOf(area);
        AddExclusionZones(s, area, o);
        ParamPageModel p = PageOf(o);

        // The planning run of "Calc Raster", without the drawing; the one plan feeds the
        // totals, the drawing and the geodata.
        SetBorderPointer(s, p);
        CalcBorderMinMax(s);
        if (o.angleAuto) // the direction of the area, whatever its zones
            p.NumberBoxRi.SetValue(BestGridAngle(BorderRing(s), p.NumberBoxB.Value()).Ri);
        if (o.crosshatch)
            SchnitteCrosshatch(s, p.NumberBoxRi.Value(), p.NumberBoxB.Value());
        else
            Schnitte(s, p.NumberBoxRi.Value(), p.NumberBoxB.Value());
        const FlightPlan plan = PlanOfState(s, p.NumberBoxA.Value(), p.NumberBoxV.Value());
        PlanTotals totals = plan.totals;
        totals.areaHa = p.NumberBoxFlaeche.Value();
        // A plan nobody can fly is no result: no mission and no file of it, and the totals
        // say why, so a script sees the numbers as well as the reason.
        if (const std::string why = UnflyableReason(plan, BorderRing(s), p.NumberBoxB.Value());
            !why.empty()) {
            std::string json = TotalsJson(totals, s.UtmZone, 0);
            json.insert(json.size() - 1, ", \"unflyable\": \"" + why + "\"");
            out << json << '\n';
            err << "korvale-plan: Der Plan ist nicht fliegbar; es wurde keine Datei "
                   "geschrieben.\n"
                << why << '\n';
            return 1;
        }

        const FlightStep flight = FlightFigures(o, drone, s, plan, p);

        // Every file is written as one set: either all of them are there afterwards, or none
        // was touched. The small ones are made first; the drawing and the geodata, which grow
        // with the pictures, are made from the one plan while they are written.
        std::vector<std::string> bytes;
        std::vector<std::string> paths;
        std::vector<MissionFinding> warnings;
        // The grid mission, cut into parts that each fit one battery and one file.
        LitchiPageModel m;
        Overlay ov;
        const TerrainInput ground = OpenTerrain(s, o);
        const TerrainResult terrain = MakeGridMission(s, p, m, ov, ground);
        const SplitOptions split = RunSplitOptions(o, drone, p);
        std::vector<MissionPart> parts;
        std::string batteryNote;
        try {
            parts = SplitMission(s.LitchiRecs, MissionLinesOf(s), split, s.LitchiLineEnd);
        } catch (const Error& e) {
            // Only the mission needs the parts: the other files are written all the same.
            if (!o.litchiFile.empty() || e.kind() != ErrorKind::Limit)
                throw;
            const std::string text = e.what();
            batteryNote = text.substr(0, text.find('\n'));
        }
        const int batteries = s.LitchiRecs.empty() ? 0 : static_cast<int>(parts.size());
        if (!o.litchiFile.empty()) {
            // A mission the drone cannot fly refuses the whole set before anything is written;
            // every part is checked as the file it becomes.
            MissionCheckOptions check;
            check.gridMission = true;
            check.maxWaypoints = static_cast<int>(o.maxWaypoints);
            std::vector<std::vector<TlitchRec>> partRecs;
            partRecs.reserve(parts.size());
            for (const MissionPart& part : parts)
                partRecs.push_back(part.recs);
            warnings = CheckMissionForWrite(partRecs, check).warnings;
            PartFiles f = MissionPartFiles(LitchiCsvFileName(o.litchiFile), parts);
            paths.insert(paths.end(), f.names.begin(), f.names.end());
            bytes.insert(bytes.end(), f.texts.begin(), f.texts.end());
        }
        WpmlStep wpml;
        if (!o.wpmlFile.empty())
            wpml = AddWpmlFiles(o, *drone, s, plan, p, ground, paths, bytes);
        const std::string coverageJson =
            AddCoverageFiles(o, s, p, plan, ZoneRings(s), ground, terrain, paths, bytes);
        std::vector<FileToStream> files;
        for (std::size_t i = 0; i < paths.size(); ++i)
            files.push_back({paths[i], [&text = bytes[i]](ByteSink& sink) { sink.Append(text); }});
        const double A = p.NumberBoxA.Value();
        if (!o.dxfFile.empty())
            files.push_back(
                {o.dxfFile, [&s, &plan, A](ByteSink& sink) { WriteDxf(sink, s, A, plan); }});
        PlanGeo geo;
        if (!o.geojsonFile.empty() || !o.kmlFile.empty()) {
            geo = PlanGeoFromState(s, p, plan);
            AddTerrainToGeo(geo, terrain);
        }
        if (!o.geojsonFile.empty())
            files.push_back(
                {o.geojsonFile, [&geo](ByteSink& sink) { WritePlanGeoJson(sink, geo); }});
        if (!o.kmlFile.empty())
            files.push_back({o.kmlFile, [&geo](ByteSink& sink) { WritePlanKml(sink, geo); }});
        // An output that is a file the run read (the area, a zone, the elevation model, by its
        // own name or as a mission part's) would replace it.
        std::vector<std::string> inputs{o.areaFile};
        inputs.insert(inputs.end(), o.excludeFiles.begin(), o.excludeFiles.end());
        if (!o.demFile.empty())
            inputs.push_back(o.demFile);
        if (!files.empty())
            StreamFilesAtomic(files, inputs);
        if (!o.litchiFile.empty()) {
            const std::string name = LitchiCsvFileName(o.litchiFile);
            for (const std::string& left : LeftoverPartNames(name, parts.size()))
                err << "Hinweis: ältere Missionsdatei bleibt liegen: " << left << '\n';
        }

        if (!o.wpmlFile.empty())
            for (const std::string& left : LeftoverPartNames(WpmlFileName(o.wpmlFile), wpml.parts))
                err << "Hinweis: ältere Missionsdatei bleibt liegen: " << left << '\n';
        if (const std::string note = MergedCornersNote(s); !note.empty())
            err << "Hinweis: " << note << '\n';
        if (!batteryNote.empty())
            err << "Hinweis: " << batteryNote << '\n';
        if (const std::string note = SpeedAboveLimitNote(flight); !note.empty())
            err << "Hinweis: " << note << '\n';
        if (const std::string note = AreaFileNote(areas); !note.empty())
            err << "Hinweis: " << note << '\n';
        for (const GeoPos& g : area.ring) {
            // One note for the whole area, at its first corner far outside the zone.
            if (const auto warning = ZoneWarning(s, g.lon)) {
                err << "Hinweis: " << *warning << '\n';
                break;
            }
        }
        for (const MissionFinding& f : warnings)
            err << "Warnung: " << f.text << '\n';
        for (const std::string& w : wpml.warnings)
            err << "Warnung: " << w << '\n';
        std::string json = TotalsJson(totals, s.UtmZone, batteries);
        json.insert(json.size() - 1, FlightJsonKeys(flight));
        if (o.angleAuto) // the direction chosen, to be given again as --angle
            json.insert(json.size() - 1, Format(", \"angle\": %.2f", {p.NumberBoxRi.Value()}));
        if (!o.demFile.empty())
            json.insert(json.size() - 1, TerrainJsonKeys(terrain));
        json.insert(json.size() - 1, coverageJson);
        if (!warnings.empty())
            json.insert(json.size() - 1, Format(", \"warnings\": %d", {warnings.size()}));
        out << json << '\n';
        return 0;
    } catch (const Error& e) {
        err << "korvale-plan: " << e.what() << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        // The files are written as one set at the very end: out of memory, none was touched.
        err << "korvale-plan: " << kOutOfMemoryText << '\n';
        return 1;
    }
}

} // namespace korvale
