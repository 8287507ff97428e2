// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/drone_page.h"

#include <cmath>

#include "model/convert.h"
#include "model/error.h"
#include "model/format.h"

namespace korvale {

std::string CameraText(double v) {
    std::string t = FormatFixed(v, 4);
    if (t.find('.') != std::string::npos) {
        while (t.back() == '0')
            t.pop_back();
        if (t.back() == '.')
            t.pop_back();
    }
    return t;
}

void ApplyCameraValues(ParamPageModel& p, const CameraValues& c) {
    p.EditF = CameraText(c.focalMm);
    p.EditAufloesung = CameraText(c.pixelUm);
    p.EditXb = CameraText(c.pixelsX);
    p.EditYb = CameraText(c.pixelsY);
}

bool PageHasCamera(const ParamPageModel& p, const CameraValues& c) {
    const std::pair<const std::string*, double> boxes[] = {{&p.EditF, c.focalMm},
                                                           {&p.EditAufloesung, c.pixelUm},
                                                           {&p.EditXb, c.pixelsX},
                                                           {&p.EditYb, c.pixelsY}};
    try {
        for (const auto& [text, v] : boxes)
            if (StrToFloat(*text) != StrToFloat(CameraText(v)))
                return false;
    } catch (const Error&) {
        return false;
    }
    return true;
}

double GroundPixelM(const CameraValues& c, double heightM) {
    return heightM * c.pixelUm / c.focalMm / 1000.0;
}

CameraValues CameraOfPage(const ParamPageModel& p) {
    CameraValues c;
    c.focalMm = StrToFloat(p.EditF);
    c.pixelUm = StrToFloat(p.EditAufloesung);
    const double x = StrToFloat(p.EditXb);
    const double y = StrToFloat(p.EditYb);
    c.pixelsX = std::isfinite(x) && std::abs(x) < 1e9 ? static_cast<int>(std::lround(x)) : 0;
    c.pixelsY = std::isfinite(y) && std::abs(y) < 1e9 ? static_cast<int>(std::lround(y)) : 0;
    return c;
}

SpeedLimit SpeedLimitOfPage(const ParamPageModel& p) {
    const CameraValues c = CameraOfPage(p);
    SpeedLimitInput in;
    in.groundPixelM = GroundPixelM(c, p.NumberBoxH.Value());
    in.exposureS = 1.0 / p.NumberBoxBelichtung.Value();
    in.allowedShiftPx = p.NumberBoxVersatz.Value();
    in.rollingShutter = p.Drohne.rollingShutter;
    in.readoutS = p.Drohne.readoutS;
    in.minPhotoIntervalS = p.Drohne.minPhotoIntervalS;
    in.photoBaseM = p.NumberBoxA.Value();
    in.droneCapMps = p.Drohne.speedCapMps;
    return MaxSpeed(in);
}

std::string ShowSpeedLimit(ParamPageModel& p) {
    SpeedLimit s;
    try {
        s = SpeedLimitOfPage(p);
    } catch (const Error&) {
        p.NumberBoxVmax.SetValue(0);
        p.LabelVmax.clear();
        return {};
    }
    const double kmh = s.maxMps * 3.6;
    p.NumberBoxVmax.SetValue(std::isfinite(kmh) ? kmh : p.NumberBoxVmax.Max());
    p.LabelVmax = std::string(SpeedLimitName(s.by));
    const double v = p.NumberBoxV.Value();
    if (!(v > kmh))
        return {};
    return Format("v %s km/h liegt über der Grenze von %s km/h (%s).",
                  {FormatGeneral(v), FormatFixed(kmh, 1), p.LabelVmax});
}

} // namespace korvale
