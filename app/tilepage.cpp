// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The tile-map source of the web map page: a Leaflet page over Web Mercator tiles whose copy
// arrives tied to the ground by five control points.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRect>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "georef/tilemap.h"
#include "georef/transform.h"
#include "imageviewer.h"
#include "mainform.h"
#include "model/error.h"
#include "planning/edits.h"
#include "planning/tile_copy.h"

#ifndef KORVALE_VERSION
#define KORVALE_VERSION "0"
#endif

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Debian's libjs-leaflet; the page loads leaflet.js and leaflet.css relative to it.
const char* const kLeafletDir = "/usr/share/javascript/leaflet/";

// One profile for the whole run: the tile servers ask for a program that names itself and
// keeps their tiles as long as they allow, so the HTTP cache lives on disk. The engine cannot
// share one disk profile between two running programs; a second Korvale gets a profile in
// memory (same name towards the servers, cache for this run only).
struct WebProfile {
    QWebEngineProfile* profile = nullptr;
    QString browserAgent; // the engine's own, for the pages of the web services
};

WebProfile& Profile() {
    static WebProfile p = [] {
        WebProfile w;
        const QDir cache(QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
        static QLockFile lock(cache.filePath(QStringLiteral("web.lock")));
        if (QDir().mkpath(cache.path()) && lock.tryLock(0)) {
            w.profile = new QWebEngineProfile(QStringLiteral("korvale"), qApp);
            w.profile->setCachePath(cache.filePath(QStringLiteral("web")));
            w.profile->setPersistentStoragePath(cache.filePath(QStringLiteral("web-storage")));
            w.profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        } else {
            w.profile = new QWebEngineProfile(qApp);
            w.profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        }
        w.browserAgent = w.profile->httpUserAgent();
        return w;
    }();
    return p;
}

QString TileAgent() {
    return QStringLiteral("Korvale/%1 (Flugplanung für Kameradrohnen; Qt WebEngine)")
        .arg(QLatin1String(KORVALE_VERSION));
}

// A template the page can show: {z}, {x} and {y} in a web or local address.
bool UsableTemplate(const QString& url) {
    const QString scheme = QUrl(url).scheme();
    return (scheme == QLatin1String("https") || scheme == QLatin1String("http") ||
            scheme == QLatin1String("file")) &&
           url.contains(QLatin1String("{z}")) && url.contains(QLatin1String("{x}")) &&
           url.contains(QLatin1String("{y}"));
}

double Number(const QVariantMap& m, const char* key) {
    bool ok = false;
    const double d = m.value(QLatin1String(key)).toDouble(&ok);
    return ok ? d : std::nan("");
}

} // namespace

QWebEngineProfile* TMainForm::WebProfile() {
    return Profile().profile;
}

std::vector<TMainForm::TileSource> TMainForm::TileSources() const {
    std::vector<TileSource> out{{QStringLiteral("OpenStreetMap"),
                                 QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png"),
                                 QStringLiteral("© OpenStreetMap-Mitwirkende"), 19}};
    // Further sources the user has access to, in the settings: tileSources/<n>/name, url
    // (with {z}, {x}, {y}), attribution, maxZoom. A source without a usable template or
    // without attribution is left out: a map copy must always say whose map it is.
    QSettings s;
    const int n = s.beginReadArray(QStringLiteral("tileSources"));
    for (int i = 0; i < n; ++i) {
        s.setArrayIndex(i);
        TileSource t;
        t.name = s.value(QStringLiteral("name")).toString().trimmed();
        t.url = s.value(QStringLiteral("url")).toString().trimmed();
        t.attribution = s.value(QStringLiteral("attribution")).toString().trimmed();
        t.maxZoom = std::clamp(s.value(QStringLiteral("maxZoom"), 19).toInt(), 1, 24);
        if (t.name.isEmpty())
            t.name = QStringLiteral("Kachelkarte %1").arg(i + 2);
        if (UsableTemplate(t.url) && !t.attribution.isEmpty())
            out.push_back(t);
    }
    s.endArray();
    return out;
}

void TMainForm::ShowTileSource(int i) {
    EnsureWebBrowser();
    const std::vector<TileSource> sources = TileSources();
    i = std::clamp(i, 0, static_cast<int>(sources.size()) - 1);
    const TileSource& t = sources[static_cast<std::size_t>(i)];

    // Start where the project lies, else over the middle of Germany.
    double B = 51.16;
    double L = 10.45;
    int zoom = 6;
    int n = 0;
    double sumB = 0;
    double sumL = 0;
    for (const korvale::TPt& p : state_.Points)
        if (p.B != 0 || p.L != 0) {
            sumB += p.B;
            sumL += p.L;
            ++n;
        }
    if (n > 0) {
        B = sumB / n;
        L = sumL / n;
        zoom = std::min(16, t.maxZoom);
    }
    QJsonObject config{{QStringLiteral("url"), t.url},
                       {QStringLiteral("attribution"), t.attribution},
                       {QStringLiteral("maxZoom"), t.maxZoom},
                       {QStringLiteral("center"), QJsonArray{B, L}},
                       {QStringLiteral("zoom"), zoom}};
    QFile page(QStringLiteral(":/web/tilemap.html"));
    if (!page.open(QIODevice::ReadOnly))
        throw korvale::Error(korvale::ErrorKind::Internal, "Die Kachelkarten-Seite fehlt.");
    // "</" inside the script would end it early, whatever the settings hold.
    const QString json = QString::fromUtf8(QJsonDocument(config).toJson(QJsonDocument::Compact))
                             .replace(QLatin1String("</"), QLatin1String("<\\/"));
    const QString html =
        QString::fromUtf8(page.readAll()).replace(QLatin1String("/*KORVALE_CONFIG*/null"), json);

    tileSource_ = i;
    WebProfile()->setHttpUserAgent(TileAgent());
    WebBrowser1->setHtml(html, QUrl::fromLocalFile(QString::fromLatin1(kLeafletDir)));
    Tabcontrol1->setTabText(Tabcontrol1->indexOf(TabItemMaps), t.name);
}

void TMainForm::LeaveTileSource() {
    tileSource_ = -1;
    WebProfile()->setHttpUserAgent(Profile().browserAgent);
}

void TMainForm::TileMapCopy() {
    tileCopyClock_.start();
    tileCopyMs_ = -1;
    QPointer<TMainForm> self(this);
    WebBrowser1->page()->runJavaScript(
        QStringLiteral("typeof korvaleView === 'function' ? korvaleView() : null"),
        [self](const QVariant& reply) {
            if (self)
                self->Guard([&] { self->TileViewArrived(reply); });
        });
}

void TMainForm::TileViewArrived(const QVariant& reply) {
    if (tileSource_ < 0 || !WebBrowser1)
        return; // the page changed while it was asked
    const QVariantMap m = reply.toMap();
    if (m.isEmpty())
        throw korvale::Error(korvale::ErrorKind::Refused,
                             "Die Kachelkarte ist noch nicht geladen; bitte warten und dann "
                             "„Cp“ erneut drücken.");
    if (Number(m, "loading") != 0)
        throw korvale::Error(korvale::ErrorKind::Refused,
                             "Die Kachelkarte lädt noch Kacheln; bitte warten, bis sie "
                             "vollständig ist, und dann „Cp“ erneut drücken.");
    const korvale::TileView view{Number(m, "zoom"),
                                 {Number(m, "top"), Number(m, "left")},
                                 {Number(m, "bottom"), Number(m, "right")}};

    // The map area alone: the page's zoom buttons and go-to field sit in a bar above it and
    // belong to no copy.
    const double area[4] = {Number(m, "pageLeft"), Number(m, "pageTop"), Number(m, "width"),
                            Number(m, "height")};
    // A page that does not say where its map lies is taken as all map.
    QRect mapArea = WebBrowser1->rect();
    if (std::all_of(std::begin(area), std::end(area),
                    [](double v) { return std::isfinite(v) && std::fabs(v) < 1e6; }))
        mapArea =
            QRect(static_cast<int>(std::lround(area[0])), static_cast<int>(std::lround(area[1])),
                  static_cast<int>(std::lround(area[2])), static_cast<int>(std::lround(area[3])))
                .intersected(WebBrowser1->rect());
    if (mapArea.width() < 2 || mapArea.height() < 2)
        throw korvale::Error(korvale::ErrorKind::Refused,
                             "Die Kachelkarte ist zu klein für eine Kopie; bitte das Fenster "
                             "vergrößern und dann „Cp“ erneut drücken.");
    const QImage grab = GrabWebMap().copy(mapArea);
    // Checked before anything changes: a view that cannot be tied to the ground is refused.
    const korvale::TileCopyPlan plan = korvale::PlanTileCopy(view, grab.width(), grab.height());
    // Resampled to square ground pixels, so that the similarity fit holds across the copy.
    const QImage shot =
        grab.scaled(plan.width, plan.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    const auto& pts = state_.Points;
    const auto controls = std::count_if(pts.begin(), pts.end(), [](const korvale::TPt& p) {
        return p.Typ == korvale::KindControl;
    });
    if (controls > 0 &&
        !AskQuestion(QStringLiteral("Die Kartenkopie hat %1. Sollen Kartenkopie und "
                                    "Passpunkte durch die Kachelkarte mit ihren fünf Passpunkten "
                                    "ersetzt werden?\nBei „Nein“ bleibt alles, wie es ist.")
                         .arg(ControlPointCount(controls))))
        return;

    // One undoable step: points, transformation and the map copy they belong to.
    const korvale::TrafResult r = korvale::TakeTileCopy(state_, param_, plan, ImageTop(), &history_,
                                                        std::any(ImageViewer1->image()));
    SetMapCopy(shot);
    tileCopyMs_ = static_cast<double>(tileCopyClock_.nsecsElapsed()) / 1e6;

    for (const std::string& line : r.protocol)
        Memo1->appendPlainText(Q(line));
    PointsChanged();
    SetStatus(QStringLiteral("Kachelkarte übernommen (%1 × %2 Pixel), 5 Passpunkte – %3")
                  .arg(shot.width())
                  .arg(shot.height())
                  .arg(Q(r.status)),
              true);
    RefreshParameterPage();
    ShowQuality();
    Showgrafik();
    // The copy comes to the front with its five control points.
    ShowPoints();
}
