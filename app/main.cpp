// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Program start: the command line, German standard dialogs, the main window, the event loop.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <new>
#include <unistd.h>

#include "commandline.h"
#include "korvale_buildinfo.h"
#include "korvale_help.h"
#include "mainform.h"
#include "planning/plan.h"

namespace {

QStringList Arguments(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

} // namespace

int main(int argc, char** argv) {
    // --help and --version are answered before the application object exists, so that they
    // work without a display (in a terminal over ssh, in a package build).
    const korvale::CommandLine early = korvale::ParseCommandLine(Arguments(argc, argv));
    if (early.action == korvale::CommandAction::Help) {
        std::fputs(kHelpText, stdout);
        return 0;
    }
    if (early.action == korvale::CommandAction::Version) {
        std::printf("korvale %s (Build %s)\n%s\n", kKorvaleVersion, kKorvaleBuild, kKorvaleLicence);
        return 0;
    }

    // Chromium inside the web map refuses to run as root with its sandbox.
    if (geteuid() == 0) {
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        if (!flags.contains("--no-sandbox")) {
            flags = flags.isEmpty() ? QByteArray("--no-sandbox") : flags + " --no-sandbox";
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
        }
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Qt has taken its own options (-platform, -style, ...) out of argv; the rest is ours.
    const korvale::CommandLine cl = korvale::ParseCommandLine(Arguments(argc, argv));
    if (cl.action == korvale::CommandAction::Error) {
        std::fprintf(stderr, "korvale: %s\nWeitere Informationen mit „korvale --help“.\n",
                     cl.error.toUtf8().constData());
        return 1;
    }
    QApplication::setApplicationVersion(QString::fromLatin1(kKorvaleVersion));
    // The desktop entry's name: Wayland compositors find the menu entry and its icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.korvale.Korvale"));
    // Where the window keeps its settings (values, file names, last folder, geometry).
    QCoreApplication::setOrganizationName(QStringLiteral("Korvale"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvale"));
    QTranslator translator;
    if (translator.load(QStringLiteral("qtbase_de"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);
    TMainForm form;
    // The installed theme icon; in a build tree the window's own drone icon (its resources are
    // registered by the window).
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("de.korvale.Korvale"),
                                                 QIcon(QStringLiteral(":/icons/drone.svg"))));

    const QString report = qEnvironmentVariable("KORVALE_STARTUP_REPORT");
    if (!report.isEmpty())
        return korvale::RunStartupReport(form, cl.file, report);

    form.show();
    // Work autosaved by a run that did not end is offered first; the project named on the
    // command line opens after that (asking, if recovered work would be replaced). Both wait
    // for the window, so that their boxes have it.
    QTimer::singleShot(0, &form, [&form, file = cl.file] {
        form.OfferRecovery();
        if (!file.isEmpty())
            korvale::OpenProject(form, file);
    });
    try {
        return QApplication::exec();
    } catch (const std::bad_alloc&) { // outside any handler (painting, layout)
        std::fprintf(stderr, "korvale: %s\n", korvale::kOutOfMemoryText);
        return 1;
    }
}
