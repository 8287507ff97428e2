// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The drone picker of the "Korvale" page: the camera edits filled from a drone profile, and
// whether the edits still hold the profile's values (else the page says "eigene Werte").
#pragma once

#include <string>
#include <vector>

#include "dji/profiles.h"
#include "model/numberbox.h"
#include "planning/params.h"

namespace korvale {

// What the picker shows when the camera edits hold the user's own values.
inline constexpr const char* OwnCameraValues = "eigene Werte";

// The values of the page that belong to the drone rather than to the plan: its key, the
// exposure and the blur the pictures may take, and the battery the pilot keeps back.
struct DronePageModel {
    using K = NumberBox::Kind;
    // The profile the camera edits were filled from; "" while they hold the user's own values.
    std::string droneKey;
    // Exposure time as the camera shows it, the denominator of 1/x s (1000: 1/1000 s). A
    // minimum of 1 keeps the exposure at or below one second and never zero.
    NumberBox NumberBoxBelichtung{K::Integer, 1000, 1, 100000};
    // The shift of the picture during one exposure the pilot accepts, in pixels.
    NumberBox NumberBoxVersatz{K::Float, 0.5, 0.05, 10, 2};
    // Share of every battery kept back for landing and the unforeseen, %.
    NumberBox NumberBoxReserve{K::Integer, 20, 0, 50};
    // Flight time of the plan as the flight-time model gives it, minutes (read-only).
    NumberBox NumberBoxFlugzeitModell{K::Float, 0, 0, 1e9, 1, true};

    double ExposureS() const { return 1.0 / NumberBoxBelichtung.Value(); }
};

// The camera edits of a profile: focal length (mm), pixel size (µm, the sensor's width over
// its pixels across) and the pixels across and along, as the page's texts.
struct CameraEdits {
    std::string EditF;
    std::string EditAufloesung;
    std::string EditXb;
    std::string EditYb;
};
CameraEdits CameraEditsOf(const CameraProfile& c);

// Writes the profile's camera into the page's edits. The format box keeps its state (its two
// states stand for the design's two pictures) but its caption names the profile's picture.
void ApplyDroneCamera(ParamPageModel& p, const DroneProfile& d);

// The caption of the format box for a picture of w x h pixels: the nearest of "4:3", "3:2" and
// "16:9" within 1 %, else the pixels themselves ("5280x3956" is 4:3 to 0.05 %).
std::string FormatCaptionOf(int w, int h);

// The key of the profile whose camera the page's edits hold, "" when none does. `preferred`
// is asked first, so two drones with one camera keep the one the user picked.
std::string DroneOfCamera(const ParamPageModel& p, const std::vector<DroneProfile>& profiles,
                          const std::string& preferred);

} // namespace korvale
