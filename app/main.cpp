// Program start: German standard dialogs, the main window, the event loop.
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <unistd.h>

#include "mainform.h"

int main(int argc, char** argv) {
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
    // Where the window keeps its settings (values, file names, last folder, geometry).
    QCoreApplication::setOrganizationName(QStringLiteral("Korvale"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvale"));
    QTranslator translator;
    if (translator.load(QStringLiteral("qtbase_de"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);
    TMainForm form;
    form.show();
    return QApplication::exec();
}
