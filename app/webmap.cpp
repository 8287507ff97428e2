// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The web map page and the map copy: browser on demand, service switch, copy, drop and paste.
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QImageReader>
#include <QLayout>
#include <QMimeData>
#include <QTabWidget>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>

#include "imageviewer.h"
#include "mainform.h"
#include "model/error.h"
#include "model/format.h"
#include "webmap_offline.h"

namespace {

const char* const kBingUrl = "https://www.bing.com/maps";
const char* const kGoogleUrl = "https://www.google.com/maps";

} // namespace

void TMainForm::EnsureWebBrowser() {
    if (WebBrowser1)
        return;
    WebBrowser1 = new QWebEngineView(TabItemMaps);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    auto* page = new QWebEnginePage(WebProfile(), WebBrowser1);
    // The tile-map page is a local file that shows Leaflet's installed files and web tiles.
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    WebBrowser1->setPage(page);
    korvale::ShowLoadFailuresInGerman(page);
    TabItemMaps->layout()->addWidget(WebBrowser1);
    WebBrowser1->setUrl(QUrl(QString::fromLatin1(kBingUrl)));
}

void TMainForm::TabItemMapsDblClick() {
    EnsureWebBrowser();
    // The sources in turn: Bing Maps, Google Maps, then the tile maps, then Bing Maps again.
    if (tileSource_ >= 0 && tileSource_ + 1 < static_cast<int>(TileSources().size())) {
        ShowTileSource(tileSource_ + 1);
        return;
    }
    if (tileSource_ < 0 && WebBrowser1->url().toString().contains(QStringLiteral("google"))) {
        ShowTileSource(0);
        return;
    }
    const bool toBing = tileSource_ >= 0;
    LeaveTileSource();
    const int index = Tabcontrol1->indexOf(TabItemMaps);
    if (toBing) {
        WebBrowser1->setUrl(QUrl(QString::fromLatin1(kBingUrl)));
        Tabcontrol1->setTabText(index, QStringLiteral("Bing Maps"));
    } else {
        WebBrowser1->setUrl(QUrl(QString::fromLatin1(kGoogleUrl)));
        Tabcontrol1->setTabText(index, QStringLiteral("Google Maps"));
    }
}

void TMainForm::ButtonMapCopyClick() {
    // A browser that was never on the screen has no size of its own yet: its capture is a
    // small white strip, which must not replace a map copy.
    if (!webMapShown_ || !WebBrowser1 || WebBrowser1->width() < 2 || WebBrowser1->height() < 2)
        throw korvale::Error(
            korvale::ErrorKind::Refused,
            "Die Webkarte wurde noch nicht angezeigt: es gibt nichts zu kopieren.\n"
            "Bitte zuerst die Seite „" +
                Tabcontrol1->tabText(Tabcontrol1->indexOf(TabItemMaps)).toStdString() +
                "“ öffnen, den Ausschnitt wählen und dann „Cp“ drücken.");
    // The tile map answers with its view first; the copy follows with its control points.
    if (tileSource_ >= 0) {
        TileMapCopy();
        return;
    }
    const QImage shot = GrabWebMap();
    if (ReplaceMapCopy(shot))
        SetStatus(QStringLiteral("Webkarte in die Kartenkopie übernommen (%1 × %2 Pixel)")
                      .arg(shot.width())
                      .arg(shot.height()),
                  true);
}

QImage TMainForm::GrabWebMap() const {
    // The capture at the view's own size: one map-copy pixel per pixel of the view, whatever
    // the screen's pixel ratio.
    QImage shot = WebBrowser1->grab().toImage();
    if (shot.size() != WebBrowser1->size())
        shot = shot.scaled(WebBrowser1->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return shot;
}

void TMainForm::SetMapCopy(const QImage& image) {
    ImageViewer1->setImage(image);
    ImageViewer2->update();
}

QString TMainForm::ControlPointCount(long long n) {
    return QString::fromStdString(korvale::Format(n == 1 ? "%d Passpunkt" : "%d Passpunkte", {n}));
}

bool TMainForm::ReplaceMapCopy(const QImage& image) {
    const auto& pts = state_.Points;
    const auto controls = std::count_if(pts.begin(), pts.end(), [](const korvale::TPt& p) {
        return p.Typ == korvale::KindControl;
    });
    if (controls > 0 && !ImageViewer1->image().isNull() &&
        !AskQuestion(QStringLiteral("Die Kartenkopie hat %1. Soll sie wirklich durch "
                                    "ein neues Bild ersetzt werden?\nDie Punkte bleiben an "
                                    "ihren Bildpositionen und passen dann nicht mehr zur Karte.")
                         .arg(ControlPointCount(controls))))
        return false;
    SetMapCopy(image);
    return true;
}

void TMainForm::DropMapFile(const QString& path) {
    const QByteArray format = QImageReader::imageFormat(path);
    QImage image;
    if (format == "png" || format == "jpeg")
        image.load(path, format.constData());
    if (image.isNull())
        throw korvale::Error(korvale::ErrorKind::Refused,
                             "Die Datei \"" + QFileInfo(path).fileName().toStdString() +
                                 "\" ist kein Bild im Format PNG oder JPEG.");
    ReplaceMapCopy(image);
}

void TMainForm::PasteMapCopy() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime)
        return;
    if (mime->hasImage()) {
        ReplaceMapCopy(qvariant_cast<QImage>(mime->imageData()));
    } else if (mime->hasUrls() && !mime->urls().isEmpty() && mime->urls().first().isLocalFile()) {
        DropMapFile(mime->urls().first().toLocalFile());
    }
}
