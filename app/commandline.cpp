// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of the window program and the start-up report of installation tests.
#include "commandline.h"
#include <QFileInfo>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QWindow>

#include "imageviewer.h"
#include "mainform.h"

namespace korvale {

CommandLine ParseCommandLine(const QStringList& args) {
    CommandLine cl;
    for (const QString& a : args) {
        if (a == QLatin1String("--"))
            break;
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            cl.action = CommandAction::Help;
            return cl;
        }
        if (a == QLatin1String("--version")) {
            cl.action = CommandAction::Version;
            return cl;
        }
    }
    QStringList files;
    bool onlyFiles = false;
    for (const QString& a : args) {
        if (!onlyFiles && a == QLatin1String("--")) {
            onlyFiles = true;
        } else if (!onlyFiles && a.startsWith(QLatin1Char('-')) && a != QLatin1String("-")) {
            cl.action = CommandAction::Error;
            cl.error = QStringLiteral("Unbekannte Option „%1“.").arg(a);
            return cl;
        } else {
            files << a;
        }
    }
    if (files.size() > 1) {
        cl.action = CommandAction::Error;
        cl.error = QStringLiteral("Nur ein Kartenprojekt lässt sich öffnen, nicht %1 (%2).")
                       .arg(files.size())
                       .arg(files.join(QStringLiteral(", ")));
        return cl;
    }
    if (!files.isEmpty())
        cl.file = files.front();
    return cl;
}

bool OpenProject(TMainForm& form, const QString& file) {
    const QString before = form.EditKVName->text();
    bool loaded = false;
    form.Guard([&] {
        // A name typed in a terminal is relative to the terminal's folder, not to the last
        // folder of the file dialogs that names without a folder otherwise refer to.
        form.EditKVName->setText(QFileInfo(file).absoluteFilePath());
        form.ButtonLoadKVClick();
        loaded = true;
    });
    // The name field belongs to the project in the window: a project that did not open must
    // not become the target of the next "Karte sichern".
    if (!loaded)
        form.EditKVName->setText(before);
    else
        form.BringMapToFront(); // whoever names a project wants to see its map
    return loaded;
}

namespace {

// One report line; a line break inside a value would start a false key.
QString Line(const char* key, QString value) {
    value.replace(QLatin1Char('\n'), QStringLiteral(" | "));
    return QLatin1String(key) + QLatin1Char('=') + value + QLatin1Char('\n');
}

void WaitForExposure(QWidget& w) {
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired() && !(w.windowHandle() && w.windowHandle()->isExposed()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents();
}

} // namespace

int RunStartupReport(TMainForm& form, const QString& file, const QString& reportPath) {
    QStringList messages;
    form.messageHook = [&messages](const QString& m) { messages << m; };
    form.show();
    WaitForExposure(form);
    if (!file.isEmpty())
        OpenProject(form, file);
    form.ButtonHelp->click();
    QCoreApplication::processEvents();

    const bool exposed =
        form.isVisible() && form.windowHandle() && form.windowHandle()->isExposed();
    const QString help = form.Memo2->toPlainText();
    const QImage& map = form.ImageViewer1->image();
    QString report;
    report += Line("window", exposed ? QStringLiteral("visible") : QStringLiteral("hidden"));
    report += Line("title", form.windowTitle());
    report += Line("page", form.Tabcontrol1->tabText(form.Tabcontrol1->currentIndex()));
    report += Line("help_lines", QString::number(help.isEmpty() ? 0 : help.count('\n') + 1));
    report += Line("help_first", help.section(QLatin1Char('\n'), 0, 0));
    report += Line("points", QString::number(form.state().Points.size()));
    report += Line("map", QStringLiteral("%1x%2").arg(map.width()).arg(map.height()));
    report += Line("project", form.EditKVName->text());
    for (const QString& m : messages)
        report += Line("message", m);

    form.grab().save(reportPath + QStringLiteral(".png"), "PNG");
    QFile out(reportPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(report.toUtf8()) < 0 ||
        !out.flush())
        return 1;
    return 0;
}

} // namespace korvale
