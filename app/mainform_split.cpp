// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Long missions in parts: the number of batteries beside the plan's totals, and each part in
// its own colour on the map copy, so the pilot sees where each battery ends.
#include "litchi/split.h"
#include "mainform.h"
#include "model/error.h"
#include "numberboxwidget.h"

void TMainForm::ShowBatteries() {
    const std::string note = korvale::ShowBatteries(state_, param_, litchi_);
    NumberBoxAkkus->Refresh();
    NumberBoxDateien->Refresh();
    if (!note.empty())
        SetStatus(QString::fromStdString(note));
}

void TMainForm::DrawMissionParts() {
    try {
        korvale::DrawMissionParts(
            state_, korvale::MissionPartsOf(state_, korvale::SplitOptionsOf(param_, litchi_)),
            overlay_);
    } catch (const korvale::Error&) {
        // A mission that cannot be cut is drawn whole; "Schreib CSV" says why it is refused.
    }
}
