// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dji/camera_pick.h"

#include "model/format.h"

namespace korvale {

CameraEdits CameraEditsOf(const CameraProfile& c) {
    // The pixel size is derived, not rounded: the ground pixel of the page then equals
    // height x sensor width / (focal length x pixels) to the last digit.
    const double pixelUm = c.imageWidthPx > 0 ? c.sensorWidthMm * 1000.0 / c.imageWidthPx : 0.0;
    return {FormatGeneral(c.focalMm), FormatGeneral(pixelUm), FormatGeneral(c.imageWidthPx),
            FormatGeneral(c.imageHeightPx)};
}

void ApplyDroneCamera(ParamPageModel& p, const DroneProfile& d) {
    CameraEdits e = CameraEditsOf(d.camera);
    p.EditF = std::move(e.EditF);
    p.EditAufloesung = std::move(e.EditAufloesung);
    p.EditXb = std::move(e.EditXb);
    p.EditYb = std::move(e.EditYb);
}

namespace {

bool Holds(const ParamPageModel& p, const DroneProfile& d) {
    const CameraEdits e = CameraEditsOf(d.camera);
    return p.EditF == e.EditF && p.EditAufloesung == e.EditAufloesung && p.EditXb == e.EditXb &&
           p.EditYb == e.EditYb;
}

} // namespace

std::string DroneOfCamera(const ParamPageModel& p, const std::vector<DroneProfile>& profiles,
                          const std::string& preferred) {
    for (const DroneProfile& d : profiles)
        if (d.key == preferred && Holds(p, d))
            return d.key;
    for (const DroneProfile& d : profiles)
        if (Holds(p, d))
            return d.key;
    return {};
}

} // namespace korvale
