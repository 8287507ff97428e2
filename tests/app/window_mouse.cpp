// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse on the map copy end to end, and what the overlay paints over the map copy.
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>

#include "model/format.h"
#include "model/geodesy.h"
#include "window_support.h"

namespace windowtest {
namespace {

using korvale::TPt;

constexpr double kE0 = 32500000.0; // easting at map position x = 0
constexpr double kN0 = 5300000.0;  // northing at map position y = 0

// The clipboard text a web map would give for the ground point of map position (xb, yb) on a
// north-up copy at 1 m per pixel.
QString PositionText(double xb, double yb) {
    const korvale::GeoResult g =
        korvale::UTMToGeo(korvale::EllipsoidA, korvale::EllipsoidF, kN0 - yb, kE0 + xb);
    return QString::fromStdString(korvale::FormatFixed(g.B, 12) + ", " +
                                  korvale::FormatFixed(g.L, 12));
}

class MouseTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ShowMapPage();
        w->SetMapCopy(SyntheticMap(500, 560));
    }
    void Drop(QMimeData* mime) {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w->ImageViewer2, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w->ImageViewer2, &drop);
    }
    QClipboard* clip() { return QGuiApplication::clipboard(); }
    // A control point from the clipboard at view position v (map position v + (0, 80)).
    void ControlPoint(QPoint v) {
        clip()->setText(PositionText(v.x(), v.y() + 80));
        Click(Qt::RightButton, v);
    }
    // The map copy page as shown: map copy with the overlay on top (the views sit at the page's
    // top-left corner, so view and page positions agree).
    QImage Shot() { return w->TabItemKarte->grab().toImage(); }
    QRgb PixelAtView(QPoint v) { return Shot().pixel(v); }
};

TEST_F(MouseTest, GeoreferenceMeasureMoveAndDeleteEndToEnd) {
    auto& s = w->state();
    ControlPoint({50, 40});
    ControlPoint({400, 60});
    ControlPoint({220, 420});
    ASSERT_EQ(s.Points.size(), 3u);
    EXPECT_EQ(s.Points[1].Typ, 1);
    EXPECT_FLOAT_EQ(s.Points[1].xb, 400);
    EXPECT_FLOAT_EQ(s.Points[1].yb, 140);
    EXPECT_NEAR(s.Points[1].E, kE0 + 400, 1e-3);
    EXPECT_TRUE(clip()->text().isEmpty());

    // One copied position makes one control point.
    Click(Qt::RightButton, {300, 300});
    EXPECT_EQ(s.Points.size(), 3u);

    w->ButtonTrafo->click();
    EXPECT_EQ(messages, QStringList{"Transformation ist OK!"});
    const QStringList lines = w->Memo1->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 5);
    const QRegularExpression zero(R"(vE *-?0\.00 vN *-?0\.00$)");
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(zero.match(lines[i]).hasMatch()) << lines[i].toStdString();
    EXPECT_EQ(Status(), "Transformation: Pixelgröße m:  1.000000 m0   0.000000 mp       0.00");

    // Plain points mode: view (100, 50) is map position (100, 130).
    Click(Qt::LeftButton, {100, 50});
    ASSERT_EQ(s.Points.size(), 4u);
    EXPECT_EQ(s.Points[3].Typ, 0);
    EXPECT_FLOAT_EQ(s.Points[3].xb, 100);
    EXPECT_FLOAT_EQ(s.Points[3].yb, 130);
    EXPECT_NEAR(s.Points[3].E, kE0 + 100, 1e-3);
    EXPECT_NEAR(s.Points[3].N, kN0 - 130, 1e-3);

    // Measuring 30 m east and 40 m north.
    w->ButtonMessen->click();
    Press(Qt::LeftButton, {200, 300});
    Release(Qt::LeftButton, {230, 260});
    EXPECT_EQ(Status(), "E 32500230.00 N 5299660.00 Az     36.870 Dist     50.000");
    EXPECT_EQ(s.Points.size(), 4u);
    // A right press while measuring ends a measurement from the last measuring press.
    Click(Qt::RightButton, {200, 300});
    EXPECT_EQ(Status(), "E 32500200.00 N 5299620.00 Az      0.000 Dist      0.000");

    // Move: the press picks the nearest point, the release moves it and re-derives E, N.
    w->ButtonMove->click();
    Press(Qt::LeftButton, {105, 55});
    Release(Qt::LeftButton, {150, 70});
    EXPECT_FLOAT_EQ(s.Points[3].xb, 150);
    EXPECT_FLOAT_EQ(s.Points[3].yb, 150);
    EXPECT_NEAR(s.Points[3].E, kE0 + 150, 1e-3);
    EXPECT_NEAR(s.Points[3].N, kN0 - 150, 1e-3);
    // The moved marker shows only at its new place.
    int labels3 = 0;
    for (const auto& p : w->overlay().Items())
        if (p.kind == korvale::Primitive::Kind::Label && p.text == "3") {
            ++labels3;
            EXPECT_DOUBLE_EQ(p.x1, 150);
        }
    EXPECT_GE(labels3, 1);

    // Delete: the nearest point goes, later points move down.
    w->ButtonPtDel->click();
    Click(Qt::LeftButton, {398, 62});
    ASSERT_EQ(s.Points.size(), 3u);
    EXPECT_FLOAT_EQ(s.Points[1].xb, 220);
    EXPECT_FLOAT_EQ(s.Points[2].xb, 150);
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(MouseTest, ClipboardTextThatIsNoPositionIsShownAndKept) {
    const QString bad = "48.1 11.5";
    clip()->setText(bad);
    Click(Qt::RightButton, {100, 100});
    EXPECT_TRUE(w->state().Points.empty());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("ist kein gültiger Gleitkommawert"))
        << messages[0].toStdString();
    EXPECT_EQ(clip()->text(), bad);
    // The middle button places nothing.
    Click(Qt::MiddleButton, {100, 100});
    EXPECT_TRUE(w->state().Points.empty());
}

TEST_F(MouseTest, ToolsPlaceTheirKindsAndTheOverlayPaintsThemWhereClicked) {
    const struct {
        QToolButton* TMainForm::*tool; // nullptr: plain points mode
        QPoint view;
        std::uint8_t kind;
        QRgb colour;
    } cases[] = {
        {nullptr, {60, 60}, 0, 0xFFADD8E6},
        {&TMainForm::ButtonBorder, {150, 80}, 2, 0xFFFFFF00},
        {&TMainForm::ButtonBorder, {250, 90}, 2, 0xFFFFFF00},
        {&TMainForm::ButtonFreeline, {100, 300}, 3, 0xFF0000FF},
        {&TMainForm::ButtonFreeline, {200, 340}, 3, 0xFF0000FF},
        {&TMainForm::ButtonPOI, {350, 250}, 4, 0xFF00FFFF},
        {&TMainForm::ButtonArea, {420, 400}, 0, 0xFFADD8E6},
    };
    for (const auto& c : cases) {
        if (c.tool && !(w.get()->*c.tool)->isChecked())
            (w.get()->*c.tool)->click();
        if (!c.tool)
            for (QToolButton* b : {w->ButtonBorder, w->ButtonFreeline, w->ButtonPOI, w->ButtonArea})
                if (b->isChecked())
                    b->click();
        Click(Qt::LeftButton, c.view);
        EXPECT_EQ(w->state().Points.back().Typ, c.kind);
    }
    clip()->setText(PositionText(300, 180));
    Click(Qt::RightButton, {300, 100});
    ASSERT_EQ(w->state().Points.size(), std::size(cases) + 1);
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemKarte);

    // Every marker at its click; the map copy shows between them.
    for (const auto& c : cases)
        EXPECT_EQ(PixelAtView(c.view), c.colour) << c.view.x();
    EXPECT_EQ(PixelAtView({300, 100}), 0xFFFF00FFu);
    EXPECT_EQ(PixelAtView({30, 510}), qRgb(210, 210, 200));
    // The point of interest's disc has radius 10, the others 5.
    EXPECT_EQ(PixelAtView({357, 250}), 0xFF00FFFFu);
    EXPECT_NE(PixelAtView({67, 60}), 0xFFADD8E6u);

    // Running lines: the border polyline after the second border press (yellow) joins its points.
    w->ButtonBorder->click();
    Click(Qt::LeftButton, {250, 200});
    const QImage shot = Shot();
    EXPECT_EQ(shot.pixel(250, 150), 0xFFFFFF00u); // middle of (250, 90)-(250, 200)
}

TEST_F(MouseTest, OrbitDragMakesAnOrbitAroundThePressAndAMission) {
    w->ButtonPoly->click();
    Press(Qt::LeftButton, {200, 200});
    EXPECT_FALSE(w->state().Orbit.has_value()); // the press only notes the centre
    Release(Qt::LeftButton, {260, 200});
    ASSERT_TRUE(w->state().Orbit.has_value());
    const korvale::Torbit& orbit = *w->state().Orbit;
    ASSERT_EQ(orbit.P.size(), 13u);
    EXPECT_FLOAT_EQ(orbit.P[0].xb, 200);
    EXPECT_FLOAT_EQ(orbit.P[0].yb, 280);
    for (std::size_t i = 1; i < orbit.P.size(); ++i)
        EXPECT_NEAR(std::hypot(orbit.P[i].xb - 200.0, orbit.P[i].yb - 280.0), 60, 1e-3);
    EXPECT_FALSE(w->state().LitchiRecs.empty());
    EXPECT_TRUE(w->state().Points.empty()); // the orbit lives in its own list
    // The orbit is drawn over the map copy.
    EXPECT_GT(w->overlay().Size(), 0u);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MouseTest, TabClickRedrawsFromTheLists) {
    auto& s = w->state();
    s.Points = {TPt{}, TPt{}, TPt{}};
    const float pos[][2] = {{100, 180}, {300, 180}, {300, 380}};
    for (int i = 0; i < 3; ++i) {
        s.Points[i].xb = pos[i][0];
        s.Points[i].yb = pos[i][1];
        s.Points[i].Typ = 3;
    }
    s.FreeLines = {{0, 1}, {1, 2}};
    w->Tabcontrol1->setCurrentWidget(w->TabItemProt);
    QTest::mouseClick(w->Tabcontrol1->tabBar(), Qt::LeftButton, {},
                      w->Tabcontrol1->tabBar()->tabRect(1).center());
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemKarte);
    const QImage shot = Shot();
    EXPECT_EQ(shot.pixel(200, 100), 0xFF0000FFu); // on (100,100)-(300,100) in view coordinates
    EXPECT_EQ(shot.pixel(300, 200), 0xFF0000FFu);
    EXPECT_EQ(shot.pixel(100, 100), 0xFF0000FFu);

    // Each click draws the overlay anew instead of piling copies onto it.
    const std::size_t size = w->overlay().Size();
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(w->Tabcontrol1->tabBar(), Qt::LeftButton, {},
                          w->Tabcontrol1->tabBar()->tabRect(1).center());
    EXPECT_EQ(w->overlay().Size(), size);
}

TEST_F(MouseTest, DroppedOrPastedImagesBecomeTheMapCopy) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage red(64, 48, QImage::Format_RGB32);
    red.fill(qRgb(200, 30, 30));
    const QString png = dir.filePath("karte.png");
    const QString jpg = dir.filePath("karte.jpg");
    ASSERT_TRUE(red.save(png));
    ASSERT_TRUE(red.save(jpg, "JPEG", 95));

    // A real drop on the map copy.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(png)});
    Drop(&mime);
    EXPECT_EQ(w->ImageViewer1->image().size(), QSize(64, 48));
    EXPECT_EQ(w->ImageViewer1->image().pixel(5, 5), qRgb(200, 30, 30));

    w->SetMapCopy(SyntheticMap(10, 10));
    w->DropMapFile(jpg);
    EXPECT_EQ(w->ImageViewer1->image().size(), QSize(64, 48));

    // Not an image: a message, the map copy stays.
    const QString txt = dir.filePath("notiz.png");
    QFile f(txt);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("kein Bild");
    f.close();
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(txt)});
    Drop(&other);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("kein Bild")) << messages[0].toStdString();
    EXPECT_EQ(w->ImageViewer1->image().size(), QSize(64, 48));

    // Ctrl+V of an image on the map copy page.
    QImage green(30, 20, QImage::Format_RGB32);
    green.fill(qRgb(20, 180, 40));
    clip()->setImage(green);
    w->ImageViewer2->setFocus();
    QTest::keyClick(w->ImageViewer2, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->ImageViewer1->image().size(), QSize(30, 20));
    // No point was placed by any of it.
    EXPECT_TRUE(w->state().Points.empty());
}

} // namespace
} // namespace windowtest
