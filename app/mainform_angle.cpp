// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// "Alfa auto" on the "Korvale" page: sets the grid direction to the one with the fewest flight
// lines and runs the planning as "Calc Raster" does.
#include <QLabel>

#include "georef/transform.h"
#include "mainform.h"
#include "model/error.h"
#include "model/format.h"
#include "numberboxwidget.h"
#include "planning/angle.h"
#include "planning/border.h"
#include "planning/plan.h"

void TMainForm::ButtonAlfaAutoClick() {
    // The spacing the search lays the grid with is the one the planning will use.
    Rechnen();
    korvale::Trafall(state_);
    SetBorderPointer();
    if (state_.BorderIdx.empty())
        throw korvale::Error(korvale::ErrorKind::Refused,
                             "Alfa auto braucht ein Gebiet.\nBitte zuerst mit RL die Ecken des "
                             "Gebiets setzen und RL noch einmal drücken, um es zu schließen.");
    // A ring the planner refuses leaves the direction as it was.
    const korvale::GridAngleResult g =
        korvale::BestGridAngle(korvale::BorderRing(state_), param_.NumberBoxB.Value());
    param_.NumberBoxRi.SetValue(g.Ri);
    NumberBoxRi->Refresh();
    ButtonWayptsClick();
    SetStatus(QString::fromStdString(korvale::Format("Alfa auto: %.2f°, %d Streifen, Weg %.0f m",
                                                     {g.Ri, g.strips, g.pathM})),
              true);
}
