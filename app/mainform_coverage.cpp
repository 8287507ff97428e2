// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The planning page's coverage row: the crosshatch switch, the coverage map over the map copy
// with its shares, and the footprints of the pictures as GeoJSON.
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "coverage_overlay.h"
#include "exchange/plan_export.h"
#include "imageviewer.h"
#include "mainform.h"
#include "model/error.h"
#include "pagelayout.h"
#include "planning/coverage.h"
#include "planning/plan.h"
#include "planning/zones.h"

using namespace korvale::pages;

namespace {

// The window's map stays small enough to count and paint at once: the 1 m cells of a square
// kilometre, coarser cells over larger areas.
constexpr double kMaxWindowCells = 4e6;

korvale::FootprintCamera CameraOf(const korvale::ParamPageModel& p) {
    return {p.NumberBoxLG.Value(), p.NumberBoxBG.Value(), p.NumberBoxH.Value(),
            p.NumberBoxRi.Value()};
}

} // namespace

QWidget* TMainForm::CoverageRow(QWidget* page) {
    CheckBoxKreuz = new QCheckBox(QStringLiteral("Kreuzraster"), page);
    CheckBoxKreuz->setObjectName(QStringLiteral("CheckBoxKreuz"));
    CheckBoxKreuz->setToolTip(QStringLiteral(
        "Ein zweites Raster im rechten Winkel, nach dem ersten geflogen (für 3D-Modelle)"));
    CheckBoxAbdeckung = new QCheckBox(QStringLiteral("Abdeckung zeigen"), page);
    CheckBoxAbdeckung->setObjectName(QStringLiteral("CheckBoxAbdeckung"));
    CheckBoxAbdeckung->setToolTip(
        QStringLiteral("Wie viele Bilder jede Stelle des Gebiets sehen, farbig über der "
                       "Kartenkopie"));
    ButtonFootprints = new QPushButton(QStringLiteral("Bildumrisse"), page);
    ButtonFootprints->setObjectName(QStringLiteral("ButtonFootprints"));
    ButtonFootprints->setToolTip(
        QStringLiteral("Den Umriss jedes Bildes am Boden als GeoJSON schreiben (WGS84)"));
    LabelAbdeckung = new QLabel(page);
    LabelAbdeckung->setObjectName(QStringLiteral("LabelAbdeckung"));
    connect(CheckBoxKreuz, &QCheckBox::clicked, this,
            [this] { Guard([this] { CheckBoxKreuzClick(); }); });
    connect(CheckBoxAbdeckung, &QCheckBox::clicked, this,
            [this] { Guard([this] { CheckBoxAbdeckungClick(); }); });
    connect(ButtonFootprints, &QPushButton::clicked, this,
            [this] { Guard([this] { ButtonFootprintsClick(); }); });
    auto* row = new QWidget(page);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(Labelled("Raster", {CheckBoxKreuz}, row));
    h->addWidget(Labelled("Abdeckung", {CheckBoxAbdeckung, ButtonFootprints}, row));
    h->addWidget(Labelled("", {LabelAbdeckung}, row));
    h->addStretch(1);
    return row;
}

void TMainForm::CheckBoxKreuzClick() {
    param_.CheckBoxKreuz = CheckBoxKreuz->isChecked();
    // A plan on the map is planned again at once, with or without the second grid.
    if (!state_.FlightSegs.empty())
        FlightLines();
}

void TMainForm::CheckBoxAbdeckungClick() {
    UpdateCoverage();
    if (CheckBoxAbdeckung->isChecked() && coverage_) {
        LabelStatus->setText(LabelAbdeckung->text());
        BringMapToFront();
    }
    ImageViewer2->update();
}

void TMainForm::UpdateCoverage() {
    coverage_.reset();
    LabelAbdeckung->clear();
    if (!CheckBoxAbdeckung->isChecked() || state_.FlightSegs.empty())
        return;
    const korvale::FlightPlan plan =
        korvale::PlanOfState(state_, param_.NumberBoxA.Value(), param_.NumberBoxV.Value());
    const std::vector<korvale::PlanPt> ring = korvale::BorderRing(state_);
    const double cell =
        korvale::CoverageCellFor(ring, korvale::CoverageCellDefaultM, kMaxWindowCells);
    const korvale::Coverage cov = korvale::ComputeCoverage(
        ring, korvale::ZoneRings(state_), korvale::PictureFootprints(plan, CameraOf(param_)), cell);
    coverage_ =
        std::make_shared<const korvale::CoverageView>(korvale::MakeCoverageView(state_, cov));
    LabelAbdeckung->setText(
        QString::fromStdString(korvale::CoverageStatsText(cov.stats, cov.grid.cellM)));
}

void TMainForm::ButtonFootprintsClick() {
    if (state_.FlightSegs.empty())
        throw korvale::Error(korvale::ErrorKind::Refused,
                             "Noch kein Flugplan: zuerst \"Calc Raster\" drücken.");
    const korvale::FlightPlan plan =
        korvale::PlanOfState(state_, param_.NumberBoxA.Value(), param_.NumberBoxV.Value());
    const std::vector<korvale::FootprintGeo> feet =
        korvale::FootprintsGeo(state_, plan, korvale::PictureFootprints(plan, CameraOf(param_)));
    const QFileInfo dxf(EditDXFFileName->text().isEmpty() ? QStringLiteral("Flugplan.dxf")
                                                          : EditDXFFileName->text());
    const QString path = AskFileName(
        FileDialogKind::Save, QStringLiteral("Bildumrisse schreiben (GeoJSON)"),
        dxf.dir().filePath(dxf.completeBaseName() + QStringLiteral("_umrisse.geojson")));
    if (path.isEmpty())
        return;
    korvale::WriteFootprintsGeoJson(path.toStdString(), feet);
    LabelStatus->setText(QStringLiteral("Bildumrisse geschrieben: ") + path);
}
