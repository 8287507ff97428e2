// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The profile page's drawing: ground, flight altitude and take-off height along the flight path
// of the mission over an elevation model, each part of the mission in its colour, the waypoints
// added for the ground marked.
#pragma once

#include <QWidget>

#include <vector>

#include "terrain/follow.h"

namespace korvale {

class ProfileView : public QWidget {
  public:
    explicit ProfileView(QWidget* parent = nullptr);

    // The mission's heights and the part (0-based) of each of its waypoints, in its order; an
    // empty result shows what to do instead.
    void SetProfile(const TerrainResult& r, const std::vector<std::size_t>& partOfWaypoint);

    // Distance along the path of every waypoint of the result, metres from the first.
    static std::vector<double> WaypointDistances(const TerrainResult& r);

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    TerrainResult r_;
    std::vector<double> wpDist_;
    std::vector<std::size_t> part_;
};

} // namespace korvale
