// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The drone picker of the "Korvale" page: which profile the camera edits hold (else the page
// says "eigene Werte"), and the caption of the format box for the profile's picture.
#pragma once

#include <string>
#include <vector>

#include "dji/profiles.h"
#include "planning/params.h"

namespace korvale {

// What the picker shows when the camera edits hold the user's own values.
inline constexpr const char* OwnCameraValues = "eigene Werte";

// The caption of the format box for a picture of w x h pixels: the nearest of "4:3", "3:2" and
// "16:9" within 1 %, else the pixels themselves ("5280x3956" is 4:3 to 0.05 %).
std::string FormatCaptionOf(int w, int h);

// The key of the profile whose camera the page's edits hold, "" when none does. `preferred`
// is asked first, so of two drones with one camera the one the user picked stays picked.
std::string DroneOfCamera(const ParamPageModel& p, const std::vector<DroneProfile>& profiles,
                          const std::string& preferred);

} // namespace korvale
