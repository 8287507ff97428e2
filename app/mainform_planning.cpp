// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The "Korvale" page: camera and flight parameters, results, and the planning run.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "mainform.h"
#include "numberboxwidget.h"
#include "pagelayout.h"
#include "planning/border.h"
#include "planning/params.h"
#include "planning/path.h"

using korvale::NumberBoxWidget;
using namespace korvale::pages;

namespace {

QLineEdit* TextEdit(const QString& name, const std::string& text, int width, QWidget* parent) {
    auto* e = new QLineEdit(QString::fromStdString(text), parent);
    e->setObjectName(name);
    e->setFixedWidth(width);
    return e;
}

QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

void TMainForm::BuildParameterPage(QWidget* page) {
    auto box = [&](korvale::NumberBox& b, const char* name, int width) {
        return Narrow(new NumberBoxWidget(&b, QString::fromLatin1(name), page), width);
    };
    korvale::ParamPageModel& p = param_;

    EditF = TextEdit("EditF", p.EditF, 44, page);
    EditAufloesung = TextEdit("EditAufloesung", p.EditAufloesung, 52, page);
    CheckBoxFormat = new QCheckBox(QString::fromStdString(p.CheckBoxFormatCaption), page);
    CheckBoxFormat->setObjectName("CheckBoxFormat");
    CheckBoxFormat->setChecked(p.CheckBoxFormat);
    EditXb = TextEdit("EditXb", p.EditXb, 46, page);
    EditYb = TextEdit("EditYb", p.EditYb, 46, page);
    NumberBoxLG = box(p.NumberBoxLG, "NumberBoxLG", 54);
    NumberBoxBG = box(p.NumberBoxBG, "NumberBoxBG", 54);

    NumberBoxP = box(p.NumberBoxP, "NumberBoxP", 40);
    NumberBoxQ = box(p.NumberBoxQ, "NumberBoxQ", 40);
    NumberBoxH = box(p.NumberBoxH, "NumberBoxH", 48);
    // The four-pixel size is shown in the general format, up to 15 digits.
    NumberBoxBA = box(p.NumberBoxBA, "NumberBoxBA", 70);
    NumberBoxBA->setFixedWidth(NumberBoxBA->fontMetrics().horizontalAdvance("4.58233890214797") +
                               16);
    NumberBoxV = box(p.NumberBoxV, "NumberBoxV", 40);
    NumberBoxFlugzeit = box(p.NumberBoxFlugzeit, "NumberBoxFlugzeit", 44);

    NumberBoxA = box(p.NumberBoxA, "NumberBoxA", 52);
    NumberBoxB = box(p.NumberBoxB, "NumberBoxB", 52);
    NumberBoxFrameS = box(p.NumberBoxFrameS, "NumberBoxFrameS", 52);
    NumberBoxStreifen = box(p.NumberBoxStreifen, "NumberBoxStreifen", 48);
    NumberBoxWeg = box(p.NumberBoxWeg, "NumberBoxWeg", 56);
    NumberBoxFlaeche = box(p.NumberBoxFlaeche, "NumberBoxFlaeche", 80);

    NumberBoxBilder = box(p.NumberBoxBilder, "NumberBoxBilder", 56);
    NumberBoxAkkus = box(p.NumberBoxAkkus, "NumberBoxAkkus", 36);
    NumberBoxAkkus->setToolTip(QStringLiteral(
        "Akkus der Litchi-Mission (Akku (min) und Max. Wegpunkte: Seite Litchi CSV)"));
    NumberBoxDateien = box(p.NumberBoxDateien, "NumberBoxDateien", 36);
    NumberBoxDateien->setToolTip(QStringLiteral(
        "Dateien der Litchi-Mission: ein Teil endet am Akku oder an Max. Wegpunkte"));
    NumberBoxRi = box(p.NumberBoxRi, "NumberBoxRi", 56);
    ButtonWaypts = Button("ButtonWaypts", "Calc Raster", page);
    ButtonAlfaAuto = Button("ButtonAlfaAuto", "Alfa auto", page);

    EditDXFFileName = TextEdit("EditDXFFileName", p.EditDXFFileName, 280, page);
    Button5 = Button("Button5", "Schreib DXF", page);
    EditKVName = TextEdit("EditKVName", p.EditKVName, 280, page);
    EditKVName->setToolTip("Doppelklick: Dateiname wählen");
    ButtonSaveKV = Button("ButtonSaveKV", "Karte sichern", page);
    ButtonLoadKV = Button("ButtonLoadKV", "Karte laden", page);
    BuildDroneControls(page);

    auto* col = new QVBoxLayout(page);
    col->setContentsMargins(6, 4, 6, 4);
    col->setSpacing(4);
    AddRow(col, {Labelled("Drohne", {ComboBoxKamera}, page)});
    AddRow(col,
           {Labelled("c mm", {EditF}, page),
            Labelled("Pixel µm   Format", {EditAufloesung, CheckBoxFormat}, page),
            Labelled("  X pix    Y pix         L m         B m ",
                     {EditXb, EditYb, NumberBoxLG, NumberBoxBG}, page)},
           MakeLabel("Kamera", page));
    col->addSpacing(6);
    AddRow(col,
           {Labelled("Längs %    Quer %", {NumberBoxP, NumberBoxQ}, page),
            Labelled("Höhe m", {NumberBoxH}, page), Labelled("4x4 pix cm", {NumberBoxBA}, page),
            Labelled("v km/h", {NumberBoxV}, page), Labelled("Zeit Min", {NumberBoxFlugzeit}, page),
            Labelled("Flugzeit Modell", {NumberBoxFlugzeitModell}, page)},
           MakeLabel("Flugplanung", page));
    AddRow(col, {Labelled("Belichtung 1/s", {NumberBoxBelichtung}, page),
                 Labelled("Versatz px", {NumberBoxVersatz}, page),
                 Labelled("Reserve %", {NumberBoxReserve}, page),
                 Labelled("Grenze v km/h", {NumberBoxVmax, LabelSpeedLimit}, page)});
    col->addSpacing(6);
    AddRow(col,
           {Labelled("Längs m      Quer m", {NumberBoxA, NumberBoxB}, page),
            Labelled("Bildfolge s ", {NumberBoxFrameS}, page),
            Labelled("Streifen", {NumberBoxStreifen}, page),
            Labelled("Weg m", {NumberBoxWeg}, page),
            Labelled("Fläche ha", {NumberBoxFlaeche}, page)},
           MakeLabel("Bildabstand  ", page));
    col->addSpacing(6);
    AddRow(col,
           {Labelled("Bilder", {NumberBoxBilder}, page), Labelled("Akkus", {NumberBoxAkkus}, page),
            Labelled("Dateien", {NumberBoxDateien}, page),
            Labelled("Alfa °", {NumberBoxRi, ButtonAlfaAuto}, page),
            Labelled("", {ButtonWaypts}, page)});
    col->addSpacing(10);
    AddRow(col, {Labelled("DXF Filename", {EditDXFFileName, Button5}, page)});
    AddRow(col, {ExchangeExportRow(page)});
    AddRow(col, {CoverageRow(page)});
    col->addSpacing(6);
    AddRow(col, {Labelled("Korvale Filename", {EditKVName, ButtonSaveKV}, page)});
    AddRow(col, {Labelled("", {Narrow(new QWidget(page), 284), ButtonLoadKV}, page)});
    AddRow(col, {GeoreferenceRow(page)});
    AddRow(col, {TerrainRow(page)});
    col->addStretch(1);

    // The text edits keep the model current; they have no handler of their own, so the
    // derived values wait for the next computation.
    auto keep = [this](QLineEdit* e, std::string korvale::ParamPageModel::*field) {
        connect(e, &QLineEdit::textChanged, this,
                [this, field](const QString& t) { param_.*field = t.toStdString(); });
    };
    keep(EditF, &korvale::ParamPageModel::EditF);
    keep(EditAufloesung, &korvale::ParamPageModel::EditAufloesung);
    keep(EditXb, &korvale::ParamPageModel::EditXb);
    keep(EditYb, &korvale::ParamPageModel::EditYb);
    keep(EditDXFFileName, &korvale::ParamPageModel::EditDXFFileName);
    keep(EditKVName, &korvale::ParamPageModel::EditKVName);
    // Typing in a camera edit makes the drone picker say whether the profile still holds.
    // The edit's text reaches the model before the picker compares it.
    auto pick = [this](QLineEdit* e, std::string korvale::ParamPageModel::*field) {
        connect(e, &QLineEdit::textEdited, this, [this, field](const QString& t) {
            param_.*field = t.toStdString();
            ShowDronePick();
        });
    };
    pick(EditF, &korvale::ParamPageModel::EditF);
    pick(EditAufloesung, &korvale::ParamPageModel::EditAufloesung);
    pick(EditXb, &korvale::ParamPageModel::EditXb);
    pick(EditYb, &korvale::ParamPageModel::EditYb);

    auto bind = [this](NumberBoxWidget* w, void (TMainForm::*handler)()) {
        connect(w, &NumberBoxWidget::userChanged, this,
                [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
    };
    bind(NumberBoxH, &TMainForm::NumberBoxHChange);
    bind(NumberBoxP, &TMainForm::NumberBoxPChange);
    bind(NumberBoxQ, &TMainForm::NumberBoxQChange);
    bind(NumberBoxV, &TMainForm::NumberBoxVChange);
    // The grid direction is read when the planning runs; nothing to do on its change.

    connect(CheckBoxFormat, &QCheckBox::clicked, this,
            [this] { Guard([this] { CheckBoxFormatClick(); }); });
    auto click = [this](QPushButton* b, void (TMainForm::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
    };
    click(ButtonWaypts, &TMainForm::ButtonWayptsClick);
    click(ButtonAlfaAuto, &TMainForm::ButtonAlfaAutoClick);
    click(Button5, &TMainForm::Button5Click);
    click(ButtonSaveKV, &TMainForm::ButtonSaveKVClick);
    click(ButtonLoadKV, &TMainForm::ButtonLoadKVClick);
    new DoubleClickWatcher(EditKVName, [this] { Guard([this] { EditKVNameDblClick(); }); });
    new DoubleClickWatcher(EditDXFFileName, [this] {
        Guard([this] { PickWriteName(EditDXFFileName, QStringLiteral("DXF-Datei wählen")); });
    });
}

void TMainForm::RefreshParameterPage() {
    const korvale::ParamPageModel& p = param_;
    auto set = [](QLineEdit* e, const std::string& text) {
        const QString t = QString::fromStdString(text);
        if (e->text() != t)
            e->setText(t);
    };
    set(EditF, p.EditF);
    set(EditAufloesung, p.EditAufloesung);
    set(EditXb, p.EditXb);
    set(EditYb, p.EditYb);
    set(EditDXFFileName, p.EditDXFFileName);
    set(EditKVName, p.EditKVName);
    CheckBoxFormat->setChecked(p.CheckBoxFormat);
    CheckBoxFormat->setText(QString::fromStdString(p.CheckBoxFormatCaption));
    for (NumberBoxWidget* w : {NumberBoxLG, NumberBoxBG, NumberBoxP, NumberBoxQ, NumberBoxH,
                               NumberBoxBA, NumberBoxV, NumberBoxFlugzeit, NumberBoxA, NumberBoxB,
                               NumberBoxFrameS, NumberBoxStreifen, NumberBoxWeg, NumberBoxFlaeche,
                               NumberBoxBilder, NumberBoxAkkus, NumberBoxDateien, NumberBoxRi})
        w->Refresh();
    for (NumberBoxWidget* w : {NumberBoxBelichtung, NumberBoxVersatz, NumberBoxReserve,
                               NumberBoxFlugzeitModell, NumberBoxVmax})
        w->Refresh();
}

void TMainForm::Rechnen() {
    // The core refuses before touching any box; the page shows whatever the model holds.
    std::string status;
    try {
        status = korvale::Rechnen(param_);
    } catch (...) {
        RefreshParameterPage();
        throw;
    }
    RefreshParameterPage();
    if (!status.empty())
        SetStatus(QString::fromStdString(status));
    // Height, photo base and camera set the speed limit.
    ShowSpeedLimit();
}

void TMainForm::NumberBoxHChange() {
    Rechnen();
}
void TMainForm::NumberBoxPChange() {
    Rechnen();
}
void TMainForm::NumberBoxQChange() {
    Rechnen();
}
void TMainForm::NumberBoxVChange() {
    Rechnen();
}

void TMainForm::CheckBoxFormatClick() {
    param_.CheckBoxFormat = CheckBoxFormat->isChecked();
    korvale::CheckBoxFormatClick(param_);
    RefreshParameterPage();
}

void TMainForm::SetBorderPointer() {
    korvale::SetBorderPointer(state_, param_);
    NumberBoxFlaeche->Refresh();
}

void TMainForm::SetFreeLine() {
    korvale::SetFreeLine(state_);
}

void TMainForm::RunPlanningStep(const std::function<void()>& step) {
    // The page shows the boxes and the drawing as the step left them, also when it refused
    // part way (what was done before stays done).
    try {
        step();
    } catch (...) {
        RefreshParameterPage();
        AfterDraw();
        Autosave();
        throw;
    }
    RefreshParameterPage();
    AfterDraw();
    Autosave();
}

void TMainForm::FlightLines() {
    RunPlanningStep([this] {
        korvale::FlightLines(state_, param_, overlay_, plans_);
        ShowBatteries();
        UpdateCoverage();
        const std::string note = korvale::MergedCornersNote(state_);
        if (!note.empty())
            SetStatus(QString::fromStdString(note), true);
    });
}

void TMainForm::CalcFlugWeg() {
    RunPlanningStep([this] {
        korvale::CalcFlugWeg(state_, param_, overlay_, plans_);
        ShowBatteries();
    });
}

void TMainForm::ButtonWayptsClick() {
    Rechnen();
    // The redraw would plan and draw the existing plan once more, only to have the run below
    // paint the very same plan over it: with an 11,000-picture plan that doubles the work of
    // the button. The run below draws it last, as before.
    Redraw(false);
    ShowPoints();
    FlightLines();
}
