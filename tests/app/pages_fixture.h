// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Shared set-up of the page tests: the real window offscreen, with recorded messages and
// scripted file dialogs, and a synthetic georeferenced map copy.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>

#include <deque>
#include <memory>
#include <string>

#include "mainform.h"
#include "numberboxwidget.h"

namespace pagetest {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test_pages";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        auto* a = new QApplication(argc, argv);
        // Settings go to a folder of this run, never to the developer's own.
        static QTemporaryDir settings;
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        // Autosaves, too (a child run of a crash test is given its parent's folder).
        const QByteArray given = qgetenv("KORVALE_TEST_STATE_HOME");
        qputenv("XDG_STATE_HOME",
                given.isEmpty() ? (settings.path() + QStringLiteral("/state")).toUtf8() : given);
        QCoreApplication::setOrganizationName(QStringLiteral("KorvaleTest"));
        QCoreApplication::setApplicationName(QStringLiteral("KorvaleTest"));
        return a;
    }();
    return *app;
}

// Types `text` into a line edit as a user would (replacing what it shows) and presses Return.
inline void TypeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(edit, &press);
    }
    QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &ret);
}

class PagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(dir.isValid());
        QSettings().clear(); // the design's start values
        w = std::make_unique<TMainForm>();
        w->messageHook = [this](const QString& m) { messages.push_back(m); };
        // Unsaved work is let go without a box; tests of the question answer it themselves.
        w->unsavedHook = [](const QString&) { return TMainForm::UnsavedChoice::Discard; };
        w->fileDialogHook = [this](TMainForm::FileDialogKind kind, const QString&,
                                   const QString& current) {
            dialogKinds.push_back(kind);
            dialogCurrent.push_back(current);
            if (answers.empty())
                return QString();
            QString a = answers.front();
            answers.pop_front();
            return a;
        };
    }
    void TearDown() override { w.reset(); }

    QString Path(const QString& name) const { return dir.path() + "/" + name; }

    // 1 m per pixel, north up; the map's pixel (250, 400) lies at E 32 500 000, N 5 400 000.
    void Georeference() {
        korvale::State& s = w->state();
        s.TrafO = 1;
        s.TrafA = 0;
        s.TrafXbs = 250;
        s.TrafYbs = 400;
        s.TrafYs = 32500000;
        s.TrafXs = 5400000;
    }

    // A map copy with some structure, so that a JPEG round trip has something to keep.
    static QImage SyntheticMap() {
        QImage img(480, 560, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixel(x, y, qRgb((x / 40) * 20 % 256, (y / 40) * 18 % 256, 120));
        return img;
    }

    void AddPoint(float xb, float yb, std::uint8_t typ) {
        korvale::TPt p;
        p.xb = xb;
        p.yb = yb;
        p.Typ = typ;
        w->state().Points.push_back(p);
    }

    // A square border of 100 m, placed clockwise on the screen.
    void AddSquareBorder() {
        AddPoint(100, 200, korvale::KindBorder);
        AddPoint(200, 200, korvale::KindBorder);
        AddPoint(200, 300, korvale::KindBorder);
        AddPoint(100, 300, korvale::KindBorder);
    }

    // Georeferenced map, border, "Calc Raster".
    void PlanSquare() {
        w->SetMapCopy(SyntheticMap());
        Georeference();
        AddSquareBorder();
        w->ButtonWaypts->click();
    }

    QTemporaryDir dir;
    std::unique_ptr<TMainForm> w;
    std::vector<QString> messages;
    std::deque<QString> answers;
    std::vector<TMainForm::FileDialogKind> dialogKinds;
    std::vector<QString> dialogCurrent;
};

} // namespace pagetest
