// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The speed limit beside the speed box, the modelled flight time beside "Zeit Min", and the
// values of the pre-flight sheet that come from the pages.
#include <QComboBox>
#include <QLabel>

#include "mainform.h"
#include "model/convert.h"
#include "model/error.h"
#include "numberboxwidget.h"

double TMainForm::PartModelMinutes(const korvale::MissionPart& part) const {
    return part.timeMin;
}

korvale::PreflightInput TMainForm::PreflightBasics() const {
    korvale::PreflightInput in;
    const korvale::DroneProfile* d = PickedDrone();
    if (!d && ComboBoxDrone)
        for (const korvale::DroneProfile& p : drones_)
            if (QString::fromStdString(p.key) == ComboBoxDrone->currentData().toString())
                d = &p;
    if (d) {
        in.app = d->app;
        in.droneName = PickedDrone() ? d->name : d->name + " (eigene Kamerawerte)";
    }
    in.heightM = param_.NumberBoxH.Value();
    in.speedMps = param_.NumberBoxV.Value() / 3.6;
    in.batteryMin = litchi_.NumberBoxAkku.Value();
    in.reservePct = drone_.NumberBoxReserve.Value();
    in.exposureS = drone_.ExposureS();
    // The picture size is only named on the sheet; a text that is no number leaves it out.
    auto pixels = [](const std::string& text) {
        try {
            return static_cast<int>(korvale::RoundHalfEven(korvale::StrToFloat(text)));
        } catch (const korvale::Error&) {
            return 0;
        }
    };
    in.imageWidthPx = pixels(param_.EditXb);
    in.imageHeightPx = pixels(param_.EditYb);
    return in;
}
