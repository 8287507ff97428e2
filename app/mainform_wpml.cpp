// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// DJI missions on the "Litchi CSV" page: the drone picker and "Schreib KMZ", which writes the
// mission as WPML for DJI Fly or DJI Pilot 2 and says how the file reaches the drone.
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>

#include "dji/profiles.h"
#include "dji/route.h"
#include "dji/terrain_route.h"
#include "dji/wpml_write.h"
#include "litchi/missions.h"
#include "mainform.h"
#include "model/error.h"
#include "planning/plan.h"

namespace {

const QString kDroneKey = QStringLiteral("values/ComboBoxDrone");

// The KMZ beside the CSV: the mission file's name with ".kmz" for its extension.
QString KmzName(const QString& csvName) {
    const QFileInfo f(csvName);
    const QString base =
        f.completeBaseName().isEmpty() ? QStringLiteral("Mission") : f.completeBaseName();
    return f.path() == QStringLiteral(".") && !csvName.startsWith(QStringLiteral("./"))
               ? base + QStringLiteral(".kmz")
               : f.path() + QStringLiteral("/") + base + QStringLiteral(".kmz");
}

} // namespace

void TMainForm::LoadDroneProfilesOnce() {
    if (!drones_.empty() || !dronesError_.isEmpty())
        return;
    try {
        drones_ = korvale::LoadDroneProfiles(korvale::DefaultDroneProfilesPath());
    } catch (const korvale::Error& e) {
        // The pages still work with the user's own camera and for Litchi; the KMZ button says
        // why it cannot write.
        dronesError_ = QString::fromStdString(e.what());
    }
}

void TMainForm::BuildWpmlControls(QWidget* page) {
    ComboBoxDrone = new QComboBox(page);
    ComboBoxDrone->setObjectName(QStringLiteral("ComboBoxDrone"));
    // The long names of the enterprise drones must not widen the page beyond a small screen.
    ComboBoxDrone->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBoxDrone->setMinimumContentsLength(30);
    ComboBoxDrone->setToolTip(QStringLiteral("Drohne der KMZ-Mission: bestimmt App, Grenzen und "
                                             "Kamera"));
    ButtonKMZ = new QPushButton(QStringLiteral("Schreib KMZ"), page);
    ButtonKMZ->setObjectName(QStringLiteral("ButtonKMZ"));
    ButtonKMZ->setToolTip(QStringLiteral("Schreibt die Mission als DJI-Wegpunktdatei (WPML, "
                                         "KMZ) für DJI Fly oder DJI Pilot 2"));
    LoadDroneProfilesOnce();
    for (const korvale::DroneProfile& d : drones_)
        ComboBoxDrone->addItem(QString::fromStdString(d.name) + QStringLiteral(" – ") +
                                   QString::fromUtf8(korvale::FlightAppName(d.app).data()),
                               QString::fromStdString(d.key));
    const QString stored = QSettings().value(kDroneKey).toString();
    if (const int i = ComboBoxDrone->findData(stored); i >= 0)
        ComboBoxDrone->setCurrentIndex(i);
    connect(ComboBoxDrone, &QComboBox::currentIndexChanged, this,
            [this] { QSettings().setValue(kDroneKey, ComboBoxDrone->currentData().toString()); });
    connect(ButtonKMZ, &QPushButton::clicked, this,
            [this] { Guard([this] { ButtonKMZClick(); }); });
}

void TMainForm::ButtonKMZClick() {
    if (drones_.empty())
        throw korvale::Error(korvale::ErrorKind::File, dronesError_.isEmpty()
                                                           ? "Keine Drohnenprofile gefunden."
                                                           : dronesError_.toStdString());
    const korvale::DroneProfile& d =
        korvale::FindDroneProfile(drones_, ComboBoxDrone->currentData().toString().toStdString());
    korvale::GridRouteOptions ro;
    ro.heightM = param_.NumberBoxH.Value();
    ro.speedMps = param_.NumberBoxV.Value() / 3.6;
    ro.photoBaseM = param_.NumberBoxA.Value();
    // The grid is written from the plan's own positions; another mission (free line, orbit, a
    // file read) as the editor holds it.
    korvale::Route route;
    if (state_.LitchiRecs.empty() || (litchiGrid_ && !state_.FlightSegs.empty()))
        if (const std::string why = korvale::GridMissionUnflyable(state_, param_); !why.empty())
            throw korvale::Error(korvale::ErrorKind::Refused,
                                 "Schreib KMZ: Der Plan ist nicht fliegbar; es wurde nichts "
                                 "geschrieben.\n" +
                                     why);
    if ((litchiGrid_ || state_.LitchiRecs.empty()) && !state_.FlightSegs.empty()) {
        route = korvale::GridRoute(
            state_, *plans_.Of(state_, ro.photoBaseM, param_.NumberBoxV.Value()), d, ro);
        // Over an elevation model the KMZ flies the heights of the Litchi mission; the editor's
        // mission (below) already carries them when it was made over the ground.
        if (HaveDem())
            korvale::RouteOverGround(route, state_, Dem(), TerrainSettingsOf());
    } else
        route = korvale::RouteOfMission(state_.LitchiRecs, ro);
    const QString name = KmzName(EditCVS->text());
    const std::string path = FilePath(name).toStdString();
    korvale::WpmlMissionFiles made;
    try {
        made = korvale::WriteWpmlMission(path, route, d, litchi_.NumberBoxAkku.Value(), {});
    } catch (const korvale::Error& e) {
        if (!Memo1->document()->isEmpty())
            Memo1->appendPlainText(QString());
        Memo1->appendPlainText(QString::fromStdString(e.what()));
        throw;
    }
    const QString app = QString::fromUtf8(korvale::FlightAppName(d.app).data());
    const QString done =
        made.names.size() == 1
            ? QStringLiteral("KMZ für %1 geschrieben: %2").arg(app, QString::fromStdString(path))
            : QStringLiteral("KMZ für %1 in %2 Teilen geschrieben: %3 … %4")
                  .arg(app)
                  .arg(made.names.size())
                  .arg(QString::fromStdString(made.names.front()),
                       QString::fromStdString(made.names.back()));
    const QString hint = QString::fromUtf8(korvale::FlightAppImportHint(d.app).data());
    if (!Memo1->document()->isEmpty())
        Memo1->appendPlainText(QString());
    Memo1->appendPlainText(done);
    if (!made.warnings.empty())
        Memo1->appendPlainText(QStringLiteral("Warnungen:"));
    for (const std::string& w : made.warnings)
        Memo1->appendPlainText(QStringLiteral("  ") + QString::fromStdString(w));
    Memo1->appendPlainText(hint);
    // The status line says where the file goes next even when there are warnings.
    const QString warned = made.warnings.empty()
                               ? QString()
                               : QStringLiteral(" – Achtung, %1 Warnung(en), siehe Protokoll")
                                     .arg(made.warnings.size());
    SetStatus(done + warned + QStringLiteral(" – ") + hint, true);
}
