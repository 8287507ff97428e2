// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading WPML files (ours and other tools'): the KMZ's entries, and of each XML file the
// mission settings, the folders and their waypoints with heights, speeds and actions, as far as
// the checker needs them. Values that are missing or no number are recorded, not guessed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvale {

struct WpmlReadAction {
    std::optional<long long> id;
    std::string func;
};

struct WpmlReadGroup {
    std::optional<long long> id;
    std::optional<long long> start, end;
    std::string trigger;
    std::optional<double> param; // actionTriggerParam
    std::vector<WpmlReadAction> actions;
};

struct WpmlReadPoint {
    std::optional<long long> index;
    std::optional<double> lat, lon;
    std::optional<double> height; // executeHeight (waylines) or height (template)
    bool useGlobalHeight = false;
    std::optional<double> speed;
    bool hasHeading = false, hasTurn = false;
    std::vector<WpmlReadGroup> groups;
};

struct WpmlReadFolder {
    std::string templateType;
    std::string heightMode; // executeHeightMode (waylines) or heightMode (template)
    std::optional<double> autoSpeed;
    std::optional<double> globalHeight;
    bool hasTemplateId = false, hasWaylineId = false;
    std::vector<WpmlReadPoint> points;
};

struct WpmlReadDoc {
    std::string ns; // xmlns:wpml of the root
    bool hasDocument = false, hasMissionConfig = false;
    std::vector<std::string> missingConfig; // required missionConfig elements not there
    std::optional<long long> droneEnum;
    std::optional<double> transitionalSpeed;
    std::vector<WpmlReadFolder> folders;
    std::vector<std::string> unknown; // wpml: element names this reader does not know
    std::vector<std::string> badNumbers;
};

struct WpmlReadKmz {
    std::vector<std::string> entries;
    std::optional<std::string> templateKml;
    std::optional<std::string> waylinesWpml;
};

// The entries of a KMZ and the two WPML files' text. Throws Error (Damaged) for bytes that are
// no readable ZIP, (Limit) for an entry too large to be a mission.
WpmlReadKmz ReadWpmlKmz(std::string_view bytes);

// One XML file. Throws Error (Damaged) for text that is no XML or has no kml root.
WpmlReadDoc ReadWpmlXml(std::string_view xml, bool waylines);

} // namespace korvale
