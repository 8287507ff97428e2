// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the window to be looked at: when KORVALE_SHOTS names a folder, the window tests
// that show something worth seeing save it there (PNG, or the PDF a test wrote), e.g.
//   KORVALE_SHOTS=/tmp/shots ctest --preset dev -L app
#pragma once

#include <QString>
#include <QtGlobal>

namespace pagetest {

// The path of the picture `name` in the folder, or an empty string when no folder is named.
inline QString ShotPath(const QString& name) {
    const QString folder = qEnvironmentVariable("KORVALE_SHOTS");
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + name;
}

} // namespace pagetest
