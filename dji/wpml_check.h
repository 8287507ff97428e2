// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The checker of WPML missions: run before every write and on other tools' files. It finds what
// makes DJI's apps refuse a file or fly it wrongly: missing entries or elements, a namespace the
// app does not accept, heights that differ between template and waylines, more waypoints or a
// higher speed than the app copes with, photo triggers the app never fires, duplicate ids and
// legs beyond the drone's limits. Hard findings make the file unflyable; soft ones are listed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dji/profiles.h"
#include "litchi/limits.h"

namespace korvale {

struct WpmlFinding {
    FindingSeverity severity = FindingSeverity::Hard;
    long long waypoint = -1; // the waypoint's index in the file, -1 for the whole file
    std::string rule;        // short name of the rule ("speed", "height-mismatch", ...)
    std::string text;        // German message naming the waypoint and the rule
};

struct WpmlCheck {
    std::vector<WpmlFinding> hard;
    std::vector<WpmlFinding> soft;
    std::size_t waypoints = 0; // in waylines.wpml
    std::string app;           // the app the file looks written for ("DJI Fly", ...), or ""
};

// Checks the bytes of a KMZ. Without a profile the rules that need one (waypoint count, speed
// cap, namespace of the app) use what the file itself says: DJI Fly's drone value 68 means
// DJI Fly's rules. Never throws for any bytes: unreadable input is a hard finding.
WpmlCheck CheckWpmlKmz(std::string_view bytes, const DroneProfile* profile);

// The findings as lines, hard ones first, each marked "Fehler" or "Warnung".
std::string WpmlFindingsText(const WpmlCheck& c);

} // namespace korvale
