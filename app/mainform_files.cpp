// DXF drawing and map project files of the "Korvale" page.
#include <QBuffer>
#include <QByteArray>
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
        korvale::SchreibDXF(state_, param_);
    } catch (...) {
        param_.EditDXFFileName = typed.toStdString();
        throw;
    }
    param_.EditDXFFileName = typed.toStdString();
    SetStatus(QStringLiteral("DXF geschrieben: ") + path, true);
}

void TMainForm::ButtonSaveKVClick() {
    SavePar();
    SetStatus(QStringLiteral("Karte gesichert: ") + FilePath(EditKVName->text()), true);
}

void TMainForm::ButtonLoadKVClick() {
    if (!LoadPar())
        return;
    Showgrafik();
    // The redraw draws markers only with a ring built; the loaded points show in any case.
    ShowPoints();
    // The loaded map copy is what the user wants to see next.
    BringMapToFront();
    PointsChanged();
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
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(95);
    if (!writer.write(map))
        throw korvale::Error(korvale::ErrorKind::File,
                             "Die Kartenkopie lässt sich nicht als JPEG speichern.\n" +
                                 writer.errorString().toStdString());
    const std::string data = korvale::ProjectBytesToSave(state_);
    korvale::WriteFilesAtomic(
        {{korvale::ProjectImageName(name),
          std::string_view(jpeg.constData(), static_cast<size_t>(jpeg.size()))},
         {name, data}});
}

// All or nothing: the data file is read and checked and the image is loaded before anything
// of the state changes.
bool TMainForm::LoadPar() {
    const std::string name = FilePath(EditKVName->text()).toStdString();
    const korvale::ProjectData data = korvale::LoadProjectData(name);

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
    korvale::LoadProjectPoints(state_, param_, data, &history_, std::any(ImageViewer1->image()));
    SetMapCopy(image);
    NumberBoxFlaeche->Refresh();
    return true;
}
