// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The "Sperrfläche" tool: exclusion zones clicked corner by corner on the map copy.
#include <QToolButton>

#include "mainform.h"
#include "model/format.h"
#include "model/tools.h"
#include "model/zonedraw.h"
#include "numberboxwidget.h"
#include "planning/edits.h"

using korvale::Tool;

void TMainForm::ButtonZoneClick() {
    ReleaseOthers(Tool::Zone);
    // Each press of the button begins a new zone; releasing it closes the one drawn.
    zoneOpen_ = false;
    if (ButtonZone->isChecked())
        SetStatus(QStringLiteral("Sperrfläche: Ecken der Reihe nach setzen, zum Schließen "
                                 "die Schaltfläche erneut drücken"));
    Showgrafik();
    ShowPoints();
}

void TMainForm::ZonePress(float xb, float yb) {
    korvale::AddZoneCorner(state_, param_, xb, yb, !zoneOpen_, &history_);
    zoneOpen_ = true;
    NumberBoxFlaeche->Refresh();
    PointsChanged();
    SetStatus(QString::fromStdString(korvale::Format(
        "Sperrfläche %d: %d Ecken", {static_cast<long long>(state_.Zones.size()),
                                     static_cast<long long>(state_.Zones.back().size())})));
    Showgrafik();
    ShowPoints();
}

void TMainForm::ShowZones() {
    korvale::DisplayZones(state_, overlay_, zoneOpen_ && ButtonZone->isChecked());
    AfterDraw();
}
