// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The web map page when a service cannot be reached: a German page in place of the engine's
// English error page.
#pragma once

class QString;
class QUrl;
class QWebEnginePage;

namespace korvale {

// From now on, a main page of `page` that fails to load (no connection, unknown host, refused
// or broken connection) is replaced by a short German text naming the address and saying what
// to check. The address stays the page's address, so the service switch by double click works
// on as before. An aborted load (another address asked for meanwhile) and an answer of the
// server itself (an HTTP error page) are left as they are.
void ShowLoadFailuresInGerman(QWebEnginePage* page);

// The text of that page for a failed address, as HTML.
QString LoadFailedHtml(const QUrl& url);

} // namespace korvale
