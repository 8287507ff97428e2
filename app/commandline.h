// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of the window program: what it asks for, opening a map project named on it,
// and the start-up report by which an installation is checked without a person at the screen.
#pragma once

#include <QString>
#include <QStringList>

class TMainForm;

namespace korvale {

enum class CommandAction { Run, Help, Version, Error };

struct CommandLine {
    CommandAction action = CommandAction::Run;
    QString file;  // the map project to open; empty for none
    QString error; // German text when action is Error
};

// Reads the arguments (without the program's name). "-h"/"--help" and "--version" win wherever
// they stand before "--", so they can be answered before Qt has taken its own options and
// without a display. Otherwise at most one file; after "--" every argument is a file name.
CommandLine ParseCommandLine(const QStringList& args);

// Opens the map project `file` as "Karte laden" does: the name goes into EditKVName and the load
// runs inside the window's guard; a loaded project's map copy page comes to the front. All or
// nothing: after a failure the message has been shown, the window holds what it held before and
// EditKVName its previous name. Returns true on success.
bool OpenProject(TMainForm& form, const QString& file);

// For installation tests (environment variable KORVALE_STARTUP_REPORT): shows the window, opens
// `file` if given, presses the help button, and writes what came of it to `reportPath` (lines
// "key=value": window, title, page, help_lines, help_first, points, map, project, message) and a
// picture of the window to `reportPath` + ".png". Messages are recorded instead of shown.
// Returns the exit status: 0 when the report was written.
int RunStartupReport(TMainForm& form, const QString& file, const QString& reportPath);

} // namespace korvale
