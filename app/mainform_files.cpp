// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// DXF drawing and map project files of the "Korvale" page.
#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLineEdit>
#include <any>

#include "export/dxf.h"
#include "georef/project.h"
#include "imageviewer.h"
#include "mainform.h"
#include "model/error.h"
#include "model/fileio.h"
#include "numberboxwidget.h"
#include "planning/edits.h"
#include "planning/params.h"

void TMainForm::Button5Click() {
    SchreibDXF();
}

void TMainForm::SchreibDXF() {
    // The writer gets the whole path (a bare name goes to the last folder); the edit keeps
    // what the user typed.
    const QString typed = EditDXFFileName->text();
    const QString path = FilePath(typed);
    param_.EditDXFFileName = path.toStdString();
    try {
        korvale::SchreibDXF(state_, param_, plans_);
    } catch (...) {
        param_.EditDXFFileName = typed.toStdString();
        throw;
    }
    param_.EditDXFFileName = typed.toStdString();
    SetStatus(QStringLiteral("DXF geschrieben: ") + path, true);
}

void TMainForm::EnsureLastFolder() const {
    if (!lastFolder_.isEmpty() && !QFileInfo(lastFolder_).exists() && !QDir().mkpath(lastFolder_))
        throw korvale::Error(korvale::ErrorKind::File,
                             "Der Ordner lässt sich nicht anlegen:\n" + lastFolder_.toStdString());
}

void TMainForm::ButtonSaveKVClick() {
    FailureTitle(QStringLiteral("Speichern fehlgeschlagen"));
    QString path = FilePath(EditKVName->text());
    const QString folder = QFileInfo(path).absolutePath();
    if (path.isEmpty() || !QFileInfo(folder).isDir()) {
        if (!path.isEmpty() && QFileInfo(folder) == QFileInfo(lastFolder_)) {
            // The default place of a bare name: the documents folder is made on first use.
            EnsureLastFolder();
        } else {
            // A folder typed or remembered that is gone: the dialog opens in the nearest one
            // that exists, with the name kept.
            QString existing = folder.isEmpty() ? lastFolder_ : folder;
            while (!existing.isEmpty() && !QFileInfo(existing).isDir() &&
                   QFileInfo(existing).absolutePath() != existing)
                existing = QFileInfo(existing).absolutePath();
            const QDir start(QFileInfo(existing).isDir() ? existing : QDir::homePath());
            const QString name =
                path.isEmpty() ? QStringLiteral("Karte.dat") : QFileInfo(path).fileName();
            const QString chosen = AskFileName(
                FileDialogKind::Save, QStringLiteral("Karte sichern unter"), start.filePath(name));
            if (chosen.isEmpty())
                return;
            EditKVName->setText(chosen);
            param_.EditKVName = chosen.toStdString();
            path = chosen;
        }
    }
    SavePar();
    MarkSaved();
    SetStatus(QStringLiteral("Karte gesichert: ") + FilePath(EditKVName->text()), true);
}

void TMainForm::ButtonLoadKVClick() {
    if (!ConfirmDiscard(QStringLiteral("dem Laden einer anderen Karte"), false))
        return;
    FailureTitle(QStringLiteral("Laden fehlgeschlagen"));
    if (!LoadPar())
        return;
    AfterProjectLoaded();
    // Saved as loaded; the ground coordinates the ring step filled in are part of it.
    MarkSaved();
    SetStatus(QStringLiteral("Karte geladen: %1 (%2 Punkte)")
                  .arg(FilePath(EditKVName->text()))
                  .arg(state_.Points.size()),
              true);
}

void TMainForm::EditKVNameDblClick() {
    // Only a name is picked here; whether to replace an existing project is a matter for
    // "Karte sichern", so the dialog does not ask.
    const QString chosen = AskFileName(FileDialogKind::PickName,
                                       QStringLiteral("Projektdatei wählen"), EditKVName->text());
    if (!chosen.isEmpty())
        EditKVName->setText(chosen);
}

void TMainForm::PickWriteName(QLineEdit* edit, const QString& title) {
    // Only a name is picked; the write button writes to it, as to a typed one.
    const QString chosen = AskFileName(FileDialogKind::PickName, title, edit->text());
    if (!chosen.isEmpty())
        edit->setText(chosen);
}

// The map copy goes beside the data file as JPEG. Without a map copy there is nothing a
// project could be loaded onto, so saving is refused before any file is touched. The image is
// encoded in memory and the data checked to load again first; then both files are written as
// one set: after any failure the older pair is there as it was, never a new image beside an
// old data file.
void TMainForm::SavePar() {
    const std::string name = FilePath(EditKVName->text()).toStdString();
    if (name.empty())
        throw korvale::Error(korvale::ErrorKind::Refused,
                             "Kein Dateiname für das Projekt angegeben.");
    const QImage& map = ImageViewer1->image();
    if (map.isNull())
        throw korvale::Error(korvale::ErrorKind::Refused,
                             "Keine Kartenkopie vorhanden: das Projekt wurde nicht gespeichert.");
    const QByteArray jpeg = MapCopyJpeg();
    const std::string bytes = korvale::ProjectBytesToSave(state_);
    korvale::WriteFilesAtomic(
        {{korvale::ProjectImageName(name),
          std::string_view(jpeg.constData(), static_cast<size_t>(jpeg.size()))},
         {name, bytes}});
}

QByteArray TMainForm::MapCopyJpeg() const {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(95);
    if (!writer.write(ImageViewer1->image()))
        throw korvale::Error(korvale::ErrorKind::File,
                             "Die Kartenkopie lässt sich nicht als JPEG speichern.\n" +
                                 writer.errorString().toStdString());
    return jpeg;
}

void TMainForm::AfterProjectLoaded() {
    // The ring and its area follow the loaded points; with a ring and values that can plan,
    // the plan is there at once, as "Calc Raster" would make it.
    SetBorderPointer();
    if (!state_.BorderLines.empty()) {
        try {
            ButtonWayptsClick();
        } catch (const korvale::Error& e) {
            Redraw(false);
            SetStatus(QStringLiteral("Flugplan nicht berechnet: ") +
                      QString::fromUtf8(e.what()).section(QLatin1Char('\n'), 0, 0));
        }
    } else {
        Showgrafik();
    }
    // The redraw draws markers only with a ring built; the loaded points show in any case.
    ShowPoints();
    // The loaded map copy is what the user wants to see next.
    BringMapToFront();
    PointsChanged();
}

bool TMainForm::LoadPar() {
    LoadProjectFrom(FilePath(EditKVName->text()).toStdString());
    return true;
}

// All or nothing: the data file is read and checked and the image is loaded before anything
// of the state changes.
void TMainForm::LoadProjectFrom(const std::string& name) {
    const korvale::ProjectData loaded = korvale::LoadProjectData(name);

    std::string imageName = korvale::ProjectImageName(name);
    if (!QFileInfo::exists(QString::fromStdString(imageName))) {
        // Projects saved by earlier versions took the first "." of the whole path.
        const std::string legacy = korvale::LegacyProjectImageName(name);
        if (QFileInfo::exists(QString::fromStdString(legacy)))
            imageName = legacy;
    }
    const QString imagePath = QString::fromStdString(imageName);
    if (!QFileInfo::exists(imagePath))
        throw korvale::Error(korvale::ErrorKind::File, "Datei nicht gefunden\n" + imageName);
    QImageReader reader(imagePath);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        throw korvale::Error(korvale::ErrorKind::File,
                             "Die Kartenkopie " + imageName + " lässt sich nicht lesen.");

    // The lists follow the loaded points; undoing the load brings back points, transformation
    // and the map copy it replaced.
    korvale::LoadProjectPoints(state_, param_, loaded, &history_, std::any(ImageViewer1->image()));
    SetMapCopy(image);
    NumberBoxFlaeche->Refresh();
    DemFromProject();
}
