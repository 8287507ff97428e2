// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The WPML writer read back by an independent reading of the ZIP and the XML: for every
// profile that flies WPML, the two entries, the namespace of its app, the mission settings,
// indices, positions equal to the plan's, equal heights in template and waylines, the photo
// actions of its app, unique ids; the parts of a long mission; the write under file faults.
#include "dji/wpml_write.h"

#include <cmath>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "dji/drone_model.h"
#include "dji/profiles.h"
#include "dji/route.h"
#include "model/geodesy.h"
#include "planning/plan.h"
#include "tests/dji/kmz_oracle.h"
#include "tests/support/expect_error.h"
#include "tests/support/file_faults.h"
#include "tests/support/temp_dir.h"

namespace korvale {
namespace {

using test::At;
using test::UnzipAll;

const std::vector<DroneProfile>& Profiles() {
    static const std::vector<DroneProfile> all =
        LoadDroneProfiles(KORVALE_SOURCE_DIR "/data/drones.json");
    return all;
}

// An L-shaped area of 300 x 200 m near Stuttgart (zone 32) with a notch, so that some legs
// bend; lines every 40 m, pictures every 30 m.
struct Planned {
    State s;
    FlightPlan plan;
};

Planned LArea(double ri = 0) {
    Planned p;
    p.s.UtmZone = 32;
    const double e0 = 32513000, n0 = 5403000;
    const std::vector<PlanPt> ring = {{e0, n0},
                                      {e0 + 300, n0},
                                      {e0 + 300, n0 + 200},
                                      {e0 + 150, n0 + 200},
                                      {e0 + 150, n0 + 90},
                                      {e0, n0 + 90}};
    p.plan = PlanFlight(ring, ri, 40, 30, 18);
    return p;
}

// The positions the plan asks the route to fly, as the app of d gets them: pictures (with the
// end picture) for apps without distance triggers, line ends for the others; legs' bends.
std::vector<PlanPt> ExpectedPoints(const FlightPlan& plan, const DroneProfile& d) {
    std::vector<PlanPt> pts;
    for (std::size_t k = 0; k < plan.lines.size(); ++k) {
        const FlightLine& l = plan.lines[k];
        const std::size_t first = pts.size();
        if (d.firesDistanceTriggers) {
            pts.push_back(l.start);
            pts.push_back(l.end);
        } else {
            for (std::size_t i = 0; i < l.pictureCount; ++i)
                pts.push_back(plan.pictures[l.firstPicture + i].at);
            if (l.endPicture)
                pts.push_back(l.endPictureAt);
            if (pts.size() - first < 2)
                pts.push_back(l.end);
        }
        if (k < plan.legs.size())
            for (std::size_t i = 1; i + 1 < plan.legs[k].points.size(); ++i)
                pts.push_back(plan.legs[k].points[i]);
    }
    return pts;
}

struct ReadBack {
    double lat, lon, templHeight, wayHeight, speed;
    std::vector<std::pair<std::string, std::string>> groups; // trigger, functions
    std::string triggerParam;
    long long groupEnd = -1;
};

// Reads one KMZ part as the apps would and checks what every part must hold.
std::vector<ReadBack> ReadPart(const std::string& bytes, const DroneProfile& d,
                               std::set<std::string>& groupIds) {
    const test::KmzEntries z = UnzipAll(bytes);
    EXPECT_EQ(z.names, (std::vector<std::string>{"wpmz/template.kml", "wpmz/waylines.wpml"}));
    pugi::xml_document t, w;
    EXPECT_TRUE(t.load_string(z.text.at("wpmz/template.kml").c_str()));
    EXPECT_TRUE(w.load_string(z.text.at("wpmz/waylines.wpml").c_str()));
    for (const pugi::xml_document* doc : {&t, &w}) {
        const pugi::xml_node kml = doc->child("kml");
        EXPECT_STREQ(kml.attribute("xmlns:wpml").value(), d.wpmlNamespace.c_str());
        const pugi::xml_node mc = kml.child("Document").child("wpml:missionConfig");
        for (const char* req : {"wpml:flyToWaylineMode", "wpml:finishAction", "wpml:exitOnRCLost",
                                "wpml:executeRCLostAction", "wpml:takeOffSecurityHeight",
                                "wpml:globalTransitionalSpeed"})
            EXPECT_TRUE(mc.child(req)) << req;
        EXPECT_EQ(At(mc, "wpml:droneInfo/wpml:droneEnumValue"), std::to_string(d.droneEnumValue));
        if (d.payloadEnumValue >= 0) {
            EXPECT_EQ(At(mc, "wpml:payloadInfo/wpml:payloadEnumValue"),
                      std::to_string(d.payloadEnumValue));
        }
        EXPECT_EQ(std::distance(kml.child("Document").children("Folder").begin(),
                                kml.child("Document").children("Folder").end()),
                  1);
    }
    const pugi::xml_node tf = t.child("kml").child("Document").child("Folder");
    const pugi::xml_node wf = w.child("kml").child("Document").child("Folder");
    EXPECT_EQ(At(tf, "wpml:waylineCoordinateSysParam/wpml:heightMode"), "relativeToStartPoint");
    EXPECT_EQ(At(wf, "wpml:executeHeightMode"), "relativeToStartPoint");
    std::vector<ReadBack> out;
    auto tp = tf.children("Placemark").begin();
    long long index = 0;
    for (pugi::xml_node pm : wf.children("Placemark")) {
        EXPECT_NE(tp, tf.children("Placemark").end());
        const pugi::xml_node tpm = *tp++;
        EXPECT_EQ(At(pm, "wpml:index"), std::to_string(index));
        EXPECT_EQ(At(tpm, "wpml:index"), std::to_string(index));
        EXPECT_EQ(At(pm, "Point/coordinates"), At(tpm, "Point/coordinates"));
        const std::string c = At(pm, "Point/coordinates");
        ReadBack r{};
        r.lon = std::stod(c.substr(0, c.find(',')));
        r.lat = std::stod(c.substr(c.find(',') + 1));
        r.wayHeight = std::stod(At(pm, "wpml:executeHeight"));
        r.templHeight = std::stod(At(tpm, "wpml:height"));
        r.speed = std::stod(At(pm, "wpml:waypointSpeed"));
        // The template carries the same actions, so an app rebuilding from it loses none.
        EXPECT_EQ(std::distance(pm.children("wpml:actionGroup").begin(),
                                pm.children("wpml:actionGroup").end()),
                  std::distance(tpm.children("wpml:actionGroup").begin(),
                                tpm.children("wpml:actionGroup").end()));
        for (pugi::xml_node g : pm.children("wpml:actionGroup")) {
            EXPECT_TRUE(groupIds.insert(At(g, "wpml:actionGroupId")).second)
                << "group id " << At(g, "wpml:actionGroupId");
            std::set<std::string> actionIds;
            std::string funcs;
            for (pugi::xml_node a : g.children("wpml:action")) {
                EXPECT_TRUE(actionIds.insert(At(a, "wpml:actionId")).second);
                funcs += At(a, "wpml:actionActuatorFunc") + " ";
            }
            const std::string trigger = At(g, "wpml:actionTrigger/wpml:actionTriggerType");
            r.groups.emplace_back(trigger, funcs);
            EXPECT_EQ(At(g, "wpml:actionGroupStartIndex"), std::to_string(index));
            if (trigger == "multipleDistance") {
                r.triggerParam = At(g, "wpml:actionTrigger/wpml:actionTriggerParam");
                r.groupEnd = std::stoll(At(g, "wpml:actionGroupEndIndex"));
            }
        }
        out.push_back(r);
        ++index;
    }
    EXPECT_EQ(tp, tf.children("Placemark").end());
    return out;
}

class EveryWpmlProfile : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryWpmlProfile, ReadsBackAsThePlanAsksInParts) {
    const DroneProfile& d = FindDroneProfile(Profiles(), GetParam());
    for (double ri : {0.0, 37.5, 90.0}) {
        SCOPED_TRACE(ri);
        Planned p = LArea(ri);
        const Route route = GridRoute(p.s, p.plan, d, {55, 5, 30});
        // A waypoint count that forces parts for every app: the lines themselves never cut.
        DroneProfile small = d;
        small.maxWaypoints = d.firesDistanceTriggers ? 6 : 40;
        const WpmlMissionFiles files = MakeWpmlMission("/x/m.kmz", route, small, 30, {});
        ASSERT_GT(files.bytes.size(), 1u);
        std::vector<PlanPt> expected = ExpectedPoints(p.plan, d);
        std::size_t next = 0; // the expected point the next part starts at
        for (std::size_t k = 0; k < files.bytes.size(); ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(files.names[k], "/x/m_" + std::to_string(k + 1) + ".kmz");
            std::set<std::string> groupIds;
            const std::vector<ReadBack> wps = ReadPart(files.bytes[k], d, groupIds);
            EXPECT_LE(wps.size(), static_cast<std::size_t>(small.maxWaypoints));
            // A part may leave out the bends of the leg to the next part (it goes home there).
            while (next < expected.size()) {
                const GeoResult g = ProjectUtmToGeo(p.s, expected[next].N, expected[next].E);
                if (std::abs(g.B - wps.front().lat) <= 1e-7 &&
                    std::abs(g.L - wps.front().lon) <= 1e-7)
                    break;
                ++next;
            }
            ASSERT_LT(next + wps.size(), expected.size() + 1);
            for (std::size_t i = 0; i < wps.size(); ++i) {
                const GeoResult g =
                    ProjectUtmToGeo(p.s, expected[next + i].N, expected[next + i].E);
                EXPECT_NEAR(wps[i].lat, g.B, 1e-7) << i;
                EXPECT_NEAR(wps[i].lon, g.L, 1e-7) << i;
                EXPECT_EQ(wps[i].wayHeight, 55);
                EXPECT_EQ(wps[i].templHeight, wps[i].wayHeight);
                EXPECT_EQ(wps[i].speed, 5);
                for (const auto& [trigger, funcs] : wps[i].groups) {
                    if (d.firesDistanceTriggers) {
                        EXPECT_NE(funcs.find("takePhoto") == std::string::npos,
                                  trigger == "multipleDistance");
                    } else {
                        EXPECT_EQ(trigger, "reachPoint");
                    }
                }
                if (d.firesDistanceTriggers && !wps[i].triggerParam.empty()) {
                    EXPECT_EQ(wps[i].triggerParam, "30");
                    EXPECT_EQ(wps[i].groupEnd, static_cast<long long>(i + 1));
                }
            }
            next += wps.size();
        }
        // Every picture of the plan is a photo waypoint of one part, in flight order.
        if (!d.firesDistanceTriggers) {
            std::size_t photos = 0;
            for (const std::string& b : files.bytes) {
                std::set<std::string> ids;
                for (const ReadBack& r : ReadPart(b, d, ids))
                    for (const auto& [trigger, funcs] : r.groups)
                        photos += funcs.find("takePhoto") != std::string::npos;
            }
            std::size_t pictures = p.plan.pictures.size();
            for (const FlightLine& l : p.plan.lines)
                pictures += l.endPicture;
            EXPECT_EQ(photos, pictures);
        }
    }
}

std::vector<std::string> WpmlKeys() {
    std::vector<std::string> keys;
    for (const DroneProfile& d : Profiles())
        if (d.app != FlightApp::Litchi)
            keys.push_back(d.key);
    return keys;
}

INSTANTIATE_TEST_SUITE_P(Profiles, EveryWpmlProfile, ::testing::ValuesIn(WpmlKeys()));

TEST(WpmlWrite, OneLineWithMorePicturesThanAFileHoldsIsRefusedByName) {
    Planned p = LArea();
    DroneProfile d = FindDroneProfile(Profiles(), "mini4pro");
    d.maxWaypoints = 5;
    const Route route = GridRoute(p.s, p.plan, d, {55, 5, 30});
    test::ExpectError([&] { MakeWpmlMission("m.kmz", route, d, 30, {}); }, ErrorKind::Limit,
                      "Flugstreifen 1 braucht allein");
}

TEST(WpmlWrite, RefusesWhatTheAppCannotFlyAndNamesWaypointAndRule) {
    Planned p = LArea();
    const DroneProfile& fly = FindDroneProfile(Profiles(), "mini4pro");
    const std::string msg = test::ExpectError(
        [&] {
            MakeWpmlMission("m.kmz", GridRoute(p.s, p.plan, fly, {55, 14, 30}), fly, 30, {});
        },
        ErrorKind::Limit, "Wegpunkt 0: Geschwindigkeit 14 m/s über der Grenze");
    EXPECT_NE(msg.find("[speed]"), std::string::npos);
    test::ExpectError(
        [&] {
            MakeWpmlMission(
                "m.kmz",
                GridRoute(p.s, p.plan, FindDroneProfile(Profiles(), "mini3pro"), {55, 5, 30}),
                FindDroneProfile(Profiles(), "mini3pro"), 30, {});
        },
        ErrorKind::Refused, "fliegt Missionen aus Litchi");
    test::ExpectError(
        [&] {
            GridRoute(p.s, p.plan, fly, {0, 5, 30});
        },
        ErrorKind::Refused, "größer als 0");
}

TEST(WpmlWrite, EqualRoutesGiveEqualBytes) {
    Planned p = LArea();
    const DroneProfile& d = FindDroneProfile(Profiles(), "mavic3e");
    const Route r = GridRoute(p.s, p.plan, d, {55, 5, 30});
    EXPECT_EQ(EncodeWpmlKmz(EncodeWpml(r, d, {})), EncodeWpmlKmz(EncodeWpml(r, d, {})));
}

TEST(WpmlWrite, FreeLineAndOrbitMissionsKeepTheirPoiAndMergeRepeatedPoints) {
    std::vector<TlitchRec> recs(4);
    const float lat[] = {48.1f, 48.101f, 48.101f, 48.102f};
    for (std::size_t i = 0; i < recs.size(); ++i) {
        recs[i].latitude = lat[i];
        recs[i].longitude = 9.2f;
        recs[i].poi_latitude = 48.0f;
        recs[i].poi_longitude = 9.1f;
    }
    const Route r = RouteOfMission(recs, {40, 4, 0});
    ASSERT_EQ(r.waypoints.size(), 3u);
    const DroneProfile& d = FindDroneProfile(Profiles(), "air3");
    const WpmlFiles f = EncodeWpml(r, d, {});
    pugi::xml_document w;
    ASSERT_TRUE(w.load_string(f.waylinesWpml.c_str()));
    for (pugi::xml_node pm :
         w.child("kml").child("Document").child("Folder").children("Placemark")) {
        EXPECT_EQ(At(pm, "wpml:waypointHeadingParam/wpml:waypointHeadingMode"), "towardPOI");
        EXPECT_EQ(At(pm, "wpml:executeHeight"), "40");
    }
}

TEST(WpmlWrite, SurvivesFileFaultsWithTheOlderFileIntact) {
    testing::TempDir dir("korvale_wpml");
    Planned p = LArea();
    const DroneProfile& d = FindDroneProfile(Profiles(), "m4e");
    const Route r = GridRoute(p.s, p.plan, d, {55, 5, 30});
    test::ExpectWriterSurvivesFaults(
        std::filesystem::path(dir.File("")), "mission.kmz",
        [&](const std::string& path) { WriteWpmlMission(path, r, d, 30, {}); });
}

// The parts of a route are cut on the flight-time model of the drone: each fits its battery
// with the reserve, flown from the take-off point, and a far take-off needs more parts.
TEST(WpmlSplit, EveryPartFitsItsBatteryInTheDronesFlightModel) {
    // DJI Fly stops at every picture and needs the longer battery to fly a line at all.
    const std::pair<const char*, double> drones[] = {{"mini4pro", 10}, {"m4e", 6}};
    for (const auto& [key, battery] : drones) {
        SCOPED_TRACE(key);
        const DroneProfile& d = FindDroneProfile(Profiles(), key);
        const Planned p = LArea(37.5);
        const Route route = GridRoute(p.s, p.plan, d, {55, 5, 30});
        const RouteWaypoint& first = route.waypoints.front();
        const GeoResult away = ProjectUtmToGeo(p.s, 5403000 - 400, 32513000);
        for (const bool far : {false, true}) {
            SCOPED_TRACE(far);
            WpmlOptions o;
            if (far)
                o.takeoff = TakeoffPos{away.B, away.L};
            const std::vector<TimedRoutePart> parts = SplitRouteTimed(route, d, battery, o);
            ASSERT_GT(parts.size(), 1u);
            EXPECT_EQ(SplitRoute(route, d, battery, o).size(), parts.size());
            if (far) {
                EXPECT_GT(parts.size(), SplitRoute(route, d, battery, {}).size());
            }
            const SplitOptions so = RouteSplitOptions(route, d, battery, o);
            for (const TimedRoutePart& part : parts) {
                // The part's flight computed afresh from its own waypoints.
                std::vector<double> lat, lon;
                std::vector<bool> photo;
                for (const RouteWaypoint& w : part.route.waypoints) {
                    lat.push_back(w.lat);
                    lon.push_back(w.lon);
                    photo.push_back(w.photo);
                }
                SplitOptions from = so;
                if (!from.takeoff)
                    from.takeoff = TakeoffPos{first.lat, first.lon};
                const FlightTime t = ModelFlightTime(ModelWayOfDegrees(lat, lon, photo, from),
                                                     FlightValuesOf(d).model);
                EXPECT_NEAR(part.time.TotalS(), t.TotalS(), 1e-6);
                EXPECT_LE(part.time.TotalMin(), 0.8 * battery + 1e-9);
                EXPECT_GE(part.time.missionS, part.time.pathM / 5);
            }
        }
    }
}

} // namespace
} // namespace korvale
