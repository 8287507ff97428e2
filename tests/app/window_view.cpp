// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The map copy page as a user handles it: zoom and scroll never change where a point is
// stored, keys work right after the tab was clicked, nothing replaces a map copy unasked, and
// the window remembers its values between runs.
#include <QCheckBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

#include "georef/project.h"
#include "georef/transform.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "numberboxwidget.h"
#include "planning/border.h"
#include "planning/params.h"
#include "planning/path.h"
#include "window_support.h"

namespace windowtest {
namespace {

// The clipboard text of the ground point of map position (xb, yb) on a north-up copy at
// 1 m per pixel.
QString PositionText(double xb, double yb) {
    const korvale::GeoResult g = korvale::UTMToGeo(korvale::EllipsoidA, korvale::EllipsoidF,
                                                   5300000.0 - yb, 32500000.0 + xb);
    return QString::fromStdString(korvale::FormatFixed(g.B, 12) + ", " +
                                  korvale::FormatFixed(g.L, 12));
}

class ViewTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ShowMapPage();
        // Larger than the page, so that it scrolls at every zoom.
        w->SetMapCopy(SyntheticMap(1600, 1200));
    }
    korvale::ImageViewer* view() { return w->ImageViewer1; }
    // Places a control point, a border point and a plain point at these map-copy pixels,
    // clicking wherever they are shown now.
    void PlacePoints(const QPointF (&pixels)[3]) {
        const korvale::MapViewTransform& t = view()->transform();
        const QPoint c = t.ToView(pixels[0]).toPoint();
        QGuiApplication::clipboard()->setText(PositionText(pixels[0].x(), pixels[0].y() + 80));
        Click(Qt::RightButton, c);
        w->ButtonBorder->click();
        Click(Qt::LeftButton, t.ToView(pixels[1]).toPoint());
        w->ButtonBorder->click();
        Click(Qt::LeftButton, t.ToView(pixels[2]).toPoint());
    }
};

TEST_F(ViewTest, PointsSetAtAnyZoomAndScrollAreStoredAsAtZoomOne) {
    const QPointF pixels[3] = {{100, 50}, {420, 310}, {250, 180}};
    PlacePoints(pixels);
    ASSERT_EQ(w->state().Points.size(), 3u);
    EXPECT_FLOAT_EQ(w->state().Points[0].xb, 100);
    EXPECT_FLOAT_EQ(w->state().Points[0].yb, 130); // toolbar and tab header above the view
    const std::string atZoom1 = korvale::EncodeProject(w->state());

    w->ButtonDelAll->click();
    view()->zoomAt(QPointF(0, 0), 2);
    view()->scrollTo(QPointF(120, 60));
    ASSERT_EQ(view()->transform().zoom, 2);
    ASSERT_EQ(view()->transform().scroll, QPointF(120, 60));
    // The scroll bars show and move the same view.
    auto* hbar = w->findChild<QScrollBar*>("MapScrollH");
    ASSERT_NE(hbar, nullptr);
    EXPECT_TRUE(hbar->isVisible());
    EXPECT_EQ(hbar->value(), 120);
    PlacePoints(pixels);
    EXPECT_EQ(korvale::EncodeProject(w->state()), atZoom1);

    // The marker is drawn where the map-copy pixel is shown, at its usual screen size.
    const QImage shot = w->TabItemKarte->grab().toImage();
    const QPoint c = view()->transform().ToView(pixels[0]).toPoint();
    EXPECT_EQ(shot.pixel(c), 0xFFFF00FFu);
    EXPECT_EQ(shot.pixel(c + QPoint(3, 0)), 0xFFFF00FFu);
    EXPECT_NE(shot.pixel(c + QPoint(9, 0)), 0xFFFF00FFu);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ViewTest, WheelZoomsAboutThePointerMiddleDragPansFitKeyShowsAll) {
    const QPointF pointer(300, 200);
    const QPointF under = view()->transform().ToImage(pointer);
    QWheelEvent wheel(pointer, w->ImageViewer2->mapToGlobal(pointer), QPoint(), QPoint(0, 240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w->ImageViewer2, &wheel);
    EXPECT_DOUBLE_EQ(view()->transform().zoom, 1.25 * 1.25);
    const QPointF after = view()->transform().ToView(under);
    EXPECT_NEAR(after.x(), pointer.x(), 1);
    EXPECT_NEAR(after.y(), pointer.y(), 1);

    // A middle-button drag moves the map and is no click: no point, no release action.
    w->ButtonMove->click();
    const QPointF before = view()->transform().scroll;
    Press(Qt::MiddleButton, {400, 300});
    QMouseEvent move(QEvent::MouseMove, QPointF(350, 260),
                     w->ImageViewer2->mapToGlobal(QPointF(350, 260)), Qt::NoButton,
                     Qt::MiddleButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w->ImageViewer2, &move);
    Release(Qt::MiddleButton, {350, 260});
    EXPECT_EQ(view()->transform().scroll, before + QPointF(50, 40));
    EXPECT_TRUE(w->state().Points.empty());

    // Ctrl+0 fits the whole map copy into the page; Ctrl+1 goes back to one pixel per pixel.
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(w.get(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_LT(view()->transform().zoom, 1);
    EXPECT_LE(1600 * view()->transform().zoom, view()->width() + 1e-9);
    EXPECT_LE(1200 * view()->transform().zoom, view()->height() + 1e-9);
    QTest::keyClick(w.get(), Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(view()->transform().zoom, 1);
    EXPECT_EQ(view()->transform().scroll, QPointF(0, 0));
}

TEST_F(WindowTest, PasteWorksRightAfterTheTabWasClicked) {
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    // The focus is left in a text field of the parameter page, as after typing a value.
    w->EditF->setFocus();
    QTabBar* bar = w->Tabcontrol1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    ASSERT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemKarte);
    QImage green(30, 20, QImage::Format_RGB32);
    green.fill(qRgb(20, 180, 40));
    QGuiApplication::clipboard()->setImage(green);
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w.get();
    QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->ImageViewer1->image().size(), QSize(30, 20));
    EXPECT_TRUE(w->state().Points.empty());

    // On another page Ctrl+V belongs to its text fields.
    w->Tabcontrol1->setCurrentWidget(w->TabItemParameter);
    QGuiApplication::clipboard()->setImage(SyntheticMap(40, 40));
    QTest::keyClick(w.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->ImageViewer1->image().size(), QSize(30, 20));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(WindowTest, NothingReplacesAMapCopyWithControlPointsUnasked) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->SetMapCopy(SyntheticMap(300, 200));

    // The web map was never shown: the copy is refused and says what to do.
    w->ButtonMapCopy->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Die Webkarte wurde noch nicht angezeigt"))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("„Bing Maps“")) << messages[0].toStdString();
    EXPECT_EQ(w->ImageViewer1->image().size(), QSize(300, 200));

    // With a control point on it, a new image needs a yes.
    korvale::TPt p;
    p.Typ = korvale::KindControl;
    w->state().Points.push_back(p);
    QStringList questions;
    bool answer = false;
    w->questionHook = [&](const QString& q) {
        questions << q;
        return answer;
    };
    w->Tabcontrol1->setCurrentWidget(w->TabItemKarte);
    QGuiApplication::clipboard()->setImage(SyntheticMap(40, 40));
    w->PasteMapCopy();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains("hat 1 Passpunkt.")) << questions[0].toStdString();
    EXPECT_EQ(w->ImageViewer1->image().size(), QSize(300, 200));
    answer = true;
    w->PasteMapCopy();
    EXPECT_EQ(w->ImageViewer1->image().size(), QSize(40, 40));
}

TEST_F(WindowTest, ValuesFileNamesAndFolderSurviveARestart) {
    // The first start shows the design's values.
    EXPECT_EQ(w->EditF->text(), "8.38");
    EXPECT_EQ(w->NumberBoxH->text(), "40");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const double baseBefore = w->param().NumberBoxA.Value();

    w->EditF->setText("10.26");
    w->NumberBoxH->CommitText("60");
    w->CheckBoxFormat->click(); // 3 : 2
    w->EditDXFFileName->setText("Acker.dxf");
    w->EditKVName->setText("Acker.dat");
    w->EditCVS->setText("Acker.csv");
    w->NumberBoxSpeed->CommitText("7.5");
    w->CheckBoxNadir->click();
    w->RememberFolder(dir.filePath("irgendwas.dat"));
    const std::string xb = w->param().EditXb;
    w->Rechnen();
    const double base = w->param().NumberBoxA.Value();
    ASSERT_NE(base, baseBefore);
    w.reset();

    w = std::make_unique<TMainForm>();
    EXPECT_EQ(w->EditF->text(), "10.26");
    EXPECT_EQ(w->NumberBoxH->text(), "60");
    EXPECT_FALSE(w->CheckBoxFormat->isChecked());
    EXPECT_EQ(w->param().EditXb, xb);
    EXPECT_DOUBLE_EQ(w->param().NumberBoxA.Value(), base); // derived values follow
    EXPECT_EQ(w->EditDXFFileName->text(), "Acker.dxf");
    EXPECT_EQ(w->EditKVName->text(), "Acker.dat");
    EXPECT_EQ(w->EditCVS->text(), "Acker.csv");
    EXPECT_EQ(w->NumberBoxSpeed->text(), "7.5");
    EXPECT_TRUE(w->CheckBoxNadir->isChecked());
    EXPECT_TRUE(w->litchi().CheckBoxNadir);
    EXPECT_EQ(w->lastFolder(), dir.path());
    // A bare file name now means that folder.
    EXPECT_EQ(w->FilePath("Acker.dat"), dir.filePath("Acker.dat"));
    EXPECT_EQ(w->FilePath("/tmp/x.dat"), "/tmp/x.dat");
}

TEST_F(WindowTest, FileActionsReportTheirFileAndLoadingShowsTheMap) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    w->RememberFolder(dir.filePath("x"));
    w->SetMapCopy(SyntheticMap(120, 90));
    w->EditKVName->setText("Feld.dat");
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("Feld.dat")));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("Feld.jpg")));
    EXPECT_EQ(Status(), "Karte gesichert: " + dir.filePath("Feld.dat"));

    w->Tabcontrol1->setCurrentWidget(w->TabItemParameter);
    w->ButtonLoadKV->click();
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemKarte);
    EXPECT_EQ(Status(), "Karte geladen: " + dir.filePath("Feld.dat") + " (0 Punkte)");

    // A result no longer holds once the points change.
    w->Tabcontrol1->setCurrentWidget(w->TabItemKarte);
    w->ImageViewer2MouseDown(w->ImageViewer2, TMainForm::MouseButton::Left, 10, 10);
    EXPECT_EQ(Status(), "");

    // The double click only picks a name: a dialog that never asks to overwrite.
    TMainForm::FileDialogKind kind = TMainForm::FileDialogKind::Open;
    w->fileDialogHook = [&](TMainForm::FileDialogKind k, const QString&, const QString&) {
        kind = k;
        return QString();
    };
    w->EditKVNameDblClick();
    EXPECT_EQ(kind, TMainForm::FileDialogKind::PickName);
}

TEST_F(WindowTest, AConversionMessageNamesTheBoxAndWhatToType) {
    w->EditF->setText("8,8");
    w->ButtonWaypts->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("'8,8' ist kein gültiger Gleitkommawert\nIm Feld „c mm“"))
        << messages[0].toStdString();
}

TEST_F(WindowTest, UnusableControlsLookDisabledAndSayWhy) {
    for (QWidget* c :
         {static_cast<QWidget*>(w->CheckBoxPhoto), static_cast<QWidget*>(w->CheckBoxStartRec),
          static_cast<QWidget*>(w->CheckBoxStopRec)}) {
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
        EXPECT_FALSE(c->toolTip().isEmpty()) << c->objectName().toStdString();
    }
}

// Painted (not transparent) pixels of an overlay, at a device pixel ratio.
int PaintedPixels(const korvale::Overlay& o, double dpr = 1) {
    QImage img(static_cast<int>(200 * dpr), static_cast<int>(150 * dpr),
               QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    QPainter p(&img);
    korvale::OverlayPaintCache cache;
    korvale::OverlayViewer::PaintOverlay(p, o, QPointF(0, 0), cache);
    p.end();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, y)) != 0;
    return n;
}

TEST(OverlayPaint, LabelsOfPointsAtOneSpotDoNotCoverEachOther) {
    // Point labels as the marker drawing writes them: "12" and "0" at one spot.
    const auto label = [](korvale::Overlay& o, const char* text) {
        o.Label(korvale::ColLightBlue, 100, 70, 125, 80, text);
    };
    korvale::Overlay twelve, zero, both, again;
    label(twelve, "12");
    label(zero, "0");
    label(both, "12");
    label(both, "0");
    label(again, "12");
    label(again, "12");
    const int a = PaintedPixels(twelve), b = PaintedPixels(zero);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_EQ(PaintedPixels(both), a + b); // side by side, not "120"
    EXPECT_EQ(PaintedPixels(again), a);    // the same label drawn twice stays in its place
    // On a screen of pixel ratio 2 the label is drawn at the screen's resolution.
    EXPECT_GT(PaintedPixels(twelve, 2), 3 * a);
}

} // namespace
} // namespace windowtest

// Painting the picture marks of a plan: where they lie closer than a screen pixel the paint
// shows their density, elsewhere every mark as it always looked.
namespace windowtest {
namespace {

QImage Paint(const std::vector<korvale::Overlay>& parts, double zoom, QSize size) {
    korvale::MapViewTransform view;
    view.zoom = zoom;
    view.scroll = QPointF(size.width() / 2.0 * (zoom - 1), size.height() / 2.0 * (zoom - 1));
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    korvale::OverlayPaintCache cache;
    for (const korvale::Overlay& o : parts)
        korvale::OverlayViewer::PaintOverlay(p, o, QPointF(0, 0), cache, view);
    p.end();
    return img;
}

// The overlay cut into pieces of at most 100 marks (cut only between two marks), painted one
// after the other: every mark goes through the paint of a single mark.
std::vector<korvale::Overlay> MarkByMark(const korvale::Overlay& o) {
    std::vector<korvale::Overlay> parts(1);
    int marks = 0;
    for (const korvale::Primitive& q : o.Items()) {
        parts.back().Add(q);
        if (q.kind == korvale::Primitive::Kind::Disc && ++marks % 100 == 0)
            parts.emplace_back();
    }
    return parts;
}

// The plan of a 600 m square at 1.25 m per pixel with the camera's own photo base and spacing.
korvale::Overlay NormalPlan() {
    korvale::State s;
    s.TrafO = 1.25;
    s.TrafM = 1.25;
    s.TrafXbs = 200;
    s.TrafYbs = 150;
    s.TrafYs = 32512000.0;
    s.TrafXs = 5301000.0;
    for (const auto& [x, y] :
         {std::pair{-240.f, -240.f}, {240.f, -240.f}, {240.f, 240.f}, {-240.f, 240.f}}) {
        korvale::TPt p;
        p.Typ = korvale::KindBorder;
        p.xb = 200 + x / 1.25f;
        p.yb = 150 + y / 1.25f;
        s.Points.push_back(p);
    }
    korvale::Trafall(s);
    korvale::ParamPageModel param;
    korvale::Rechnen(param);
    param.NumberBoxRi.SetValue(30);
    korvale::Overlay o;
    korvale::SetBorderPointer(s, param);
    korvale::FlightLines(s, param, o);
    return o;
}

TEST(OverlayDensity, ANormalPlanPaintsEveryMarkAsBefore) {
    const korvale::Overlay plan = NormalPlan();
    ASSERT_GT(plan.Size(), 2000u); // far more marks than a run painted mark by mark
    for (const double zoom : {1.0, 4.0}) {
        SCOPED_TRACE(zoom);
        const QImage whole = Paint({plan}, zoom, QSize(400, 300));
        EXPECT_EQ(whole, Paint(MarkByMark(plan), zoom, QSize(400, 300)));
    }
}

TEST(OverlayDensity, MarksCloserThanAPixelShowTheirDensityAndLinesStay) {
    // 40 lines 20 pixels apart with a mark every half pixel, as a photo base of 1 m shows at
    // 2 m per pixel.
    korvale::Overlay o;
    for (int line = 0; line < 40; ++line) {
        const double y = 10 + 20 * line;
        o.Line(korvale::ColBlue, 10, y, 390, y);
        for (double x = 10; x <= 390; x += 0.5) {
            o.Circle(korvale::ColYellow, x, y, 2);
            o.Disc(korvale::ColMagenta, x, y, 2);
        }
    }
    const struct {
        double zoom;
        bool dense; // marks closer than a pixel on the screen
    } cases[] = {{1, true}, {0.5, true}, {4, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zoom);
        const QImage img = Paint({o}, c.zoom, QSize(400, 800));
        const QImage byMark = Paint(MarkByMark(o), c.zoom, QSize(400, 800));
        if (!c.dense) {
            EXPECT_EQ(img, byMark);
            continue;
        }
        EXPECT_NE(img, byMark);
        // On a line the marks' colour over the line; three pixels beside it, where a circle
        // and its dark ring would reach, nothing but the line's own halo.
        const QPointF on =
            (QPointF(200, 210) * c.zoom) - QPointF(200 * (c.zoom - 1), 400 * (c.zoom - 1));
        const QRgb mark = img.pixel(on.toPoint());
        EXPECT_GT(qRed(mark), 120);
        EXPECT_GT(qBlue(mark), 120);
        EXPECT_LT(qGreen(mark), 60);
        EXPECT_EQ(qAlpha(img.pixel(on.toPoint() + QPoint(0, 3))), 0);
        EXPECT_NE(qAlpha(byMark.pixel(on.toPoint() + QPoint(0, 3))), 0);
    }
}

} // namespace
} // namespace windowtest
