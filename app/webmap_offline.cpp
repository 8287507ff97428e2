// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "webmap_offline.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

namespace korvale {

namespace {

// The engine's code for a load that gave way to another one.
constexpr int kAborted = -3;

} // namespace

QString LoadFailedHtml(const QUrl& url) {
    const QString address = url.toDisplayString().toHtmlEscaped();
    return QStringLiteral(
               "<!DOCTYPE html><html lang=\"de\"><head><meta charset=\"utf-8\">"
               "<title>Karte nicht erreichbar</title></head>"
               "<body style=\"font: 15px sans-serif; margin: 2em; color: #222\">"
               "<h2>Die Karte konnte nicht geladen werden</h2>"
               "<p>Adresse: <b>%1</b></p>"
               "<p>Bitte die Internetverbindung prüfen und die Seite dann erneut öffnen "
               "(Doppelklick auf den Reiter wechselt den Kartendienst).</p>"
               "<p>Ohne Verbindung lässt sich eine Kartenkopie auch als Bild (PNG oder JPEG) "
               "auf die Seite „Kartenkopie“ ziehen.</p></body></html>")
        .arg(address);
}

void ShowLoadFailuresInGerman(QWebEnginePage* page) {
    QObject::connect(page, &QWebEnginePage::loadingChanged, page,
                     [page](const QWebEngineLoadingInfo& info) {
                         if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus ||
                             info.errorCode() == kAborted ||
                             info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain ||
                             info.errorDomain() == QWebEngineLoadingInfo::NoErrorDomain)
                             return;
                         // Only the address last asked for: a late answer for an earlier one
                         // must not cover the page that replaced it.
                         if (info.url() != page->requestedUrl())
                             return;
                         page->setHtml(LoadFailedHtml(info.url()), info.url());
                     });
}

} // namespace korvale
