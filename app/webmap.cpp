// The web map page and the map copy: browser on demand, service switch, copy, drop and paste.
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QImageReader>
#include <QLayout>
#include <QMimeData>
#include <QTabWidget>
#include <QWebEngineView>

#include "imageviewer.h"
#include "mainform.h"
#include "model/error.h"

namespace {

const char* const kBingUrl = "https://www.bing.com/maps";
const char* const kGoogleUrl = "https://www.google.com/maps";

} // namespace

void TMainForm::EnsureWebBrowser() {
    if (WebBrowser1)
        return;
    WebBrowser1 = new QWebEngineView(TabItemMaps);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    TabItemMaps->layout()->addWidget(WebBrowser1);
    WebBrowser1->setUrl(QUrl(QString::fromLatin1(kBingUrl)));
}

void TMainForm::TabItemMapsDblClick() {
    EnsureWebBrowser();
    const int index = Tabcontrol1->indexOf(TabItemMaps);
    if (WebBrowser1->url().toString().contains(QStringLiteral("google"))) {
        WebBrowser1->setUrl(QUrl(QString::fromLatin1(kBingUrl)));
        Tabcontrol1->setTabText(index, QStringLiteral("Bing Maps"));
    } else {
        WebBrowser1->setUrl(QUrl(QString::fromLatin1(kGoogleUrl)));
        Tabcontrol1->setTabText(index, QStringLiteral("Google Maps"));
    }
}

void TMainForm::ButtonMapCopyClick() {
    EnsureWebBrowser();
    SetMapCopy(WebBrowser1->grab().toImage());
}

void TMainForm::SetMapCopy(const QImage& image) {
    ImageViewer1->setImage(image);
    ImageViewer2->update();
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
    SetMapCopy(image);
}

void TMainForm::PasteMapCopy() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return;
    if (data->hasImage()) {
        SetMapCopy(qvariant_cast<QImage>(data->imageData()));
    } else if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile()) {
        DropMapFile(data->urls().first().toLocalFile());
    }
}
