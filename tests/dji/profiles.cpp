// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The drone profiles of data/drones.json: every drone the pilots fly today is there with every
// value and its source; a damaged file or an unknown key is refused with a German message.
#include "dji/profiles.h"

#include <functional>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include "model/fileio.h"
#include "tests/support/expect_error.h"

namespace korvale {
namespace {

const std::string kFile = KORVALE_SOURCE_DIR "/data/drones.json";

TEST(DroneProfiles, EveryKnownDroneHasEveryValueWithItsSource) {
    const std::vector<DroneProfile> all = LoadDroneProfiles(kFile);
    for (const char* key :
         {"mini4pro", "mini5pro", "air3", "air3s", "mavic3e", "m4e", "mini3pro", "m350"}) {
        SCOPED_TRACE(key);
        const DroneProfile& d = FindDroneProfile(all, key);
        EXPECT_GT(d.camera.focalMm, 0);
        EXPECT_NEAR(d.camera.sensorWidthMm / d.camera.imageWidthPx,
                    d.camera.sensorHeightMm / d.camera.imageHeightPx, 2e-5)
            << "square pixels";
        if (d.app == FlightApp::DjiFly) {
            EXPECT_FALSE(d.firesDistanceTriggers);
            EXPECT_EQ(d.maxWaypoints, 99);
            EXPECT_EQ(d.wpmlNamespace, "http://www.dji.com/wpmz/1.0.2");
        }
        if (d.app == FlightApp::Pilot2) {
            EXPECT_TRUE(d.firesDistanceTriggers);
            EXPECT_EQ(d.wpmlNamespace, "http://www.dji.com/wpmz/1.0.6");
        }
    }
    // Independently of the reader: every leaf of a drone is {value, source} with a source the
    // file's list names (its first word) or a derivation.
    const nlohmann::json root = nlohmann::json::parse(ReadFileBytes(kFile));
    const nlohmann::json& sources = root["sources"];
    std::function<void(const nlohmann::json&, const std::string&)> walk =
        [&](const nlohmann::json& obj, const std::string& where) {
            for (const auto& [k, v] : obj.items()) {
                if (k == "key" || k == "name")
                    continue;
                if (v.contains("value")) {
                    const std::string src = v["source"].get<std::string>();
                    const std::string head = src.substr(0, src.find(':'));
                    EXPECT_TRUE(sources.contains(head) || head.rfind("Cloud API", 0) == 0 ||
                                head.rfind("as ", 0) == 0)
                        << where << "." << k << ": " << src;
                } else {
                    walk(v, where + "." + k);
                }
            }
        };
    for (const nlohmann::json& d : root["drones"])
        walk(d, d["key"].get<std::string>());
}

TEST(DroneProfiles, DamagedFilesAndUnknownKeysAreRefused) {
    const std::string good = ReadFileBytes(kFile);
    const auto without = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const struct {
        const char* label;
        std::string json;
        const char* decisive;
    } cases[] = {
        {"no JSON", "{\"drones\": [", "Kein gültiges JSON"},
        {"value without source",
         without("\"maxWaypoints\": {\"value\": 99, \"source\": \"fly-manual\"}",
                 "\"maxWaypoints\": {\"value\": 99, \"source\": \"\"}"),
         "Profil 'mini4pro': maxWaypoints hat keine Quelle."},
        {"unknown app", without("{\"value\": \"dji-fly\"", "{\"value\": \"dji-go\""),
         "unbekannte App 'dji-go'"},
        {"duplicate key", without("\"key\": \"mini5pro\"", "\"key\": \"mini4pro\""),
         "Profil 'mini4pro': der Schlüssel kommt zweimal vor."},
        {"text as number",
         without("\"speedCapMps\": {\"value\": 12,", "\"speedCapMps\": {\"value\": \"12\","),
         "speedCapMps ist keine Zahl"},
        {"rolling shutter without readout",
         without("\"readoutMs\": {\"value\": 30,", "\"readoutMs\": {\"value\": 0,"),
         "Profil 'mini4pro': readoutMs muss bei elektronischem Verschluss größer als 0 sein."},
        {"unknown shutter", without("{\"value\": \"electronic\"", "{\"value\": \"global\""),
         "Profil 'mini4pro': shutter ist weder mechanical noch electronic."},
        {"no flight values", without("\"flight\": {", "\"flug\": {"),
         "Profil 'mini4pro': flight fehlt."},
        {"climb of 0", without("\"climbMps\": {\"value\": 3,", "\"climbMps\": {\"value\": 0,"),
         "Profil 'mini4pro': climbMps liegt nicht zwischen 0.1 und 50."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        test::ExpectError([&] { ParseDroneProfiles(c.json); }, ErrorKind::Damaged, c.decisive);
    }
    test::ExpectError([&] { FindDroneProfile(ParseDroneProfiles(good), "mavic2"); },
                      ErrorKind::Refused,
                      "Unbekannte Drohne 'mavic2'.\nBekannt sind: mini4pro, mini5pro, air3");
}

} // namespace
} // namespace korvale
