// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/params.h"

#include <cmath>

#include "model/convert.h"
#include "model/error.h"
#include "model/format.h"

namespace korvale {

std::string Rechnen(ParamPageModel& p) {
    // Every text is converted before the first box is written, so a text that is no number
    // leaves the whole page as it was.
    const double focalMm = StrToFloat(p.EditF);
    const double pixelUm = StrToFloat(p.EditAufloesung);
    const double pixelsX = StrToFloat(p.EditXb);
    const double pixelsY = StrToFloat(p.EditYb);
    // The focal length divides the height: 0 would give an infinite scale and a negative one
    // a footprint of negative size. Refuse both before anything changes.
    if (!(focalMm > 0))
        throw Error(ErrorKind::Refused, "Die Brennweite c muss größer als 0 mm sein.");

    const double c = focalMm / 1000.0;                       // focal length, m
    const double v = p.NumberBoxV.Value() * 1000.0 / 3600.0; // speed, m/s
    const double pixel = pixelUm / 1000000.0;                // pixel size, m
    const double sensorX = pixelsX * pixel;                  // sensor extent across, m
    const double sensorY = pixelsY * pixel;                  // sensor extent along, m
    const double scale = p.NumberBoxH.Value() / c;           // ground metres per sensor metre
    const double groundX = sensorX * scale;
    const double groundY = sensorY * scale;
    const double fourPixelsCm = pixelUm * 4.0 / 10000.0 * scale;
    // Numbers each within range may still multiply beyond it; a box would then keep an old
    // value beside new ones, so such inputs are refused as a whole.
    if (!std::isfinite(groundX) || !std::isfinite(groundY) || !std::isfinite(fourPixelsCm))
        throw Error(ErrorKind::Limit, "Die Kameradaten ergeben keine gültige Bildgröße.");

    p.NumberBoxLG.SetValue(groundY);
    p.NumberBoxBG.SetValue(groundX);
    // Photo base and strip spacing can never exceed the footprint they are taken from.
    p.NumberBoxA.SetMax(p.NumberBoxLG.Value());
    p.NumberBoxB.SetMax(p.NumberBoxBG.Value());
    p.NumberBoxA.SetValue((1.0 - p.NumberBoxP.Value() / 100.0) * groundY);
    p.NumberBoxB.SetValue((1.0 - p.NumberBoxQ.Value() / 100.0) * groundX);

    std::string status;
    if (v > 0) {
        p.NumberBoxFrameS.SetValue(p.NumberBoxA.Value() / v);
    } else {
        // Standing still there is no interval between pictures; show 0 and say why.
        p.NumberBoxFrameS.SetValue(0);
        status = "Geschwindigkeit 0 km/h: keine Bildfolge berechnet";
    }

    // Centimetres to one decimal, as the box shows its other lengths.
    p.NumberBoxBA.SetText(FormatFixed(fourPixelsCm, 1));
    return status;
}

void CheckBoxFormatClick(ParamPageModel& p) {
    if (p.CheckBoxFormat) {
        p.CheckBoxFormatCaption = "16:9";
        p.EditXb = "5472";
        p.EditYb = "3078";
    } else {
        p.CheckBoxFormatCaption = "3:2";
        p.EditXb = "5472";
        p.EditYb = "3648";
    }
}

} // namespace korvale
