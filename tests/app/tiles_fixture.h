// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The tile-map source offline: generated tiles in a temporary folder, shown through a file://
// template, and the checks of a copy taken from it. Used at device pixel ratio 1 and 2.
#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cmath>
#include <iostream>

#include "georef/tilemap.h"
#include "georef/transform.h"
#include "model/geodesy.h"
#include "window_support.h"

namespace windowtest {

// Every tile a flat colour of its own (read back from the copy), its z/x/y written in the
// middle and a dark frame, so that a screenshot shows which tile lies where.
inline QRgb TileColour(int x, int y) {
    return qRgb(40 + (x * 53) % 180, 40 + (y * 71) % 180, 40 + ((x + y) * 29) % 180);
}

class TileMapTest : public WindowTest {
  protected:
    static constexpr int kZoom = 18;
    // The tiles around Munich's Marienplatz (tile 139501/90975 at zoom 18).
    static constexpr int kX0 = 139497, kY0 = 90972, kCols = 9, kRows = 7;

    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(tiles.isValid());
        for (int x = kX0; x < kX0 + kCols; ++x)
            for (int y = kY0; y < kY0 + kRows; ++y) {
                QImage t(256, 256, QImage::Format_RGB32);
                t.fill(TileColour(x, y));
                QPainter p(&t);
                p.setPen(QPen(Qt::black, 2));
                p.drawRect(1, 1, 254, 254);
                p.drawText(QRect(0, 100, 256, 56), Qt::AlignCenter,
                           QStringLiteral("%1/%2/%3").arg(kZoom).arg(x).arg(y));
                p.end();
                const QString dir = tiles.filePath(QStringLiteral("%1/%2").arg(kZoom).arg(x));
                ASSERT_TRUE(QDir().mkpath(dir));
                ASSERT_TRUE(t.save(QStringLiteral("%1/%2.png").arg(dir).arg(y)));
            }
        // The local tiles as the second tile source of the settings.
        QSettings s;
        s.beginWriteArray(QStringLiteral("tileSources"));
        s.setArrayIndex(0);
        s.setValue(QStringLiteral("name"), QStringLiteral("Testkacheln"));
        s.setValue(QStringLiteral("url"), QUrl::fromLocalFile(tiles.path()).toString() +
                                              QStringLiteral("/{z}/{x}/{y}.png"));
        s.setValue(QStringLiteral("attribution"), QStringLiteral("Testkacheln © Korvale"));
        s.setValue(QStringLiteral("maxZoom"), kZoom);
        s.endArray();
    }

    // Runs a script on the page and waits for its value.
    QVariant Js(const QString& script) {
        QVariant result;
        bool done = false;
        w->WebBrowser1->page()->runJavaScript(script, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 30000)) << script.toStdString();
        return result;
    }

    // The local tile source on the web map page, loaded, with Leaflet ready.
    void ShowLocalTiles() {
        w->resize(1100, 760);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->Tabcontrol1->setCurrentWidget(w->TabItemMaps);
        ASSERT_NE(w->WebBrowser1, nullptr);
        QSignalSpy loaded(w->WebBrowser1, &QWebEngineView::loadFinished);
        w->ShowTileSource(1);
        ASSERT_EQ(w->tileSource(), 1);
        ASSERT_EQ(w->Tabcontrol1->tabText(0), "Testkacheln");
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !loaded.isEmpty() && Js("typeof korvaleView === 'function'").toBool(); },
            120000));
    }

    // Where the map lies in the view, below the page's bar of controls (view pixels).
    QRect MapArea() {
        const QVariantMap v = Js("korvaleView()").toMap();
        return QRect(qRound(v["pageLeft"].toDouble()), qRound(v["pageTop"].toDouble()),
                     qRound(v["width"].toDouble()), qRound(v["height"].toDouble()));
    }

    // Centres the map so that its top-left corner falls on a whole world pixel (the page
    // rounds its origin to one) and returns that corner.
    korvale::WorldPixel CentreOnTiles() {
        const QSize css = MapArea().size();
        const korvale::WorldPixel origin{kX0 * 256.0 + 300, kY0 * 256.0 + 200};
        const korvale::GeoPos c = korvale::WorldPixelToGeo(origin.x + css.width() / 2.0,
                                                           origin.y + css.height() / 2.0, kZoom);
        Js(QStringLiteral("korvaleMap.setView([%1, %2], %3, {reset: true})")
               .arg(c.B, 0, 'g', 17)
               .arg(c.L, 0, 'g', 17)
               .arg(kZoom));
        return origin;
    }

    // How many visible tiles of `image` (the view at `perPixel` world pixels per image pixel
    // across and down) show the wrong colour at the place the scheme puts them; `seen` counts
    // the tiles looked at.
    static int WrongTiles(const QImage& image, const korvale::WorldPixel& origin, double sx,
                          double sy, int* seen = nullptr, bool report = false) {
        int wrong = 0;
        for (int tx = kX0; tx < kX0 + kCols; ++tx)
            for (int ty = kY0; ty < kY0 + kRows; ++ty) {
                const int x = static_cast<int>(std::floor((tx * 256.0 + 64 - origin.x) / sx));
                const int y = static_cast<int>(std::floor((ty * 256.0 + 192 - origin.y) / sy));
                if (x < 0 || y < 0 || x >= image.width() || y >= image.height() - 40)
                    continue;
                const QRgb got = image.pixel(x, y);
                const QRgb want = TileColour(tx, ty);
                const int off = std::abs(qRed(got) - qRed(want)) +
                                std::abs(qGreen(got) - qGreen(want)) +
                                std::abs(qBlue(got) - qBlue(want));
                if (off > 6) {
                    ++wrong;
                    if (report)
                        ADD_FAILURE() << "tile " << tx << "/" << ty << " at " << x << "," << y;
                }
                if (seen)
                    ++*seen;
            }
        return wrong;
    }

    // Until the view shows every tile (a tile loaded is not yet a tile on the screen).
    void WaitForTiles(const korvale::WorldPixel& origin) {
        const QRect map = MapArea();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                const QImage view = w->WebBrowser1->grab()
                                        .toImage()
                                        .scaled(w->WebBrowser1->size(), Qt::IgnoreAspectRatio,
                                                Qt::FastTransformation)
                                        .copy(map);
                return WrongTiles(view, origin, 1, 1) == 0;
            },
            60000));
    }

    // With KORVALE_TILE_SHOT=<folder>: the window as it is now, for looking at.
    void Screenshot(const char* name) {
        const QString dir = qEnvironmentVariable("KORVALE_TILE_SHOT");
        if (!dir.isEmpty())
            w->grab().save(QDir(dir).filePath(QString::fromLatin1(name)));
    }

    // Cp until the page has all its tiles (a copy refused while tiles load says so).
    // `answered` tells when the copy stopped at a question the test answered "no".
    void CopyWhenLoaded(const std::function<bool()>& answered = {}) {
        QDeadlineTimer deadline(120000);
        while (!deadline.hasExpired()) {
            messages.clear();
            w->ButtonMapCopy->click();
            (void)QTest::qWaitFor(
                [&] {
                    return w->tileCopyMs() >= 0 || !messages.isEmpty() || (answered && answered());
                },
                30000);
            if (w->tileCopyMs() >= 0 || (answered && answered()))
                return;
            ASSERT_EQ(messages.size(), 1);
            ASSERT_TRUE(messages[0].contains("lädt noch") || messages[0].contains("noch nicht"))
                << messages[0].toStdString();
            QTest::qWait(200);
        }
        FAIL() << "no copy";
    }

    // The copy after Cp: five control points where they belong, every copy pixel tied to the
    // ground the tile scheme gives it, the tiles where the scheme puts them, and the protocol.
    void CheckCopy(const korvale::WorldPixel& origin, double ratio) {
        const QImage copy = w->ImageViewer1->image();
        const QSize css = MapArea().size();
        ASSERT_FALSE(copy.isNull());
        // World pixels per copy pixel: the copy may have more pixels than the page.
        const double sx = css.width() / static_cast<double>(copy.width());
        const double sy = css.height() / static_cast<double>(copy.height());
        // The copy is the view's rendering, resampled to square pixels on the ground.
        const korvale::GeoPos c = korvale::WorldPixelToGeo(origin.x + css.width() / 2.0,
                                                           origin.y + css.height() / 2.0, kZoom);
        const double scale = korvale::TileCopyHeightScale({kZoom, c, c});
        EXPECT_NEAR(sy / sx, 1 / scale, 5e-4) << "at ratio " << ratio;
        EXPECT_LE(std::abs(copy.width() - css.width()), css.width() / 100 + 1);

        const double top = w->ImageTop();
        const auto& pts = w->state().Points;
        ASSERT_EQ(pts.size(), 5u);
        const double at[5][2] = {{.5, .5}, {.1, .1}, {.9, .1}, {.9, .9}, {.1, .9}};
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(pts[i].Typ, korvale::KindControl);
            EXPECT_NEAR(pts[i].xb, at[i][0] * copy.width(), 1e-3);
            EXPECT_NEAR(pts[i].yb, at[i][1] * copy.height() + top, 1e-3);
        }

        // Trafone against the tile scheme over the whole copy: within 0.1 m at zoom 18.
        double worst = 0;
        for (int y = 0; y <= copy.height(); y += copy.height() / 10)
            for (int x = 0; x <= copy.width(); x += copy.width() / 10) {
                const korvale::GeoPos g =
                    korvale::WorldPixelToGeo(origin.x + x * sx, origin.y + y * sy, kZoom);
                const korvale::UtmResult u =
                    korvale::GeoToUTM(korvale::CentralMeridianOfZone(w->state().UtmZone),
                                      korvale::EllipsoidA, korvale::EllipsoidF, g.B, g.L);
                const korvale::EastNorth en = korvale::Trafone(w->state(), static_cast<float>(x),
                                                               static_cast<float>(y + top));
                worst = std::max(worst, std::hypot(en.E - u.Y, en.N - u.X));
            }
        EXPECT_LT(worst, 0.1);

        // Each tile's colour lies where the scheme puts that tile in the copy.
        int seen = 0;
        EXPECT_EQ(WrongTiles(copy, origin, sx, sy, &seen, true), 0);
        EXPECT_GE(seen, 6);

        // The attribution's light box stays in the copy's bottom-right corner.
        const QRgb corner = copy.pixel(copy.width() - 3, copy.height() - 3);
        EXPECT_GT(std::min({qRed(corner), qGreen(corner), qBlue(corner)}), 200);

        // The fit's protocol: the header and one line per control point; the quality table.
        const QStringList memo = w->Memo1->toPlainText().split('\n');
        const auto header = memo.indexOf("Passpunkttransformation");
        ASSERT_GE(header, 0);
        ASSERT_GE(memo.size(), header + 7);
        for (int i = 0; i < 5; ++i)
            EXPECT_TRUE(memo[header + 1 + i].startsWith(QStringLiteral("%1 x").arg(i, 4)))
                << memo[header + 1 + i].toStdString();
        EXPECT_TRUE(memo[header + 6].startsWith("ybs"));
        EXPECT_EQ(w->TableResiduals->rowCount(), 5);
        EXPECT_TRUE(Status().startsWith("Kachelkarte übernommen")) << Status().toStdString();
        std::cout << "[ measured ] ratio " << ratio << ": Cp to fitted transformation "
                  << w->tileCopyMs() << " ms, copy " << copy.width() << " x " << copy.height()
                  << ", largest deviation from the tile scheme " << worst * 1000 << " mm, "
                  << Status().toStdString() << "\n";
    }

    QTemporaryDir tiles;
};

} // namespace windowtest
