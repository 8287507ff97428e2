// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The drone picker of the "Korvale" page: it fills the camera edits from the drone's profile and
// says "eigene Werte" once they hold something else; beside it the values that belong to the
// drone rather than to the plan (exposure, allowed pixel shift, battery reserve).
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

#include "mainform.h"
#include "numberboxwidget.h"
#include "pagelayout.h"

using korvale::NumberBoxWidget;
using namespace korvale::pages;

void TMainForm::BuildDroneControls(QWidget* page) {
    LoadDroneProfilesOnce();
    ComboBoxKamera = new QComboBox(page);
    ComboBoxKamera->setObjectName(QStringLiteral("ComboBoxKamera"));
    ComboBoxKamera->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBoxKamera->setMinimumContentsLength(24);
    ComboBoxKamera->setToolTip(QStringLiteral("Drohne wählen: füllt Brennweite, Pixelgröße und "
                                              "Pixelzahl aus ihrem Profil"));
    ComboBoxKamera->addItem(QString::fromUtf8(korvale::OwnCameraValues), QString());
    for (const korvale::DroneProfile& d : drones_)
        ComboBoxKamera->addItem(QString::fromStdString(d.name), QString::fromStdString(d.key));

    auto box = [&](korvale::NumberBox& b, const char* name, int width, const char* tip) {
        auto* w = Narrow(new NumberBoxWidget(&b, QString::fromLatin1(name), page), width);
        w->setToolTip(QString::fromUtf8(tip));
        return w;
    };
    NumberBoxBelichtung =
        box(drone_.NumberBoxBelichtung, "NumberBoxBelichtung", 56,
            "Belichtungszeit als 1/x s (1000: 1/1000 s); begrenzt die Geschwindigkeit durch "
            "Bewegungsunschärfe");
    NumberBoxVersatz = box(drone_.NumberBoxVersatz, "NumberBoxVersatz", 48,
                           "Erlaubter Bildversatz während der Belichtung und des Auslesens, Pixel");
    NumberBoxReserve = box(drone_.NumberBoxReserve, "NumberBoxReserve", 40,
                           "Akkureserve: dieser Anteil jedes Akkus bleibt für Landung und "
                           "Unvorhergesehenes, %");
    NumberBoxFlugzeitModell =
        box(drone_.NumberBoxFlugzeitModell, "NumberBoxFlugzeitModell", 56,
            "Flugzeit nach dem Modell: Start und Steigflug, Anflug und Rückflug, Bremsen und "
            "Beschleunigen an den Wegpunkten, Fotostopps, Sinkflug und Landung");
    LabelSpeedLimit = MakeLabel(QString(), page, QStringLiteral("LabelSpeedLimit"));

    connect(ComboBoxKamera, &QComboBox::activated, this,
            [this] { Guard([this] { ComboBoxKameraChange(); }); });
}

const korvale::DroneProfile* TMainForm::PickedDrone() const {
    for (const korvale::DroneProfile& d : drones_)
        if (d.key == drone_.droneKey)
            return &d;
    return nullptr;
}

void TMainForm::ComboBoxKameraChange() {
    const std::string key = ComboBoxKamera->currentData().toString().toStdString();
    drone_.droneKey = key;
    const korvale::DroneProfile* d = PickedDrone();
    if (!d) {
        // "eigene Werte": the edits keep what they hold.
        return;
    }
    korvale::ApplyDroneCamera(param_, *d);
    // The KMZ is written for the drone the camera came from.
    if (ComboBoxDrone)
        if (const int i = ComboBoxDrone->findData(QString::fromStdString(key)); i >= 0)
            ComboBoxDrone->setCurrentIndex(i);
    RefreshParameterPage(); // the edits show the profile; the picker stays as picked
    Rechnen();
}

void TMainForm::ShowDronePick() {
    if (!ComboBoxKamera)
        return;
    drone_.droneKey = korvale::DroneOfCamera(param_, drones_, drone_.droneKey);
    const QSignalBlocker quiet(ComboBoxKamera);
    ComboBoxKamera->setCurrentIndex(
        std::max(0, ComboBoxKamera->findData(QString::fromStdString(drone_.droneKey))));
}

void TMainForm::RestoreDronePick(const QString& key) {
    drone_.droneKey = key.toStdString();
    ShowDronePick();
}
