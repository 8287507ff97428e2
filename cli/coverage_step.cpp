// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/coverage_step.h"

#include "exchange/plan_export.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "planning/coverage.h"
#include "terrain/coverage_tiff.h"
#include "terrain/picture_heights.h"

namespace korvale {

std::string AddCoverageFiles(const PlanOptions& o, const State& s, const ParamPageModel& p,
                             const FlightPlan& plan,
                             const std::vector<std::vector<PlanPt>>& excluded,
                             const TerrainInput& ground, const TerrainResult& terrain,
                             std::vector<std::string>& paths, std::vector<std::string>& bytes) {
    if (o.coverageFile.empty() && o.footprintsFile.empty())
        return {};
    const FootprintCamera cam{p.NumberBoxLG.Value(), p.NumberBoxBG.Value(), p.NumberBoxH.Value(),
                              p.NumberBoxRi.Value()};
    std::vector<double> heights;
    if (ground.dem && !terrain.waypoints.empty()) {
        std::vector<GroundPos> at;
        at.reserve(plan.pictures.size());
        for (const Picture& pic : plan.pictures)
            at.push_back({pic.at.E, pic.at.N});
        heights = HeightsAboveGroundAt(terrain, at, *ground.dem);
    }
    const std::vector<Footprint> fp = PictureFootprints(plan, cam, heights);

    // Both made before either joins the set: a refusal adds nothing.
    std::string json, tiff, footprints;
    if (!o.coverageFile.empty()) {
        const Coverage cov = ComputeCoverage(BorderRing(s), excluded, fp, o.coverageCellM);
        const StandardUtm corner = ToStandardUtm(s, cov.grid.E0, cov.grid.N0);
        CountRaster r;
        r.cols = cov.grid.cols;
        r.rows = cov.grid.rows;
        r.cellM = cov.grid.cellM;
        r.west = corner.easting;
        r.south = corner.northing;
        r.epsg = corner.epsg;
        r.noData = CoverageNoData;
        r.values = &cov.grid.count;
        tiff = EncodeCountTiff(r);
        json = Format(", \"covered_pct\": %.2f, \"min_count\": %d",
                      {cov.stats.atLeast1Pct, cov.stats.minCount});
    }
    if (!o.footprintsFile.empty())
        footprints = FootprintsToGeoJson(FootprintsGeo(s, plan, fp));
    if (!o.coverageFile.empty()) {
        paths.push_back(o.coverageFile);
        bytes.push_back(std::move(tiff));
    }
    if (!o.footprintsFile.empty()) {
        paths.push_back(o.footprintsFile);
        bytes.push_back(std::move(footprints));
    }
    return json;
}

} // namespace korvale
