// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The "Litchi CSV" page: waypoint editor, mission files, missions from the plan and the orbit.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

#include <limits>
#include <string>

#include "litchi/csv.h"
#include "litchi/editor.h"
#include "litchi/missions.h"
#include "litchi/orbit.h"
#include "litchi/split.h"
#include "litchi/terrain_mission.h"
#include "litchi/write_check.h"
#include "mainform.h"
#include "model/error.h"
#include "numberboxwidget.h"
#include "pagelayout.h"

using korvale::NumberBoxWidget;
using namespace korvale::pages;

namespace {

QPushButton* Button(const QString& name, const QString& caption, const QString& hint,
                    QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

QCheckBox* Check(const QString& name, const QString& caption, QWidget* parent) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    return c;
}

// A check box that only shows a waypoint's action: the user cannot tick it, so it looks
// disabled and says why.
QCheckBox* ShowOnlyCheck(const QString& name, const QString& caption, QWidget* parent) {
    QCheckBox* c = Check(name, caption, parent);
    c->setEnabled(false);
    c->setFocusPolicy(Qt::NoFocus);
    c->setToolTip(QStringLiteral("Zeigt nur die Aktion des Wegpunkts aus der Litchi-Datei; "
                                 "ändern lässt sie sich in der Litchi-App."));
    return c;
}

// The protocol of a mission file: what was done, the warnings, then what the pilot must set.
void ProtocolMission(QPlainTextEdit* memo, const QString& title,
                     const std::vector<korvale::MissionFinding>& warnings,
                     const std::vector<std::string>& manual) {
    // A blank line keeps one file's block apart from what the protocol held before.
    if (!memo->document()->isEmpty())
        memo->appendPlainText(QString());
    memo->appendPlainText(title);
    if (!warnings.empty())
        memo->appendPlainText(QStringLiteral("Warnungen:"));
    for (const auto& f : warnings)
        memo->appendPlainText(QStringLiteral("  ") + QString::fromStdString(f.text));
    for (const auto& line : manual)
        memo->appendPlainText(QString::fromStdString(line));
}

} // namespace

void TMainForm::BuildLitchiPage(QWidget* page) {
    korvale::LitchiPageModel& m = litchi_;
    auto box = [&](korvale::NumberBox& b, const char* name, int width, const char* hint = nullptr) {
        auto* w = Narrow(new NumberBoxWidget(&b, QString::fromLatin1(name), page), width);
        if (hint != nullptr)
            w->setToolTip(QString::fromUtf8(hint));
        return w;
    };
    NumberBoxLat = box(m.NumberBoxLat, "NumberBoxLat", 82);
    NumberBoxLon = box(m.NumberBoxLon, "NumberBoxLon", 82);
    NumberBoxAlt = box(m.NumberBoxAlt, "NumberBoxAlt", 56);
    NumberBoxAltMode =
        box(m.NumberBoxAltMode, "NumberBoxAltMode", 28, "0: über Start  1: Über Grund");
    NumberBoxHead = box(m.NumberBoxHead, "NumberBoxHead", 76);
    NumberBoxCuSz = box(m.NumberBoxCuSz, "NumberBoxCuSz", 56);
    NumberBoxRotDir = box(m.NumberBoxRotDir, "NumberBoxRotDir", 56);
    NumberBoxGimM =
        box(m.NumberBoxGimM, "NumberBoxGimM", 30, "0:Kein 1:Focus POI 2: interpolieren ");
    NumberBoxGimP = box(m.NumberBoxGimP, "NumberBoxGimP", 46);
    NumberBoxSpeed = box(m.NumberBoxSpeed, "NumberBoxSpeed", 56);
    Label14 = MakeLabel(QString::fromStdString(m.Label14), page, "Label14");
    Label14->setMinimumWidth(40);
    NumberBoxPictS = box(m.NumberBoxPictS, "NumberBoxPictS", 56);
    NumberBoxPictM = box(m.NumberBoxPictM, "NumberBoxPictM", 56);
    NumberBoxTiltCam = box(m.NumberBoxTiltCam, "NumberBoxTiltCam", 44);
    NumberBoxWait = box(m.NumberBoxWait, "NumberBoxWait", 48);
    NumberBoxRotate = box(m.NumberBoxRotate, "NumberBoxRotate", 44);
    NumberBoxPoiLat = box(m.NumberBoxPoiLat, "NumberBoxPoiLat", 82);
    NumberBoxPoiLon = box(m.NumberBoxPoiLon, "NumberBoxPoiLon", 82);
    NumberBoxPoiAlt = box(m.NumberBoxPoiAlt, "NumberBoxPoiAlt", 56);
    NumberBoxPoiAltMode =
        box(m.NumberBoxPoiAltMode, "NumberBoxPoiAltMode", 28, "0:über Start 1: über Grund");
    CheckBoxAlle = Check("CheckBoxAlle", "Alle ändern", page);
    CheckBoxAlle->setToolTip("Änderungen wirken auf alle Linien");
    CheckBoxPhoto = ShowOnlyCheck("CheckBoxPhoto", "Mach Foto", page);
    CheckBoxStartRec = ShowOnlyCheck("CheckBoxStartRec", "StartRec", page);
    CheckBoxStopRec = ShowOnlyCheck("CheckBoxStopRec", "StopRec", page);
    Label15 = MakeLabel("Litchi CSV Filename", page, "Label15");
    EditCVS = new QLineEdit(QString::fromStdString(m.EditCVS), page);
    EditCVS->setObjectName("EditCVS");
    EditCVS->setFixedWidth(180);
    Button7 = Button("Button7", "Lies CSV", "Liest Litchi CSV Datei", page);
    Button6 = Button("Button6", "Schreib CSV", "Schreibt Litchi CSV Datei", page);
    BuildWpmlControls(page);
    NumberBoxActrec = box(m.NumberBoxActrec, "NumberBoxActrec", 36);
    NumberBoxAkku = box(m.NumberBoxAkku, "NumberBoxAkku", 44,
                        "Flugzeit je Akku; längere Missionen werden in Teilen geschrieben");
    NumberBoxMaxWP = box(m.NumberBoxMaxWP, "NumberBoxMaxWP", 44, "Höchstzahl Wegpunkte je Datei");
    Button9 =
        Button("Button9", "Litchi RasterL", "Berechnetes Raster Linien  in Litchi Linien", page);
    Button1 = Button("Button1", "Litchi FreeL", "Freie Linie in Litchi-Linien", page);
    Button8 = Button("Button8", "Display Lines", "Zeigt Litchi-Linien", page);
    CheckBoxNadir = Check("CheckBoxNadir", "Kamera -90°", page);
    CheckBoxNadir->setToolTip(QStringLiteral("Litchi RasterL schreibt in jeden Wegpunkt "
                                             "Gimbalmodus 2 und Neigung -90° (Kamera senkrecht "
                                             "nach unten)"));

    auto* col = new QVBoxLayout(page);
    col->setContentsMargins(6, 6, 6, 4);
    col->setSpacing(4);
    AddRow(col, {Labelled("Lat °", {NumberBoxLat}, page), Labelled("Lon °", {NumberBoxLon}, page),
                 Labelled("Alt m       Mode", {NumberBoxAlt, NumberBoxAltMode}, page),
                 Labelled("Heading  °", {NumberBoxHead}, page)});
    AddRow(col,
           {Labelled("Curv m", {NumberBoxCuSz}, page), Labelled("Rotdir°", {NumberBoxRotDir}, page),
            Labelled("GimM", {NumberBoxGimM}, page), Labelled("GimP°", {NumberBoxGimP}, page),
            Labelled("v m/s            v km/h", {NumberBoxSpeed, Label14}, page)});
    AddRow(col,
           {Labelled("Pict/s", {NumberBoxPictS}, page), Labelled("Pict/m", {NumberBoxPictM}, page),
            Labelled("Kamera °", {NumberBoxTiltCam}, page),
            Labelled("Wait s", {NumberBoxWait}, page), Labelled("Rot °", {NumberBoxRotate}, page)});
    AddRow(col,
           {Labelled("POI Lat°", {NumberBoxPoiLat}, page),
            Labelled("POI Lon°", {NumberBoxPoiLon}, page),
            Labelled("POI Alt m", {NumberBoxPoiAlt}, page),
            Labelled("Mode", {NumberBoxPoiAltMode}, page), Labelled("", {CheckBoxAlle}, page)});
    AddRow(col, {Labelled("", {CheckBoxPhoto, CheckBoxStartRec, CheckBoxStopRec}, page)});
    col->addSpacing(6);
    // The two limits of "Schreib CSV" stand beside it.
    AddRow(col, {Labelled(Label15, {EditCVS, Button7, Button6, ButtonKMZ}, page),
                 Labelled("Akku (min)", {NumberBoxAkku}, page),
                 Labelled("Max. Wegpunkte", {NumberBoxMaxWP}, page)});
    AddRow(col, {Labelled("Drohne (KMZ)", {ComboBoxDrone, BuildPreflightButton(page)}, page)});
    col->addSpacing(10);
    AddRow(col, {Labelled("", {NumberBoxActrec, Button9, Button1, Button8, CheckBoxNadir}, page)});
    col->addStretch(1);

    // Edits of the file name and the "all" switch go straight into the model.
    connect(EditCVS, &QLineEdit::textChanged, this,
            [this](const QString& t) { litchi_.EditCVS = t.toStdString(); });
    connect(CheckBoxAlle, &QCheckBox::toggled, this,
            [this](bool on) { litchi_.CheckBoxAlle = on; });
    connect(CheckBoxNadir, &QCheckBox::toggled, this,
            [this](bool on) { litchi_.CheckBoxNadir = on; });
    // The action check boxes show the waypoint's actions; a click puts back what they show.
    for (const auto& action :
         {std::pair{CheckBoxPhoto, &korvale::LitchiPageModel::CheckBoxPhoto},
          std::pair{CheckBoxStartRec, &korvale::LitchiPageModel::CheckBoxStartRec},
          std::pair{CheckBoxStopRec, &korvale::LitchiPageModel::CheckBoxStopRec}}) {
        QCheckBox* const c = action.first;
        const auto field = action.second;
        connect(c, &QCheckBox::clicked, this, [this, c, field] { c->setChecked(litchi_.*field); });
    }

    using Rule = void (*)(korvale::State&, korvale::LitchiPageModel&);
    auto rule = [this](NumberBoxWidget* w, Rule r) {
        connect(w, &NumberBoxWidget::userChanged, this, [this, r] {
            Guard([this, r] {
                r(state_, litchi_);
                Label14->setText(QString::fromStdString(litchi_.Label14));
            });
        });
    };
    rule(NumberBoxAlt, &korvale::NumberBoxAltChange);
    rule(NumberBoxAltMode, &korvale::NumberBoxAltModeChange);
    rule(NumberBoxHead, &korvale::NumberBoxHeadChange);
    rule(NumberBoxCuSz, &korvale::NumberBoxCuSzChange);
    rule(NumberBoxRotDir, &korvale::NumberBoxRotDirChange);
    rule(NumberBoxGimM, &korvale::NumberBoxGimMChange);
    rule(NumberBoxGimP, &korvale::NumberBoxGimPChange);
    rule(NumberBoxSpeed, &korvale::NumberBoxSpeedChange);
    rule(NumberBoxPictS, &korvale::NumberBoxPictSChange);
    rule(NumberBoxPictM, &korvale::NumberBoxPictMChange);
    rule(NumberBoxTiltCam, &korvale::NumberBoxTiltCamChange);
    rule(NumberBoxPoiLat, &korvale::NumberBoxPoiLatChange);
    rule(NumberBoxPoiLon, &korvale::NumberBoxPoiLonChange);
    connect(NumberBoxActrec, &NumberBoxWidget::userChanged, this,
            [this] { Guard([this] { NumberBoxActrecChange(); }); });
    for (NumberBoxWidget* w : {NumberBoxAkku, NumberBoxMaxWP})
        connect(w, &NumberBoxWidget::userChanged, this,
                [this] { Guard([this] { ShowBatteries(); }); });

    auto click = [this](QPushButton* b, void (TMainForm::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
    };
    click(Button7, &TMainForm::Button7Click);
    click(Button6, &TMainForm::Button6Click);
    click(Button9, &TMainForm::Button9Click);
    click(Button1, &TMainForm::Button1Click);
    click(Button8, &TMainForm::Button8Click);
    new DoubleClickWatcher(EditCVS, [this] {
        Guard([this] { PickWriteName(EditCVS, QStringLiteral("Missionsdatei wählen")); });
    });
}

void TMainForm::RefreshLitchiPage() {
    const korvale::LitchiPageModel& m = litchi_;
    for (NumberBoxWidget* w :
         {NumberBoxLat,    NumberBoxLon,    NumberBoxAlt,     NumberBoxAltMode,    NumberBoxHead,
          NumberBoxCuSz,   NumberBoxRotDir, NumberBoxGimM,    NumberBoxGimP,       NumberBoxSpeed,
          NumberBoxPictS,  NumberBoxPictM,  NumberBoxTiltCam, NumberBoxWait,       NumberBoxRotate,
          NumberBoxPoiLat, NumberBoxPoiLon, NumberBoxPoiAlt,  NumberBoxPoiAltMode, NumberBoxActrec,
          NumberBoxAkku,   NumberBoxMaxWP})
        w->Refresh();
    Label14->setText(QString::fromStdString(m.Label14));
    CheckBoxAlle->setChecked(m.CheckBoxAlle);
    CheckBoxNadir->setChecked(m.CheckBoxNadir);
    CheckBoxPhoto->setChecked(m.CheckBoxPhoto);
    CheckBoxStartRec->setChecked(m.CheckBoxStartRec);
    CheckBoxStopRec->setChecked(m.CheckBoxStopRec);
    const QString name = QString::fromStdString(m.EditCVS);
    if (EditCVS->text() != name)
        EditCVS->setText(name);
}

void TMainForm::NumberBoxActrecChange() {
    korvale::NumberBoxActrecChange(state_, litchi_);
    RefreshLitchiPage();
}

// The selector's rule runs whenever its value changes, also when the program changed it (a
// lowered maximum that clamps it). Core operations that touch the maximum report nothing, so
// the value is compared here.
void TMainForm::SelectorSettled(double before) {
    if (litchi_.NumberBoxActrec.Value() != before)
        korvale::NumberBoxActrecChange(state_, litchi_);
    RefreshLitchiPage();
}

void TMainForm::ShowLitchiCVS(int i) {
    korvale::ShowLitchiCVS(state_, litchi_, i);
    RefreshLitchiPage();
}

void TMainForm::DisplayLitchiRecs() {
    const double before = litchi_.NumberBoxActrec.Value();
    korvale::DisplayLitchiRecs(state_, litchi_, overlay_);
    DrawMissionParts();
    AfterDraw();
    SelectorSettled(before);
}

void TMainForm::Button8Click() {
    DisplayLitchiRecs();
}

void TMainForm::WriteLitchiCVS() {
    // The grid mission of a plan nobody can fly, or no mission at all, is no file: the reason
    // is named before anything is touched.
    if (state_.LitchiRecs.empty() || (litchiGrid_ && !state_.FlightSegs.empty()))
        if (const std::string why = korvale::GridMissionUnflyable(state_, param_); !why.empty())
            throw korvale::Error(korvale::ErrorKind::Refused,
                                 "Schreib CSV: Der Plan ist nicht fliegbar; es wurde nichts "
                                 "geschrieben.\n" +
                                     why);
    // The name is lengthened before the file is created, so the edit shows the name written
    // to even when writing fails.
    std::string name = korvale::LitchiCsvFileName(EditCVS->text().toStdString());
    litchi_.EditCVS = name;
    EditCVS->setText(QString::fromStdString(name));
    // A bare name goes to the last folder the user chose, not to the working directory.
    std::string path = FilePath(QString::fromStdString(name)).toStdString();
    // A mission longer than a battery or a file is written in parts, all of them or none.
    const std::vector<korvale::MissionPart> parts =
        korvale::MissionPartsOf(state_, korvale::SplitOptionsOf(param_, litchi_));
    korvale::MissionCheckOptions opt;
    opt.gridMission = litchiGrid_;
    opt.maxWaypoints = static_cast<int>(litchi_.NumberBoxMaxWP.Value());
    std::vector<std::vector<korvale::TlitchRec>> partRecs;
    partRecs.reserve(parts.size());
    for (const korvale::MissionPart& part : parts)
        partRecs.push_back(part.recs);
    // A mission the drone cannot fly is refused before the file is touched; the findings also
    // go to the protocol, where the pilot can read them next to the mission.
    korvale::MissionWriteCheck check;
    try {
        check = korvale::CheckMissionForWrite(partRecs, opt);
    } catch (const korvale::Error& e) {
        ProtocolMission(Memo1, QString::fromStdString(e.what()), {}, {});
        throw;
    }
    const std::vector<std::string> names = korvale::WriteMissionParts(path, parts);
    const QString done =
        names.size() == 1
            ? QStringLiteral("Litchi CSV geschrieben: ") + QString::fromStdString(path)
            : QStringLiteral("Litchi CSV in %1 Dateien geschrieben: %2 … %3")
                  .arg(names.size())
                  .arg(QString::fromStdString(names.front()), QString::fromStdString(names.back()));
    // Parts of an earlier, longer mission stay; the pilot must not take one of them for a
    // part of this one.
    QStringList older;
    for (const std::string& n : korvale::LeftoverPartNames(path, names.size()))
        older << QFileInfo(QString::fromStdString(n)).fileName();
    const QString leftover =
        older.isEmpty() ? QString()
                        : QStringLiteral(" – Achtung, ältere Missionsdateien liegen daneben: ") +
                              older.join(QStringLiteral(", "));
    ProtocolMission(Memo1, done + leftover, check.warnings,
                    korvale::ManualSettingsLines(state_.LitchiRecs, opt));
    // Soft findings do not stop the file, but the status line says so.
    const std::string warning = korvale::WarningsStatus(check.warnings);
    SetStatus((warning.empty() ? done : QString::fromStdString(warning)) + leftover, true);
}

void TMainForm::Button6Click() {
    WriteLitchiCVS();
}

bool TMainForm::ReadLitchiCVS() {
    const QString chosen =
        AskFileName(FileDialogKind::Open, QStringLiteral("Litchi CSV lesen"), EditCVS->text());
    if (chosen.isEmpty())
        return false;
    EditCVS->setText(chosen);
    // All or nothing: a file that does not read leaves the mission and the selector as they
    // were.
    std::vector<korvale::TlitchRec> recs = korvale::ReadLitchiFile(chosen.toStdString());
    state_.LitchiRecs = std::move(recs);
    litchiGrid_ = false;
    state_.LitchiLineOf.clear();
    korvale::SetActrecMax(state_, litchi_, static_cast<int>(state_.LitchiRecs.size()) - 1);
    litchi_.NumberBoxActrec.SetValue(0);
    korvale::NumberBoxActrecChange(state_, litchi_);
    ShowLitchiCVS(0);
    const QString done = QStringLiteral("Litchi CSV gelesen: %1 (%2 Wegpunkte)")
                             .arg(chosen)
                             .arg(state_.LitchiRecs.size());
    // Another tool's file is checked as ours are before writing, but only to warn: the pilot
    // decides, and the mission may be meant to be changed here.
    const auto warnings = korvale::CheckMissionAfterRead(state_.LitchiRecs);
    ProtocolMission(Memo1, done, warnings, {});
    const std::string warning = korvale::WarningsStatus(warnings);
    SetStatus(warning.empty() ? done : QString::fromStdString(warning), true);
    return true;
}

void TMainForm::Button7Click() {
    if (ReadLitchiCVS())
        DisplayLitchiRecs();
}

void TMainForm::MakeLitchiLines() {
    // A new mission: the editor shows its selected waypoint at once, also when the selector
    // keeps its number.
    const double before = std::numeric_limits<double>::quiet_NaN();
    if (HaveDem()) {
        terrain_ = korvale::MakeLitchiLinesOverGround(state_, param_, litchi_, overlay_, Dem(),
                                                      TerrainSettingsOf());
    } else {
        korvale::MakeLitchiLines(state_, param_, litchi_, overlay_);
        terrain_ = {};
    }
    litchiGrid_ = true;
    DrawMissionParts();
    AfterDraw();
    SelectorSettled(before);
    ShowProfile();
}

void TMainForm::MakeFreeLitchiLines() {
    const double before = std::numeric_limits<double>::quiet_NaN();
    if (HaveDem()) {
        terrain_ = korvale::MakeFreeLitchiLinesOverGround(state_, param_, litchi_, Dem(),
                                                          TerrainSettingsOf());
    } else {
        korvale::MakeFreeLitchiLines(state_, litchi_);
        terrain_ = {};
    }
    litchiGrid_ = false;
    SelectorSettled(before);
    ShowProfile();
}

void TMainForm::Button9Click() {
    MakeLitchiLines();
}

void TMainForm::Button1Click() {
    if (!state_.FreeLines.empty())
        MakeFreeLitchiLines();
}

void TMainForm::OrbitRelease(float xb, float yb) {
    korvale::OrbitRelease(state_, state_.DownPt.xb, state_.DownPt.yb, xb, yb, overlay_);
    litchiGrid_ = false;
    AfterDraw();
}

void TMainForm::ShowOrbit() {
    if (!state_.Orbit)
        return;
    korvale::Show(*state_.Orbit, overlay_);
    AfterDraw();
}
