// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Shared set-up of the window tests: the program's main (one QApplication for the whole run,
// offscreen unless told otherwise) and a fixture holding a fresh window with recorded messages.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>
#include <ostream>

#include "imageviewer.h"
#include "mainform.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace windowtest {

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Every test starts from the design's start values: nothing remembered.
        QSettings().clear();
        w = std::make_unique<TMainForm>();
        w->messageHook = [this](const QString& m) { messages << m; };
        // Unsaved work is let go without a box; tests of the question answer it themselves.
        w->unsavedHook = [](const QString&) { return TMainForm::UnsavedChoice::Discard; };
    }
    void TearDown() override { w.reset(); }

    // Shows the window and the map copy page, so that real mouse events reach the overlay.
    void ShowMapPage() {
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->Tabcontrol1->setCurrentWidget(w->TabItemKarte);
        QCoreApplication::processEvents();
    }
    void Press(Qt::MouseButton b, QPoint view) { QTest::mousePress(w->ImageViewer2, b, {}, view); }
    void Release(Qt::MouseButton b, QPoint view) {
        QTest::mouseRelease(w->ImageViewer2, b, {}, view);
    }
    void Click(Qt::MouseButton b, QPoint view) {
        Press(b, view);
        Release(b, view);
    }
    QString Status() const { return w->LabelStatus->text(); }

    std::unique_ptr<TMainForm> w;
    QStringList messages;
};

// A north-up map copy: a light grey field with a darker grid every 50 pixels.
inline QImage SyntheticMap(int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y,
                         (x % 50 == 0 || y % 50 == 0) ? qRgb(120, 120, 120) : qRgb(210, 210, 200));
    return img;
}

} // namespace windowtest

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Settings go to a folder of this run, never to the developer's own.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    // Autosaves, too.
    qputenv("XDG_STATE_HOME", (settings.path() + QStringLiteral("/state")).toUtf8());
    QCoreApplication::setOrganizationName(QStringLiteral("KorvaleTest"));
    QCoreApplication::setApplicationName(QStringLiteral("KorvaleTest"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
