// Overlay drawing of the window: each operation appends to the display list, then the map
// copy page comes to the front when asked and the overlay is repainted.
#include <QTabWidget>

#include "georef/transform.h"
#include "imageviewer.h"
#include "mainform.h"
#include "model/draw.h"

void TMainForm::AfterDraw() {
    if (overlay_.TakeFrontRequest())
        BringMapToFront();
    ImageViewer2->update();
}

void TMainForm::BringMapToFront() {
    Tabcontrol1->setCurrentWidget(TabItemKarte);
}

void TMainForm::ShowPoints() {
    korvale::ShowPoints(state_, overlay_);
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
    korvale::Trafall(state_);
    overlay_.Clear(); // back to the clean map copy
    if (!state_.BorderIdx.empty())
        ShowPoints();
    if (!state_.FlightSegs.empty())
        FlightLines();
    if (!state_.FreeLines.empty())
        ShowFreeline();
    if (state_.Orbit)
        ShowOrbit();
    AfterDraw();
}

void TMainForm::TabItemKarteClick() {
    ShowPoints();
    if (state_.Orbit)
        ShowOrbit();
    if (!state_.CutPoints.empty())
        FlightLines();
    if (!state_.FreeLines.empty())
        DisplayFreeline();
}
