// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of the window program: which arguments ask for help, the version, a project,
// or are refused. The installed program is started for real in tests/install.
#include <gtest/gtest.h>

#include "commandline.h"

using korvale::CommandAction;

namespace {

struct Case {
    QStringList args;
    CommandAction action;
    const char* file;  // expected project for Run
    const char* error; // decisive part of the message for Error
};

TEST(CommandLine, TableOfArguments) {
    const Case cases[] = {
        {{}, CommandAction::Run, "", ""},
        {{"Feld.dat"}, CommandAction::Run, "Feld.dat", ""},
        {{"/home/anna.berg/Heim.dat"}, CommandAction::Run, "/home/anna.berg/Heim.dat", ""},
        {{"-"}, CommandAction::Run, "-", ""},
        {{"--", "-Feld.dat"}, CommandAction::Run, "-Feld.dat", ""},
        // After "--" nothing is an option, not even --help.
        {{"--", "--help"}, CommandAction::Run, "--help", ""},
        {{"--help"}, CommandAction::Help, "", ""},
        {{"-h"}, CommandAction::Help, "", ""},
        {{"--version"}, CommandAction::Version, "", ""},
        // Help and version win over what else stands there, Qt's options or errors.
        {{"-platform", "offscreen", "--version"}, CommandAction::Version, "", ""},
        {{"a.dat", "b.dat", "--help"}, CommandAction::Help, "", ""},
        {{"--version", "--help"}, CommandAction::Version, "", ""},
        {{"--gibtsnicht"}, CommandAction::Error, "", "Unbekannte Option „--gibtsnicht“."},
        {{"-v"}, CommandAction::Error, "", "Unbekannte Option „-v“."},
        {{"a.dat", "b.dat"}, CommandAction::Error, "", "Nur ein Kartenprojekt"},
        {{"a.dat", "--", "b.dat"}, CommandAction::Error, "", "nicht 2 (a.dat, b.dat)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const korvale::CommandLine cl = korvale::ParseCommandLine(c.args);
        EXPECT_EQ(cl.action, c.action);
        EXPECT_EQ(cl.file.toStdString(), c.file);
        if (c.action == CommandAction::Error)
            EXPECT_TRUE(cl.error.contains(QString::fromUtf8(c.error))) << cl.error.toStdString();
        else
            EXPECT_TRUE(cl.error.isEmpty());
    }
}

} // namespace
