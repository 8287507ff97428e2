// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dji/camera_pick.h"

#include <cmath>

#include "model/format.h"

namespace korvale {

CameraEdits CameraEditsOf(const CameraProfile& c) {
    // The pixel size is derived, not rounded: the ground pixel of the page then equals
    // height x sensor width / (focal length x pixels) to the last digit.
    const double pixelUm = c.imageWidthPx > 0 ? c.sensorWidthMm * 1000.0 / c.imageWidthPx : 0.0;
    return {FormatGeneral(c.focalMm), FormatGeneral(pixelUm), FormatGeneral(c.imageWidthPx),
            FormatGeneral(c.imageHeightPx)};
}

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

void ApplyDroneCamera(ParamPageModel& p, const DroneProfile& d) {
    CameraEdits e = CameraEditsOf(d.camera);
    p.EditF = std::move(e.EditF);
    p.EditAufloesung = std::move(e.EditAufloesung);
    p.EditXb = std::move(e.EditXb);
    p.EditYb = std::move(e.EditYb);
    p.CheckBoxFormatCaption = FormatCaptionOf(d.camera.imageWidthPx, d.camera.imageHeightPx);
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
