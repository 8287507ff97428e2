// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// What the window remembers between runs (page values, file names, the last folder, its
// geometry), where files without a folder go, and the zoom keys of the map copy page.
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

#include "imageviewer.h"
#include "litchi/editor.h"
#include "mainform.h"
#include "model/error.h"
#include "numberboxwidget.h"
#include "planning/params.h"

namespace {

// The boxes whose values are the user's choices; the others show results or the waypoint of
// the mission in the editor, which come from the plan and the mission file.
constexpr const char* kRememberedBoxes[] = {
    "NumberBoxP",     "NumberBoxQ",      "NumberBoxH",       "NumberBoxV",
    "NumberBoxRi",    "NumberBoxAlt",    "NumberBoxAltMode", "NumberBoxHead",
    "NumberBoxCuSz",  "NumberBoxRotDir", "NumberBoxGimM",    "NumberBoxGimP",
    "NumberBoxSpeed", "NumberBoxPictS",  "NumberBoxPictM",   "NumberBoxTiltCam",
    "NumberBoxWait",  "NumberBoxRotate", "NumberBoxPoiAlt",  "NumberBoxPoiAltMode",
    "NumberBoxAkku",  "NumberBoxMaxWP"};

// The drone's values of the "Korvale" page (exposure, pixel shift, battery reserve), remembered
// like the boxes above.
constexpr const char* kRememberedDroneBoxes[] = {"NumberBoxBelichtung", "NumberBoxVersatz",
                                                 "NumberBoxReserve"};

// Text fields remembered as typed: camera values and file names.
constexpr const char* kRememberedEdits[] = {"EditF",           "EditAufloesung", "EditXb", "EditYb",
                                            "EditDXFFileName", "EditKVName",     "EditCVS"};

// Labels that name the fields in messages.
constexpr const char* kFieldLabels[][2] = {{"EditF", "c mm"},
                                           {"EditAufloesung", "Pixel µm"},
                                           {"EditXb", "X pix"},
                                           {"EditYb", "Y pix"},
                                           {"NumberBoxP", "Längs %"},
                                           {"NumberBoxQ", "Quer %"},
                                           {"NumberBoxH", "Höhe m"},
                                           {"NumberBoxV", "v km/h"},
                                           {"NumberBoxRi", "Alfa °"},
                                           {"NumberBoxLat", "Lat °"},
                                           {"NumberBoxLon", "Lon °"},
                                           {"NumberBoxAlt", "Alt m"},
                                           {"NumberBoxHead", "Heading °"},
                                           {"NumberBoxSpeed", "v m/s"},
                                           {"NumberBoxCuSz", "Curv m"},
                                           {"NumberBoxAkku", "Akku (min)"},
                                           {"NumberBoxMaxWP", "Max. Wegpunkte"},
                                           {"NumberBoxAkkus", "Akkus"},
                                           {"EditDXFFileName", "DXF Filename"},
                                           {"EditKVName", "Korvale Filename"},
                                           {"EditCVS", "Litchi CSV Filename"},
                                           {"NumberBoxBelichtung", "Belichtung 1/s"},
                                           {"NumberBoxVersatz", "Versatz px"},
                                           {"NumberBoxReserve", "Reserve %"}};

} // namespace

QString TMainForm::FilePath(const QString& name) const {
    if (name.isEmpty() || QDir::isAbsolutePath(name))
        return name;
    return QDir(lastFolder_).filePath(name);
}

void TMainForm::RememberFolder(const QString& path) {
    const QString folder = QFileInfo(FilePath(path)).absolutePath();
    if (!folder.isEmpty())
        lastFolder_ = folder;
}

void TMainForm::LoadSettings() {
    for (const auto& [name, label] : kFieldLabels)
        if (auto* e = findChild<QLineEdit*>(QString::fromLatin1(name)))
            e->setAccessibleName(QString::fromUtf8(label));

    QSettings s;
    lastFolder_ = s.value(QStringLiteral("files/lastFolder")).toString();
    if (lastFolder_.isEmpty() || !QFileInfo(lastFolder_).isDir())
        lastFolder_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (lastFolder_.isEmpty())
        lastFolder_ = QDir::homePath();
    if (s.contains(QStringLiteral("window/geometry"))) {
        restoreGeometry(s.value(QStringLiteral("window/geometry")).toByteArray());
        FitToScreen();
    }
    // The first start (nothing stored) keeps the design's start values untouched.
    if (!s.contains(QStringLiteral("values/stored")))
        return;

    for (const char* name : kRememberedEdits) {
        const QString key = QStringLiteral("values/") + QLatin1String(name);
        if (auto* e = findChild<QLineEdit*>(QString::fromLatin1(name)); e && s.contains(key))
            e->setText(s.value(key).toString()); // the page models follow their edits
    }
    for (const char* name : kRememberedBoxes) {
        const QString key = QStringLiteral("values/") + QLatin1String(name);
        auto* w = findChild<korvale::NumberBoxWidget*>(QString::fromLatin1(name));
        bool ok = false;
        const double v = s.value(key).toDouble(&ok);
        if (w && ok)
            w->box()->SetValue(v);
    }
    for (const char* name : kRememberedDroneBoxes) {
        const QString key = QStringLiteral("values/") + QLatin1String(name);
        auto* w = findChild<korvale::NumberBoxWidget*>(QString::fromLatin1(name));
        bool ok = false;
        const double v = s.value(key).toDouble(&ok);
        if (w && ok)
            w->box()->SetValue(v);
    }
    const bool format = s.value(QStringLiteral("values/CheckBoxFormat"), true).toBool();
    if (format != param_.CheckBoxFormat) {
        // The format switch sets the sensor pixels; the stored ones are put back after it.
        const std::string xb = param_.EditXb, yb = param_.EditYb;
        param_.CheckBoxFormat = format;
        korvale::CheckBoxFormatClick(param_);
        param_.EditXb = xb;
        param_.EditYb = yb;
    }
    litchi_.CheckBoxAlle = s.value(QStringLiteral("values/CheckBoxAlle"), false).toBool();
    litchi_.CheckBoxNadir = s.value(QStringLiteral("values/CheckBoxNadir"), false).toBool();
    // The derived boxes follow the stored inputs; values that cannot be computed show as
    // stored and are reported when the user computes.
    try {
        korvale::Rechnen(param_);
    } catch (const korvale::Error&) {
    }
    litchi_.Label14 = korvale::Label14Text(litchi_.NumberBoxSpeed.Value());
    RestoreDronePick(s.value(QStringLiteral("values/ComboBoxKamera")).toString());
    RefreshParameterPage();
    RefreshLitchiPage();
}

void TMainForm::FitToScreen() {
    // A size saved on a larger screen would put the status line below this one.
    const QScreen* sc = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!sc)
        return;
    const QRect avail = sc->availableGeometry();
    const QRect inner = geometry(), outer = frameGeometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const QSize room = avail.size().shrunkBy(frame);
    if (width() > room.width() || height() > room.height())
        resize(size().boundedTo(room));
    QRect g = frameGeometry();
    if (!avail.contains(g)) {
        g.moveLeft(std::clamp(g.left(), avail.left(),
                              std::max(avail.left(), avail.right() - g.width() + 1)));
        g.moveTop(std::clamp(g.top(), avail.top(),
                             std::max(avail.top(), avail.bottom() - g.height() + 1)));
        move(g.topLeft());
    }
}

void TMainForm::SaveSettings() const {
    QSettings s;
    s.setValue(QStringLiteral("files/lastFolder"), lastFolder_);
    s.setValue(QStringLiteral("window/geometry"), saveGeometry());
    s.setValue(QStringLiteral("values/stored"), true);
    for (const char* name : kRememberedEdits)
        if (auto* e = findChild<QLineEdit*>(QString::fromLatin1(name)))
            s.setValue(QStringLiteral("values/") + QLatin1String(name), e->text());
    for (const char* name : kRememberedBoxes)
        if (auto* w = findChild<korvale::NumberBoxWidget*>(QString::fromLatin1(name)))
            s.setValue(QStringLiteral("values/") + QLatin1String(name), w->box()->Raw());
    for (const char* name : kRememberedDroneBoxes)
        if (auto* w = findChild<korvale::NumberBoxWidget*>(QString::fromLatin1(name)))
            s.setValue(QStringLiteral("values/") + QLatin1String(name), w->box()->Raw());
    s.setValue(QStringLiteral("values/CheckBoxFormat"), param_.CheckBoxFormat);
    s.setValue(QStringLiteral("values/CheckBoxAlle"), litchi_.CheckBoxAlle);
    s.setValue(QStringLiteral("values/CheckBoxNadir"), litchi_.CheckBoxNadir);
    s.setValue(QStringLiteral("values/ComboBoxKamera"), QString::fromStdString(param_.DroneKey));
}

void TMainForm::FitMapToWindow() {
    ImageViewer1->fitToWindow();
}

void TMainForm::MapActualSize() {
    ImageViewer1->zoomAt(QPointF(0, 0), 1);
    ImageViewer1->scrollTo(QPointF(0, 0));
}
