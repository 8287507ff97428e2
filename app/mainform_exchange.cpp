// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Geodata in and out: the survey area from KML, KMZ or GeoJSON, the plan to KML and GeoJSON,
// the world file and QGIS control points of the map copy.
#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>

#include "exchange/area.h"
#include "exchange/area_place.h"
#include "exchange/georef_files.h"
#include "exchange/plan_export.h"
#include "georef/project.h"
#include "imageviewer.h"
#include "mainform.h"
#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"
#include "numberboxwidget.h"
#include "pagelayout.h"

using namespace korvale::pages;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

// The name of the DXF file with another extension: where the user keeps the plan's files.
QString Beside(const QString& dxf, const QString& ext) {
    const QFileInfo fi(dxf.isEmpty() ? QStringLiteral("Flugplan.dxf") : dxf);
    return fi.dir().filePath(fi.completeBaseName() + ext);
}

} // namespace

QString TMainForm::AskChoice(const QString& title, const QString& label, const QStringList& items) {
    if (choiceHook)
        return choiceHook(title, items);
    bool ok = false;
    const QString chosen = QInputDialog::getItem(this, title, label, items, 0, false, &ok);
    return ok ? chosen : QString();
}

double TMainForm::ImageTop() const {
    return ToolBar1->height() + Tabcontrol1->tabBar()->height();
}

QWidget* TMainForm::ExchangeExportRow(QWidget* page) {
    ButtonKml = Button("ButtonKml", "Schreib KML", page);
    ButtonKml->setToolTip("Flugplan für Google Earth (WGS84)");
    ButtonGeoJson = Button("ButtonGeoJson", "Schreib GeoJSON", page);
    ButtonGeoJson->setToolTip("Flugplan für GIS-Programme (WGS84)");
    connect(ButtonKml, &QPushButton::clicked, this,
            [this] { Guard([this] { ButtonKmlClick(); }); });
    connect(ButtonGeoJson, &QPushButton::clicked, this,
            [this] { Guard([this] { ButtonGeoJsonClick(); }); });
    return Labelled("Flugplan als KML / GeoJSON", {ButtonKml, ButtonGeoJson}, page);
}

QWidget* TMainForm::GeoreferenceRow(QWidget* page) {
    ButtonWorld = Button("ButtonWorld", "Weltdatei schreiben", page);
    ButtonWorld->setToolTip("Weltdatei (.jgw) und QGIS-Passpunkte (.points) neben das Bild "
                            "der Kartenkopie schreiben");
    ButtonGcpImport = Button("ButtonGcpImport", "Passpunkte laden", page);
    ButtonGcpImport->setToolTip("Passpunkte aus einer QGIS-Datei (.points) hinzufügen");
    connect(ButtonWorld, &QPushButton::clicked, this,
            [this] { Guard([this] { ButtonWorldClick(); }); });
    connect(ButtonGcpImport, &QPushButton::clicked, this,
            [this] { Guard([this] { ButtonGcpImportClick(); }); });
    return Labelled("QGIS", {ButtonWorld, ButtonGcpImport}, page);
}

void TMainForm::ButtonImportClick() {
    // Said before the user looks for a file: without a transformation the area has no place
    // on the map copy.
    if (state_.TrafO == 0 && state_.TrafA == 0)
        throw korvale::Error(korvale::ErrorKind::Refused,
                             "Zuerst Passpunkte setzen und transformieren (Tr): ohne "
                             "Transformation lässt sich das Gebiet nicht auf der Kartenkopie "
                             "platzieren.");
    const QString path = AskFileName(
        FileDialogKind::Open, QStringLiteral("Gebiet importieren (KML, KMZ, GeoJSON)"), QString());
    if (path.isEmpty())
        return;
    const std::vector<korvale::AreaPolygon> areas = korvale::ReadAreaFile(path.toStdString());
    std::size_t pick = 0;
    if (areas.size() > 1) {
        QStringList items;
        for (std::size_t i = 0; i < areas.size(); ++i)
            items << Q(korvale::AreaLabel(areas[i], i));
        const QString chosen = AskChoice(QStringLiteral("Gebiet importieren"),
                                         QStringLiteral("Welche Fläche wird das Gebiet?"), items);
        const auto at = items.indexOf(chosen);
        if (chosen.isEmpty() || at < 0)
            return;
        pick = static_cast<std::size_t>(at);
    }
    const korvale::AreaPolygon& area = areas[pick];
    korvale::PlaceArea(state_, param_, area, korvale::ProjectCentralMeridian(state_), &history_);
    NumberBoxFlaeche->Refresh();
    Showgrafik();
    DisplayBorderLine();
    std::string status = korvale::Format("Gebiet importiert: %d Ecken", {area.ring.size()});
    if (!area.inner.empty())
        status +=
            korvale::Format(", %d Loch/Löcher als Sperrfläche ausgespart", {area.inner.size()});
    if (korvale::DroppedHoles(area) > 0)
        status += korvale::Format(", %d Loch/Löcher nicht lesbar, nicht berücksichtigt",
                                  {korvale::DroppedHoles(area)});
    SetStatus(Q(status), true);
}

void TMainForm::ButtonKmlClick() {
    const korvale::PlanGeo plan = korvale::PlanGeoFromState(state_, param_, plans_);
    const QString path = AskFileName(FileDialogKind::Save, QStringLiteral("Schreib KML"),
                                     Beside(EditDXFFileName->text(), QStringLiteral(".kml")));
    if (path.isEmpty())
        return;
    korvale::WritePlanKml(path.toStdString(), plan);
    SetStatus(QStringLiteral("KML geschrieben: ") + path, true);
}

void TMainForm::ButtonGeoJsonClick() {
    const korvale::PlanGeo plan = korvale::PlanGeoFromState(state_, param_, plans_);
    const QString path = AskFileName(FileDialogKind::Save, QStringLiteral("Schreib GeoJSON"),
                                     Beside(EditDXFFileName->text(), QStringLiteral(".geojson")));
    if (path.isEmpty())
        return;
    korvale::WritePlanGeoJson(path.toStdString(), plan);
    SetStatus(QStringLiteral("GeoJSON geschrieben: ") + path, true);
}

// Beside the project's map image (the name "Karte sichern" gives it): the world file and the
// control points for QGIS. The image itself is written too when it is not there yet or is of
// another size, so that the three files belong together; an image already saved is kept, since
// encoding it again would lose quality for nothing.
void TMainForm::ButtonWorldClick() {
    const std::string name = EditKVName->text().toStdString();
    if (name.empty())
        throw korvale::Error(korvale::ErrorKind::Refused,
                             "Kein Dateiname für das Projekt angegeben.");
    const QImage& map = ImageViewer1->image();
    if (map.isNull())
        throw korvale::Error(korvale::ErrorKind::Refused, "Keine Kartenkopie vorhanden.");
    const double top = ImageTop();
    const korvale::WorldFile w = korvale::MakeWorldFile(state_, top);
    const std::string points = korvale::WriteGcpPoints(state_, top);
    const std::string image = korvale::ProjectImageName(name);

    // The image is written again unless the one there is this map copy's size; the world
    // file, its coordinate system (.prj and GDAL's side-car) and the control points go with it
    // as one set, so that a GIS never finds a world file of one copy beside another.
    QByteArray jpeg;
    QImageReader existing(Q(image));
    if (existing.size() != map.size()) {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        if (!map.save(&buffer, "JPG", 95))
            throw korvale::Error(korvale::ErrorKind::File,
                                 "Die Kartenkopie lässt sich nicht als JPEG speichern.");
    }
    const std::string world = korvale::WorldFileText(w), wkt = korvale::UtmWkt(w),
                      aux = korvale::GdalAuxXml(w);
    std::vector<korvale::FileToWrite> files = {{korvale::WorldFileName(image), world},
                                               {korvale::PrjFileName(image), wkt},
                                               {image + ".aux.xml", aux},
                                               {image + ".points", points}};
    if (!jpeg.isEmpty())
        files.insert(files.begin(),
                     {image, std::string_view(jpeg.constData(), static_cast<size_t>(jpeg.size()))});
    korvale::WriteFilesAtomic(files);
    SetStatus(Q(korvale::Format("Weltdatei geschrieben: %s (UTM, EPSG:%d)",
                                {korvale::WorldFileName(image), korvale::UtmEpsg(w)})),
              true);
}

void TMainForm::ButtonGcpImportClick() {
    const QString path = AskFileName(FileDialogKind::Open,
                                     QStringLiteral("Passpunkte laden (QGIS .points)"), QString());
    if (path.isEmpty())
        return;
    const std::string file = path.toStdString();
    std::size_t added = 0;
    try {
        const korvale::GcpFile f = korvale::ReadGcpPoints(korvale::ReadFileBytes(file));
        added = korvale::ImportGcpControlPoints(state_, param_, f, ImageTop(), &history_);
    } catch (const korvale::Error& e) {
        throw korvale::Error(e.kind(), std::string(e.what()) + "\nDatei: " + file);
    }
    ShowPoints();
    SetStatus(
        Q(korvale::Format("%d Passpunkte hinzugefügt; Tr berechnet die Transformation.", {added})),
        true);
}
