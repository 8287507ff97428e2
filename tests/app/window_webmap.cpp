// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The web map page: created on demand, service switch by double click, copy into the map copy.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "window_support.h"

namespace windowtest {
namespace {

TEST_F(WindowTest, DoubleClicksOnTheTabSwitchBetweenTheServices) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->Tabcontrol1->setCurrentWidget(w->TabItemMaps);
    ASSERT_NE(w->WebBrowser1, nullptr);
    EXPECT_EQ(w->WebBrowser1->objectName(), "WebBrowser1");
    EXPECT_EQ(w->WebBrowser1->parentWidget(), w->TabItemMaps);
    EXPECT_TRUE(w->WebBrowser1->url().toString().contains("bing.com/maps"));

    QTabBar* bar = w->Tabcontrol1->tabBar();
    // The two web services as always, then the tile map (OpenStreetMap), then round again.
    const struct {
        const char* caption;
        const char* host; // nullptr: the tile map
    } steps[] = {{"Google Maps", "www.google.com"},
                 {"OpenStreetMap", nullptr},
                 {"Bing Maps", "www.bing.com"},
                 {"Google Maps", "www.google.com"}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.caption);
        QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
        EXPECT_EQ(w->Tabcontrol1->tabText(0), step.caption);
        EXPECT_EQ(w->tileSource(), step.host ? -1 : 0);
        if (step.host) {
            EXPECT_EQ(w->WebBrowser1->url().host(), step.host);
        }
    }
    // The web services see the engine's own browser name; tile servers see the program's.
    EXPECT_FALSE(TMainForm::WebProfile()->httpUserAgent().startsWith("Korvale/"));
    QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_TRUE(TMainForm::WebProfile()->httpUserAgent().startsWith("Korvale/"));
    // On disk, unless another program running beside this one holds the disk profile.
    if (!TMainForm::WebProfile()->isOffTheRecord()) {
        EXPECT_EQ(TMainForm::WebProfile()->httpCacheType(), QWebEngineProfile::DiskHttpCache);
        EXPECT_TRUE(TMainForm::WebProfile()->cachePath().startsWith(
            QStandardPaths::writableLocation(QStandardPaths::CacheLocation)));
    }
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(WindowTest, CopyButtonPutsTheBrowsersRenderingIntoTheMapCopy) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString html = dir.filePath("karte.html");
    QFile f(html);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html><body style='margin:0;background:#3c8d2f'></body></html>");
    f.close();

    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->Tabcontrol1->setCurrentWidget(w->TabItemMaps);
    ASSERT_NE(w->WebBrowser1, nullptr);
    QSignalSpy loaded(w->WebBrowser1, &QWebEngineView::loadFinished);
    w->WebBrowser1->setUrl(QUrl::fromLocalFile(html));
    // Loads of the start page (no network) may finish first; wait for the local page.
    QDeadlineTimer deadline(120000);
    bool ok = false;
    while (!ok && !deadline.hasExpired()) {
        if (loaded.isEmpty())
            loaded.wait(1000);
        for (const auto& args : loaded)
            if (args.at(0).toBool() && w->WebBrowser1->url() == QUrl::fromLocalFile(html))
                ok = true;
        loaded.clear();
    }
    ASSERT_TRUE(ok);

    // The first frame may come a little after the load: copy until it shows.
    const QRgb green = qRgb(0x3c, 0x8d, 0x2f);
    bool found = false;
    while (!found && !deadline.hasExpired()) {
        w->ButtonMapCopy->click();
        const QImage copy = w->ImageViewer1->image();
        found = !copy.isNull() && copy.pixel(copy.width() / 2, copy.height() / 2) == green;
        if (!found)
            QTest::qWait(200);
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(w->ImageViewer1->image().size(), w->WebBrowser1->size());
    // The page shown and the points stay as they were.
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemMaps);
    EXPECT_TRUE(w->state().Points.empty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(WindowTest, CopyBeforeTheWebMapWasShownIsRefused) {
    // Its capture would be a small white strip in place of the map copy.
    ASSERT_EQ(w->WebBrowser1, nullptr);
    w->SetMapCopy(QImage(50, 40, QImage::Format_RGB32));
    w->ButtonMapCopy->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Die Webkarte wurde noch nicht angezeigt"));
    EXPECT_EQ(w->ImageViewer1->image().size(), QSize(50, 40));
}

// A service that cannot be reached (offline, here a closed port) shows a German page naming the
// address in place of the engine's English error page; the address stays the page's own.
TEST_F(WindowTest, AMapServiceThatCannotBeReachedShowsAGermanPage) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->Tabcontrol1->setCurrentWidget(w->TabItemMaps);
    ASSERT_NE(w->WebBrowser1, nullptr);
    const QUrl unreachable(QStringLiteral("http://127.0.0.1:9/karte"));
    QSignalSpy loaded(w->WebBrowser1, &QWebEngineView::loadFinished);
    w->WebBrowser1->setUrl(unreachable);
    QString text;
    QDeadlineTimer deadline(120000);
    while (!text.contains("nicht geladen") && !deadline.hasExpired()) {
        if (loaded.isEmpty())
            loaded.wait(1000);
        loaded.clear();
        bool answered = false;
        w->WebBrowser1->page()->toPlainText([&](const QString& t) {
            text = t;
            answered = true;
        });
        while (!answered && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    EXPECT_TRUE(text.contains("Die Karte konnte nicht geladen werden")) << text.toStdString();
    EXPECT_TRUE(text.contains("Adresse: http://127.0.0.1:9/karte")) << text.toStdString();
    EXPECT_TRUE(text.contains("Internetverbindung prüfen")) << text.toStdString();
    EXPECT_EQ(w->WebBrowser1->url(), unreachable);
    EXPECT_TRUE(messages.isEmpty());
    // With KORVALE_TILE_SHOT=<folder>: the page as the user sees it, for looking at.
    if (const QString shots = qEnvironmentVariable("KORVALE_TILE_SHOT"); !shots.isEmpty()) {
        QTest::qWait(500);
        w->grab().save(QDir(shots).filePath(QStringLiteral("offline.png")));
    }
}

} // namespace
} // namespace windowtest
