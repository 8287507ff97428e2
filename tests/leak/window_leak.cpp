// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// A window that, asked with "leak", loses 400 bytes in a timer handler, as a fault in one of the
// window's handlers would. Run in the AddressSanitizer build with scripts/lsan.supp: the leak
// must be reported although every handler runs inside Qt's event loop (frames of QtCore), and
// without "leak" the run must end clean, so the suppressions cover what Qt keeps at exit.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <cstring>

namespace {

void* volatile g_sink = nullptr;

// Kept out of line so that the leak report names it.
[[gnu::noinline]] void LoseBytesInHandler() {
    g_sink = new char[400];
    g_sink = nullptr;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool leak = argc > 1 && std::strcmp(argv[1], "leak") == 0;
    QLabel window(QStringLiteral("Leckprüfung"));
    window.resize(320, 120);
    window.show();
    QTimer::singleShot(10, &window, [leak] {
        if (leak)
            LoseBytesInHandler();
        QApplication::quit();
    });
    return QApplication::exec();
}
