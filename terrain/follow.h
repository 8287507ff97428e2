// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Heights above ground for any mission: the waypoints of a mission in flight order get the
// altitude above the take-off point that keeps them at their height above the ground, and
// waypoints are added where the straight climb or descent between two of them would leave the
// band height +- tolerance. Mission writers (Litchi, WPML) call FollowTerrain on their own
// waypoint list and write what comes back.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "terrain/elevation.h"

namespace korvale {

// The tolerance box's range and default, metres.
inline constexpr double TerrainToleranceMin = 1;
inline constexpr double TerrainToleranceMax = 20;
inline constexpr double TerrainToleranceDefault = 5;

// Below this height above the ground anywhere along the path a mission is not flown, metres.
inline constexpr double MinGroundClearanceM = 2;

struct TerrainWaypoint {
    GroundPos at;        // position of the plan (easting with zone prefix, northing)
    double altitude = 0; // in: height above the ground there; out: altitude above take-off
    bool photo = false;  // a photo point (kept as given; added waypoints are none)
    bool added = false;  // out: inserted because the ground bends
    double ground = 0;   // out: the model's ground height there, metres
    std::size_t leg = 0; // out: index of the input waypoint it is, or whose leg it lies on
};

struct TerrainSettings {
    double toleranceM = TerrainToleranceDefault;
    std::optional<GroundPos> takeoff; // none: the first waypoint
};

// One sample of the ground along the flight path, for the profile.
struct ProfileSample {
    double distM = 0;    // along the path from the first waypoint
    double ground = 0;   // ground height of the model
    double flight = 0;   // flight height in the model's datum (take-off ground + altitude)
    std::size_t leg = 0; // index of the input waypoint the leg starts at
};

struct TerrainResult {
    std::vector<TerrainWaypoint> waypoints; // in flight order, the added ones marked
    double takeoffGround = 0;
    double groundMin = 0; // of the model along the path (0 for no waypoint)
    double groundMax = 0;
    double minClearanceM = 0;   // least height above ground along the path
    double minClearanceAtM = 0; // where along the path (metres from the first waypoint)
    std::size_t added = 0;
    std::vector<ProfileSample> profile;
};

// The heights above ground of a mission. Every leg is sampled where the model says
// (ElevationModel::SampleFractions: every cell, every bend of the interpolation); at each input
// waypoint the altitude is its height + ground - take-off ground, and along a leg the height runs
// linearly from one end's to the other's. Waypoints are added at sample positions, the fewest that
// keep every sample within height +- toleranceM (exact, by a shortest path over the samples).
// Throws Error (Refused) for a tolerance outside 1..20 m and passes on the model's refusal of a
// position outside it or on a gap (the take-off's named as such); the input is never changed.
TerrainResult FollowTerrain(const std::vector<TerrainWaypoint>& mission, const ElevationModel& dem,
                            const TerrainSettings& settings);

// Refuses a mission that would come closer to the ground than MinGroundClearanceM anywhere
// along its path (or below it): Error (Limit) naming the place and the least height, so no
// mission file is written. Every mission writer calls it after FollowTerrain.
void CheckGroundClearance(const TerrainResult& r);

// The core of the choice, over one leg's samples: d[k] the distance along the leg (rising,
// d[0] = 0), target[k] the wanted altitude there. Returns the interior sample indices that become
// waypoints, ascending: the fewest such that the straight lines through (d, target) of the ends
// and the chosen samples stay within tol of target at every sample.
std::vector<std::size_t> FewestBreaks(const std::vector<double>& d,
                                      const std::vector<double>& target, double tol);

} // namespace korvale
