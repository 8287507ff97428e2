// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Heights above ground in the window: "Höhenmodell laden" and the tolerance on the "Korvale"
// page, the Litchi missions and the KMZ over the ground (mainform_litchi.cpp, mainform_wpml.cpp
// ask HaveDem), and the "Profil" page that shows where the drone climbs.
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QVBoxLayout>

#include "litchi/split.h"
#include "mainform.h"
#include "model/error.h"
#include "model/geodesy.h"
#include "pagelayout.h"
#include "profileview.h"
#include "terrain/gdal_model.h"

using namespace korvale::pages;

namespace {

const QString kDemKey = QStringLiteral("values/DemFile");
const QString kTolKey = QStringLiteral("values/TerrainTolerance");

} // namespace

QWidget* TMainForm::TerrainRow(QWidget* page) {
    ButtonDem = new QPushButton(QStringLiteral("Höhenmodell laden"), page);
    ButtonDem->setObjectName(QStringLiteral("ButtonDem"));
    ButtonDem->setToolTip(QStringLiteral(
        "Ein Höhenmodell (GeoTIFF, DTED, HGT, VRT): die Höhe gilt dann über Grund, die Litchi- "
        "und DJI-Missionen folgen dem Gelände"));
    ButtonDemOff = new QPushButton(QStringLiteral("Ohne"), page);
    ButtonDemOff->setObjectName(QStringLiteral("ButtonDemOff"));
    ButtonDemOff->setToolTip(QStringLiteral("Ohne Höhenmodell: eine Höhe über dem Startpunkt"));
    LabelDem = MakeLabel(QStringLiteral("kein Höhenmodell"), page, QStringLiteral("LabelDem"));
    LabelDem->setMinimumWidth(160);
    SpinTerrainTol = new QDoubleSpinBox(page);
    SpinTerrainTol->setObjectName(QStringLiteral("SpinTerrainTol"));
    SpinTerrainTol->setRange(korvale::TerrainToleranceMin, korvale::TerrainToleranceMax);
    SpinTerrainTol->setDecimals(1);
    SpinTerrainTol->setSingleStep(1);
    SpinTerrainTol->setValue(
        QSettings().value(kTolKey, korvale::TerrainToleranceDefault).toDouble());
    SpinTerrainTol->setToolTip(QStringLiteral(
        "Wie weit die Höhe über Grund zwischen zwei Wegpunkten abweichen darf (1 bis 20 m)"));
    connect(SpinTerrainTol, &QDoubleSpinBox::valueChanged, this,
            [](double v) { QSettings().setValue(kTolKey, v); });
    connect(ButtonDem, &QPushButton::clicked, this,
            [this] { Guard([this] { ButtonDemClick(); }); });
    connect(ButtonDemOff, &QPushButton::clicked, this, [this] {
        Guard([this] {
            SetDemFile(QString());
            terrain_ = {};
            ShowProfile();
        });
    });
    // The model of the last session, shown so that nobody flies over it unawares; it is opened
    // when a mission needs it (the project's zone may still change).
    const QString stored = QSettings().value(kDemKey).toString();
    if (!stored.isEmpty() && QFileInfo::exists(stored))
        SetDemFile(stored);
    else
        SetDemFile(QString());
    return Labelled(QStringLiteral("Gelände"),
                    {ButtonDem, LabelDem, ButtonDemOff,
                     MakeLabel(QStringLiteral("Toleranz m"), page), SpinTerrainTol},
                    page);
}

void TMainForm::BuildProfilePage() {
    TabItemProfile = new QWidget(Tabcontrol1);
    TabItemProfile->setObjectName(QStringLiteral("TabItemProfile"));
    Profile1 = new korvale::ProfileView(TabItemProfile);
    auto* layout = new QVBoxLayout(TabItemProfile);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Profile1);
    // Behind the help page, so the six pages keep the places users and scripts know.
    Tabcontrol1->addTab(TabItemProfile, QStringLiteral("Profil"));
}

void TMainForm::ButtonDemClick() {
    const QString path =
        AskFileName(FileDialogKind::Open, QStringLiteral("Höhenmodell laden"), demFile_);
    if (path.isEmpty())
        return;
    // Opened at once, so a file that is no model is refused now and nothing changes.
    const int zone = korvale::ZoneOf(state_);
    auto model = std::make_shared<const korvale::GdalElevationModel>(path.toStdString(), zone,
                                                                     state_.UtmSouth);
    SetDemFile(path);
    dem_ = std::move(model);
    demZone_ = zone;
    demSouth_ = state_.UtmSouth;
    SetStatus(QStringLiteral("Höhenmodell geladen: %1 – die Missionen folgen nun dem Gelände")
                  .arg(QFileInfo(path).fileName()),
              true);
}

void TMainForm::SetDemFile(const QString& path) {
    demFile_ = path;
    dem_.reset();
    state_.DemFile = path.toStdString(); // saved with the project
    QSettings().setValue(kDemKey, path);
    LabelDem->setText(path.isEmpty() ? QStringLiteral("kein Höhenmodell")
                                     : QFileInfo(path).fileName());
    LabelDem->setToolTip(path);
    ButtonDemOff->setEnabled(!path.isEmpty());
}

const korvale::ElevationModel& TMainForm::Dem() {
    const int zone = korvale::ZoneOf(state_);
    if (!dem_ || zone != demZone_ || state_.UtmSouth != demSouth_) {
        dem_ = std::make_shared<const korvale::GdalElevationModel>(demFile_.toStdString(), zone,
                                                                   state_.UtmSouth);
        demZone_ = zone;
        demSouth_ = state_.UtmSouth;
    }
    return *dem_;
}

korvale::TerrainSettings TMainForm::TerrainSettingsOf() const {
    korvale::TerrainSettings t;
    t.toleranceM = SpinTerrainTol->value();
    return t;
}

void TMainForm::ShowProfile() {
    std::vector<std::size_t> partOf(terrain_.waypoints.size(), 0);
    if (terrain_.waypoints.size() == state_.LitchiRecs.size()) {
        try {
            const auto parts =
                korvale::MissionPartsOf(state_, korvale::SplitOptionsOf(param_, litchi_));
            for (std::size_t k = 0; k < parts.size(); ++k)
                for (std::size_t i = 0; i < parts[k].recs.size(); ++i)
                    if (parts[k].firstWaypoint + i < partOf.size())
                        partOf[parts[k].firstWaypoint + i] = k;
        } catch (const korvale::Error&) {
            // A mission that cannot be cut is shown as one part.
        }
    }
    Profile1->SetProfile(terrain_, partOf);
}

void TMainForm::DemFromProject() {
    // The loaded project's model, also when its file is missing here: the missions then say so
    // rather than fly without the ground.
    const QString path = QString::fromStdString(state_.DemFile);
    if (path != demFile_)
        SetDemFile(path);
}
