// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/speed_limit.h"

#include <cmath>
#include <limits>

#include "model/error.h"
#include "model/format.h"

namespace korvale {
namespace {

constexpr double kNone = std::numeric_limits<double>::infinity();

void Check(bool ok, const char* what, double v) {
    if (!ok)
        throw Error(ErrorKind::Refused, Format("Geschwindigkeitsgrenze: %s ist ungültig (%s).",
                                               {what, FormatGeneral(v)}));
}

} // namespace

std::string_view SpeedLimitName(SpeedLimitBy by) {
    switch (by) {
    case SpeedLimitBy::Bildfolge:
        return "Bildfolge";
    case SpeedLimitBy::Bewegungsunschaerfe:
        return "Bewegungsunschärfe";
    case SpeedLimitBy::RollingShutter:
        return "Rolling Shutter";
    case SpeedLimitBy::Drohne:
        break;
    }
    return "Drohne";
}

SpeedLimit MaxSpeed(const SpeedLimitInput& in) {
    auto positive = [](double v) { return v > 0 && std::isfinite(v); };
    auto notNegative = [](double v) { return v >= 0 && std::isfinite(v); };
    Check(positive(in.groundPixelM), "die Bodenauflösung (m)", in.groundPixelM);
    Check(positive(in.exposureS), "die Belichtungszeit (s)", in.exposureS);
    Check(positive(in.allowedShiftPx), "der erlaubte Versatz (Pixel)", in.allowedShiftPx);
    Check(notNegative(in.readoutS), "die Auslesezeit (s)", in.readoutS);
    Check(notNegative(in.minPhotoIntervalS), "die kürzeste Bildfolge (s)", in.minPhotoIntervalS);
    Check(notNegative(in.photoBaseM), "der Bildabstand (m)", in.photoBaseM);
    Check(notNegative(in.droneCapMps), "die Höchstgeschwindigkeit der Drohne (m/s)",
          in.droneCapMps);

    const double shiftM = in.allowedShiftPx * in.groundPixelM;
    SpeedLimit s;
    // Two pictures a photo base apart cannot follow faster than the camera's interval.
    s.bildfolgeMps = in.minPhotoIntervalS > 0 ? in.photoBaseM / in.minPhotoIntervalS : kNone;
    // While the shutter is open the picture smears by the way flown.
    s.blurMps = shiftM / in.exposureS;
    // While a rolling shutter reads the frame line by line, the first and the last line see
    // the ground shifted by the way flown.
    s.rollingShutterMps = in.rollingShutter && in.readoutS > 0 ? shiftM / in.readoutS : kNone;
    s.droneMps = in.droneCapMps > 0 ? in.droneCapMps : kNone;
    s.maxMps = s.bildfolgeMps;
    s.by = SpeedLimitBy::Bildfolge;
    const std::pair<double, SpeedLimitBy> rest[] = {
        {s.blurMps, SpeedLimitBy::Bewegungsunschaerfe},
        {s.rollingShutterMps, SpeedLimitBy::RollingShutter},
        {s.droneMps, SpeedLimitBy::Drohne}};
    for (const auto& [v, by] : rest) {
        if (v < s.maxMps) {
            s.maxMps = v;
            s.by = by;
        }
    }
    if (s.maxMps == kNone)
        s.by = SpeedLimitBy::Drohne;
    return s;
}

} // namespace korvale
