// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes of the window: a title that says what failed, an icon by the kind of error,
// and long texts cut to a summary with the whole text in the details area.
#pragma once

#include <QString>

#include "mainform.h"
#include "model/error.h"

namespace korvale {

// `given` when a handler named what failed, else a title for the kind of error.
QString ErrorTitle(const QString& given, ErrorKind kind);
// A refusal or a wrong input warns; a file that failed or anything unexpected is critical.
TMainForm::MessageIcon ErrorIcon(ErrorKind kind);

// A text of more than kShownLines lines: its first lines, a line that says how many more are
// in the details, and its last line (the remedy of a refusal stands there). `details` is the
// whole text, empty for a text short enough to be shown whole.
struct MessageParts {
    QString shown;
    QString details;
};
inline constexpr int kShownLines = 8;
MessageParts SplitLongMessage(const QString& text);

} // namespace korvale
