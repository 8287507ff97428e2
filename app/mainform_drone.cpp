// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The drone picker of the "Korvale" page: it fills the camera edits from the drone's profile and
// says "eigene Werte" once they hold something else; beside it the values that belong to the
// drone rather than to the plan (exposure, allowed pixel shift, battery reserve), the speed
// limit they give and the modelled flight time.
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

#include "dji/drone_model.h"
#include "mainform.h"
#include "numberboxwidget.h"
#include "pagelayout.h"
#include "planning/drone_page.h"

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
        box(param_.NumberBoxBelichtung, "NumberBoxBelichtung", 56,
            "Belichtungszeit als 1/x s (1000: 1/1000 s); begrenzt die Geschwindigkeit durch "
            "Bewegungsunschärfe");
    NumberBoxVersatz =
        box(param_.NumberBoxVersatz, "NumberBoxVersatz", 48,
            "Erlaubter Bildversatz während Belichtung und Auslesen des Sensors, Bodenpixel");
    NumberBoxReserve = box(litchi_.NumberBoxReserve, "NumberBoxReserve", 40,
                           "Akkureserve: dieser Anteil jedes Akkus bleibt für Wind, Landung und "
                           "Unvorhergesehenes, %");
    NumberBoxFlugzeitModell =
        box(param_.NumberBoxFlugzeitModell, "NumberBoxFlugzeitModell", 56,
            "Flugzeit aller Akkus nach dem Modell: Start und Steigflug, An- und Rückflug, Bremsen "
            "und Beschleunigen an den Wegpunkten, Fotostopps, Sinkflug und Landung, Minuten");
    NumberBoxVmax = box(param_.NumberBoxVmax, "NumberBoxVmax", 48,
                        "Größte Geschwindigkeit für scharfe und vollständige Bilder, km/h");
    LabelSpeedLimit = MakeLabel(QString(), page, QStringLiteral("LabelSpeedLimit"));
    LabelSpeedLimit->setMinimumWidth(
        LabelSpeedLimit->fontMetrics().horizontalAdvance(QStringLiteral("Bewegungsunschärfe")));

    connect(ComboBoxKamera, &QComboBox::activated, this,
            [this] { Guard([this] { ComboBoxKameraChange(); }); });
    connect(NumberBoxBelichtung, &NumberBoxWidget::userChanged, this,
            [this] { Guard([this] { SpeedValuesChange(); }); });
    connect(NumberBoxVersatz, &NumberBoxWidget::userChanged, this,
            [this] { Guard([this] { SpeedValuesChange(); }); });
    connect(NumberBoxReserve, &NumberBoxWidget::userChanged, this,
            [this] { Guard([this] { ReserveChange(); }); });
    ShowSpeedLimit();
}

const korvale::DroneProfile* TMainForm::PickedDrone() const {
    for (const korvale::DroneProfile& d : drones_)
        if (d.key == param_.DroneKey)
            return &d;
    return nullptr;
}

void TMainForm::ComboBoxKameraChange() {
    const std::string key = ComboBoxKamera->currentData().toString().toStdString();
    const korvale::DroneProfile* d = nullptr;
    for (const korvale::DroneProfile& p : drones_)
        if (p.key == key)
            d = &p;
    if (!d) {
        // "eigene Werte": the edits keep what they hold, the drone's limits no longer apply.
        korvale::DropDroneProfile(param_);
    } else {
        korvale::PickDroneProfile(param_, *d);
        param_.CheckBoxFormatCaption =
            korvale::FormatCaptionOf(d->camera.imageWidthPx, d->camera.imageHeightPx);
        // The KMZ is written for the drone the camera came from.
        if (ComboBoxDrone)
            if (const int i = ComboBoxDrone->findData(QString::fromStdString(key)); i >= 0)
                ComboBoxDrone->setCurrentIndex(i);
    }
    RefreshParameterPage();
    // The camera, the limits and the time model changed: the page and the plan's figures
    // follow at once.
    Rechnen();
    ShowBatteries();
}

void TMainForm::ShowDronePick() {
    if (!ComboBoxKamera)
        return;
    const std::string key = korvale::DroneOfCamera(param_, drones_, param_.DroneKey);
    if (key != param_.DroneKey) {
        if (const korvale::DroneProfile* d = [&]() -> const korvale::DroneProfile* {
                for (const korvale::DroneProfile& p : drones_)
                    if (p.key == key)
                        return &p;
                return nullptr;
            }()) {
            param_.DroneKey = key;
            param_.Drohne = korvale::FlightValuesOf(*d);
        } else {
            korvale::DropDroneProfile(param_);
        }
        ShowSpeedLimit();
    }
    const QSignalBlocker quiet(ComboBoxKamera);
    ComboBoxKamera->setCurrentIndex(
        std::max(0, ComboBoxKamera->findData(QString::fromStdString(param_.DroneKey))));
}

void TMainForm::RestoreDronePick(const QString& key) {
    param_.DroneKey = key.toStdString();
    for (const korvale::DroneProfile& d : drones_)
        if (d.key == param_.DroneKey)
            param_.Drohne = korvale::FlightValuesOf(d);
    ShowDronePick();
    ShowSpeedLimit();
}

void TMainForm::ShowSpeedLimit() {
    const std::string over = korvale::ShowSpeedLimit(param_);
    NumberBoxVmax->Refresh();
    LabelSpeedLimit->setText(QString::fromStdString(param_.LabelVmax));
    // The speed box itself says when it is too fast: red, and its tooltip says why.
    const bool tooFast = !over.empty();
    NumberBoxV->setStyleSheet(tooFast ? QStringLiteral("background: #ffb0b0;") : QString());
    NumberBoxV->setToolTip(tooFast ? QString::fromStdString(over) : QString());
    NumberBoxV->setProperty("overLimit", tooFast);
    if (tooFast)
        SetStatus(QString::fromStdString(over));
}

void TMainForm::SpeedValuesChange() {
    ShowSpeedLimit();
}

void TMainForm::ReserveChange() {
    ShowBatteries();
    DrawMissionParts();
}
