// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// What a Litchi mission must respect to be flown: the limits of the drone's waypoint engine and
// of the flight app, as one table, and the check of a mission against it before it is written
// or after it was read. Hard findings make the mission unflyable (the file is not written);
// soft ones are written but shown to the pilot.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/types.h"

namespace korvale {

// One row of the limit table: the quantity, its allowed range and where the range comes from.
struct MissionLimit {
    std::string_view key;    // short name used in code and tests ("altitude", "leg", ...)
    std::string_view what;   // German description shown in messages
    double min;              // smallest allowed value (inclusive)
    double max;              // largest allowed value (inclusive)
    std::string_view unit;   // "m", "m/s", "°", "" for counts
    std::string_view source; // where the limit comes from
};

// The table, in the order the check reports its findings.
const std::vector<MissionLimit>& MissionLimits();

// The row of `key`; throws Error (Internal) for an unknown key.
const MissionLimit& MissionLimitOf(std::string_view key);

// The table's message for a value of row `key` outside its range, e.g. "Geschwindigkeit 16.1
// m/s liegt außerhalb von 0 bis 15 m/s (Wegpunktsteuerung der Drohne)."; nullopt within it.
std::optional<std::string> LimitViolation(std::string_view key, double value);

enum class FindingSeverity { Hard, Soft };

struct MissionFinding {
    FindingSeverity severity;
    int waypoint;         // 1-based waypoint number, 0 when the whole mission is meant
    std::string column;   // CSV column name ("altitude(m)", ...), "" for the whole mission
    std::string limitKey; // key of the table row, or of the soft rule ("altitude-zero", ...)
    std::string text;     // German message naming waypoint, column and limit
};

struct MissionCheckOptions {
    int maxWaypoints = 99;    // the most waypoints one file may hold (set on the Litchi page)
    double missionSpeed = 0;  // the app's mission speed in m/s; 0 when the CSV carries none
    bool gridMission = false; // a mission from the photo grid: pictures by time interval
};

struct MissionCheck {
    std::vector<MissionFinding> hard; // any entry: the mission must not be written
    std::vector<MissionFinding> soft; // warnings for the status line and the protocol
    double lengthM = 0;               // flight length from the first to the last waypoint
};

// Checks every waypoint and every leg of `recs` against the table. Leg lengths are ellipsoidal
// distances between consecutive waypoints (GRS80, accurate to well under 0.1 % over 2 km).
MissionCheck CheckMission(const std::vector<TlitchRec>& recs, const MissionCheckOptions& opt);

// Distance in metres between two positions in decimal degrees on the GRS80 ellipsoid, by the
// local radii of curvature at the mean latitude; for legs up to a few kilometres its error is
// below 1e-4 relative.
double WaypointDistance(double lat1, double lon1, double lat2, double lon2);

// The text of the findings, one per line (hard ones first), for messages and the protocol.
std::string FindingsText(const std::vector<MissionFinding>& findings);

} // namespace korvale
