// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dji/camera_pick.h"

#include <cmath>

#include "dji/drone_model.h"
#include "model/format.h"

namespace korvale {

std::string FormatCaptionOf(int w, int h) {
    static const struct {
        double ratio;
        const char* caption;
    } known[] = {{4.0 / 3.0, "4:3"}, {3.0 / 2.0, "3:2"}, {16.0 / 9.0, "16:9"}};
    if (w > 0 && h > 0)
        for (const auto& k : known)
            if (std::abs(static_cast<double>(w) / h / k.ratio - 1.0) <= 0.01)
                return k.caption;
    return Format("%dx%d", {w, h});
}

std::string DroneOfCamera(const ParamPageModel& p, const std::vector<DroneProfile>& profiles,
                          const std::string& preferred) {
    for (const DroneProfile& d : profiles)
        if (d.key == preferred && PageHasDroneCamera(p, d))
            return d.key;
    for (const DroneProfile& d : profiles)
        if (PageHasDroneCamera(p, d))
            return d.key;
    return {};
}

} // namespace korvale
