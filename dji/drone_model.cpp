// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dji/drone_model.h"

namespace korvale {

CameraValues CameraValuesOf(const DroneProfile& d) {
    const CameraProfile& c = d.camera;
    CameraValues v;
    v.focalMm = c.focalMm;
    // The page's pixel size is the pitch across the long side, as the sensor's width over its
    // pixels gives it; the boxes show it to four decimals, far below the spread of published
    // sensor sizes.
    v.pixelUm = c.sensorWidthMm / c.imageWidthPx * 1000.0;
    v.pixelsX = c.imageWidthPx;
    v.pixelsY = c.imageHeightPx;
    return v;
}

DroneFlightValues FlightValuesOf(const DroneProfile& d) {
    DroneFlightValues f;
    f.rollingShutter = d.camera.shutter != "mechanical";
    f.readoutS = f.rollingShutter ? d.camera.readoutMs / 1000.0 : 0;
    f.minPhotoIntervalS = d.camera.minPhotoIntervalS;
    f.speedCapMps = d.speedCapMps;
    f.photoWaypoints = !d.firesDistanceTriggers;
    f.model.climbMps = d.flight.climbMps;
    f.model.descentMps = d.flight.descentMps;
    f.model.transitMps = d.flight.transitMps;
    f.model.accelMps2 = d.flight.accelMps2;
    f.model.hoverStopS = d.flight.hoverStopS;
    f.model.photoStopS = d.flight.photoStopS;
    // An app without distance triggers takes each picture as a waypoint action, which the
    // drone flies to and stops at.
    f.model.stopsAtPhotos = !d.firesDistanceTriggers;
    return f;
}

void PickDroneProfile(ParamPageModel& p, const DroneProfile& d) {
    p.DroneKey = d.key;
    p.Drohne = FlightValuesOf(d);
    ApplyCameraValues(p, CameraValuesOf(d));
}

void DropDroneProfile(ParamPageModel& p) {
    p.DroneKey.clear();
    p.Drohne = DroneFlightValues{};
}

bool PageHasDroneCamera(const ParamPageModel& p, const DroneProfile& d) {
    return PageHasCamera(p, CameraValuesOf(d));
}

} // namespace korvale
