// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The tile-map source: Cp brings five control points and the fit; the go-to input; undo.
#include "tiles_fixture.h"

namespace windowtest {
namespace {

TEST_F(TileMapTest, CopyOfTheTileMapArrivesTiedToTheGround) {
    ShowLocalTiles();
    const korvale::WorldPixel origin = CentreOnTiles();
    WaitForTiles(origin);
    Screenshot("tilepage.png");
    CopyWhenLoaded();
    CheckCopy(origin, 1);
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemKarte);
    QTest::qWait(100);
    Screenshot("tilecopy.png");
    EXPECT_TRUE(messages.isEmpty());
}

// The zoom buttons and the go-to field stand in a bar above the map: the copy's top-left
// corner, where they used to float over the map, shows the tile that lies there.
TEST_F(TileMapTest, TheCopyShowsTheMapWithoutThePagesControls) {
    ShowLocalTiles();
    EXPECT_TRUE(Js("document.getElementById('korvale-zoom-in') !== null && "
                   "document.getElementById('korvale-goto') !== null")
                    .toBool());
    EXPECT_GT(MapArea().top(), 20);
    const korvale::WorldPixel origin = CentreOnTiles();
    WaitForTiles(origin);
    CopyWhenLoaded();
    const QImage copy = w->ImageViewer1->image();
    const QSize css = MapArea().size();
    const double sx = css.width() / static_cast<double>(copy.width());
    const double sy = css.height() / static_cast<double>(copy.height());
    int looked = 0;
    int wrong = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 320; ++x) {
            const double wx = origin.x + (x + 0.5) * sx;
            const double wy = origin.y + (y + 0.5) * sy;
            const int tx = static_cast<int>(std::floor(wx / 256));
            const int ty = static_cast<int>(std::floor(wy / 256));
            const double lx = wx - tx * 256.0;
            const double ly = wy - ty * 256.0;
            // The tile's frame and its label are no flat colour.
            if (lx < 5 || lx > 251 || ly < 5 || ly > 251 || (ly > 95 && ly < 161))
                continue;
            const QRgb got = copy.pixel(x, y);
            const QRgb want = TileColour(tx, ty);
            ++looked;
            wrong += std::abs(qRed(got) - qRed(want)) + std::abs(qGreen(got) - qGreen(want)) +
                         std::abs(qBlue(got) - qBlue(want)) >
                     6;
        }
    EXPECT_GT(looked, 10000);
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(TileMapTest, ExistingControlPointsAreReplacedOnlyAfterTheQuestionAndOneUndoRestoresAll) {
    const QImage before = SyntheticMap(300, 200);
    w->SetMapCopy(before);
    korvale::TPt old;
    old.Typ = korvale::KindControl;
    old.xb = 10;
    old.yb = 100;
    old.E = 32690000;
    old.N = 5334000;
    korvale::TPt border = old;
    border.Typ = korvale::KindBorder;
    w->state().Points = {old, border};
    ShowLocalTiles();
    CentreOnTiles();

    QStringList questions;
    bool answer = false;
    w->questionHook = [&](const QString& q) {
        questions << q;
        return answer;
    };
    // "No": the map copy and the points stay.
    CopyWhenLoaded([&] { return !questions.isEmpty(); });
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].startsWith("Die Kartenkopie hat 1 Passpunkt."))
        << questions[0].toStdString();
    EXPECT_EQ(w->state().Points.size(), 2u);
    EXPECT_EQ(w->ImageViewer1->image(), before);
    EXPECT_FALSE(w->history().CanUndo());

    // "Yes": the old control point goes, the border point stays, five new ones follow.
    answer = true;
    const double trafO = w->state().TrafO;
    CopyWhenLoaded();
    ASSERT_EQ(w->state().Points.size(), 6u);
    EXPECT_EQ(w->state().Points[0].Typ, korvale::KindBorder);
    for (std::size_t i = 1; i < 6; ++i)
        EXPECT_EQ(w->state().Points[i].Typ, korvale::KindControl);
    EXPECT_NE(w->ImageViewer1->image(), before);
    const QImage copy = w->ImageViewer1->image();
    const double fitted = w->state().TrafO;
    EXPECT_NE(fitted, trafO);

    // One undo brings back points, transformation and map copy; redo the copy again.
    w->EditUndo();
    EXPECT_EQ(w->state().Points.size(), 2u);
    EXPECT_EQ(w->state().Points[0].Typ, korvale::KindControl);
    EXPECT_EQ(w->state().TrafO, trafO);
    EXPECT_EQ(w->ImageViewer1->image(), before);
    EXPECT_FALSE(w->history().CanUndo());
    w->EditRedo();
    EXPECT_EQ(w->state().Points.size(), 6u);
    EXPECT_EQ(w->state().TrafO, fitted);
    EXPECT_EQ(w->ImageViewer1->image(), copy);
}

TEST_F(TileMapTest, AnswersThatGiveNoCopyLeaveEverythingAsItWas) {
    const QImage before = SyntheticMap(300, 200);
    w->SetMapCopy(before);
    ShowLocalTiles();
    const auto view = [](double zoom, double top) {
        return QVariantMap{{"zoom", zoom},    {"top", top},     {"left", 11.57},
                           {"bottom", 48.13}, {"right", 11.58}, {"loading", 0}};
    };
    QVariantMap loading = view(18, 48.14);
    loading["loading"] = 1;
    const struct {
        QVariant reply;
        const char* message;
    } cases[] = {
        {QVariant(), "Die Kachelkarte ist noch nicht geladen"},
        {loading, "Die Kachelkarte lädt noch Kacheln"},
        {view(std::nan(""), 48.14), "keine gültige Position"},
        {view(18, 48.12), "links oben und rechts unten"},
        {view(18, 48.20), "verzerrt oder gedreht"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        messages.clear();
        w->Guard([&] { w->TileViewArrived(c.reply); });
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(c.message)) << messages[0].toStdString();
        EXPECT_TRUE(w->state().Points.empty());
        EXPECT_EQ(w->ImageViewer1->image(), before);
        EXPECT_FALSE(w->history().CanUndo());
        EXPECT_LT(w->tileCopyMs(), 0);
    }
}

TEST_F(TileMapTest, GoToInputCentresTheMapOnATypedPosition) {
    ShowLocalTiles();
    CentreOnTiles();
    struct Case {
        const char* text;
        bool ok;
        double B, L;
    };
    const Case cases[] = {
        {"48.1380, 11.5760", true, 48.1380, 11.5760},
        {"48,1371, 11,5749", true, 48.1371, 11.5749},
        {"48.1380 11.5760", false, 0, 0},
        {"48.1, 11.5, 520", false, 0, 0},
        {"91, 11", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QVariantList before =
            Js("[korvaleMap.getCenter().lat, korvaleMap.getCenter().lng]").toList();
        Js(QStringLiteral("(function(){var i=document.getElementById('korvale-goto');i.value='%1';"
                          "i.dispatchEvent(new KeyboardEvent('keydown',{key:'Enter'}));})()")
               .arg(QLatin1String(c.text)));
        const QVariantList after = Js("[korvaleMap.getCenter().lat, korvaleMap.getCenter().lng, "
                                      "document.getElementById('korvale-goto').className]")
                                       .toList();
        ASSERT_EQ(after.size(), 3);
        EXPECT_EQ(after[2].toString() == "bad", !c.ok);
        if (c.ok) {
            // Centred to within a pixel of the map (about 0.6 m).
            EXPECT_NEAR(after[0].toDouble(), c.B, 1e-5);
            EXPECT_NEAR(after[1].toDouble(), c.L, 1e-5);
        } else {
            EXPECT_EQ(after[0].toDouble(), before[0].toDouble());
            EXPECT_EQ(after[1].toDouble(), before[1].toDouble());
        }
    }
}

TEST_F(WindowTest, TileSourcesComeFromTheSettingsWithTheirAttribution) {
    QSettings s;
    s.beginWriteArray(QStringLiteral("tileSources"));
    const struct {
        const char* url;
        const char* attribution;
    } entries[] = {{"https://luftbild.example/{z}/{x}/{y}.jpg", "© Landesamt"},
                   {"https://luftbild.example/{z}/{x}.jpg", "no {y}"},
                   {"ftp://luftbild.example/{z}/{x}/{y}.jpg", "wrong scheme"},
                   {"https://luftbild.example/{z}/{x}/{y}.jpg", ""}};
    for (int i = 0; i < 4; ++i) {
        s.setArrayIndex(i);
        s.setValue("url", entries[i].url);
        s.setValue("attribution", entries[i].attribution);
        s.setValue("maxZoom", 40);
    }
    s.endArray();
    const auto sources = w->TileSources();
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[0].url, "https://tile.openstreetmap.org/{z}/{x}/{y}.png");
    EXPECT_EQ(sources[0].attribution, "© OpenStreetMap-Mitwirkende");
    EXPECT_EQ(sources[0].maxZoom, 19);
    EXPECT_EQ(sources[1].name, "Kachelkarte 2");
    EXPECT_EQ(sources[1].attribution, "© Landesamt");
    EXPECT_EQ(sources[1].maxZoom, 24);
}

} // namespace
} // namespace windowtest
