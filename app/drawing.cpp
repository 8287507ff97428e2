// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Overlay drawing of the window: each operation appends to the display list, then the map
// copy page comes to the front when asked and the overlay is repainted.
#include <QLabel>
#include <QTabWidget>

#include "georef/transform.h"
#include "imageviewer.h"
#include "mainform.h"
#include "model/draw.h"
#include "model/error.h"

void TMainForm::AfterDraw() {
    if (overlay_.TakeFrontRequest())
        BringMapToFront();
    ImageViewer2->update();
}

void TMainForm::BringMapToFront() {
    Tabcontrol1->setCurrentWidget(TabItemKarte);
}

namespace {

// A redraw the user did not ask to plan (a tab click, a measurement, an orbit, a point) draws
// everything else and leaves the plan out when a planning value cannot plan; the reason goes
// to the status line. "Calc Raster" and the file writers still report it in a message box.
void FlightLinesQuietly(TMainForm& w) {
    try {
        w.FlightLines();
    } catch (const korvale::Error& e) {
        w.SetStatus(QStringLiteral("Flugplan nicht gezeichnet: ") +
                    QString::fromStdString(e.what()).section('\n', 0, 0));
    }
}

bool SamePrimitive(const korvale::Primitive& a, const korvale::Primitive& b) {
    return a.kind == b.kind && a.stroke == b.stroke && a.fill == b.fill && a.x1 == b.x1 &&
           a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 && a.text == b.text;
}

// Whether the overlay already ends with exactly these primitives.
bool EndsWith(const korvale::Overlay& o, const korvale::Overlay& tail) {
    const auto& a = o.Items();
    const auto& b = tail.Items();
    if (b.size() > a.size())
        return false;
    const std::size_t off = a.size() - b.size();
    for (std::size_t i = 0; i < b.size(); ++i)
        if (!SamePrimitive(a[off + i], b[i]))
            return false;
    return true;
}

} // namespace

void TMainForm::ShowPoints() {
    korvale::Overlay markers;
    korvale::ShowPoints(state_, markers);
    // A release right after a press would paint the very same markers a second time over
    // themselves; they are on top already, so the layer keeps one copy.
    if (markers.Size() == 0 || !EndsWith(overlay_, markers))
        korvale::ShowPoints(state_, overlay_);
    overlay_.RequestFront();
    AfterDraw();
}

void TMainForm::ShowBorder() {
    korvale::ShowBorder(state_, overlay_);
    AfterDraw();
}

void TMainForm::ShowFreeline() {
    korvale::ShowFreeline(state_, overlay_);
    AfterDraw();
}

void TMainForm::DisplayBorderLine() {
    korvale::DisplayBorderLine(state_, overlay_);
    AfterDraw();
}

void TMainForm::DisplayFreeline() {
    korvale::DisplayFreeline(state_, overlay_);
    AfterDraw();
}

void TMainForm::Showgrafik() {
    Redraw(true);
}

void TMainForm::Redraw(bool withPlan) {
    korvale::Trafall(state_);
    overlay_.Clear(); // back to the clean map copy
    if (!state_.BorderIdx.empty())
        ShowPoints();
    // The plan draws the ring with it; without a plan the ring is drawn on its own.
    if (withPlan && !state_.FlightSegs.empty())
        FlightLinesQuietly(*this);
    else if (!state_.BorderLines.empty())
        DisplayBorderLine();
    if (!state_.FreeLines.empty())
        ShowFreeline();
    if (state_.Orbit)
        ShowOrbit();
    if (!state_.Zones.empty())
        ShowZones();
    ShowResiduals();
    AfterDraw();
}

void TMainForm::TabItemKarteClick() {
    // Opening the page shows the clean map copy, and the click draws the overlay anew; a layer
    // that kept the old drawing would grow by a whole plan with every click on the tab.
    overlay_.Clear();
    ShowPoints();
    if (state_.Orbit)
        ShowOrbit();
    if (!state_.CutPoints.empty())
        FlightLinesQuietly(*this);
    else if (!state_.BorderLines.empty())
        DisplayBorderLine();
    if (!state_.FreeLines.empty())
        DisplayFreeline();
    if (!state_.Zones.empty())
        ShowZones();
    ShowResiduals();
}
