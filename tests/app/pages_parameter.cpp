// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The "Korvale" page in the real window: camera values, their refusal of bad input, and the
// planning run drawn over the map copy.
#include <QCheckBox>
#include <cmath>

#include "model/overlay.h"
#include "pages_fixture.h"
#include "shots.h"

using namespace pagetest;
using korvale::Primitive;

namespace {

int CountDiscs(const korvale::Overlay& o, korvale::Argb fill) {
    int n = 0;
    for (const Primitive& p : o.Items())
        n += p.kind == Primitive::Kind::Disc && p.fill == fill ? 1 : 0;
    return n;
}

int CountLines(const korvale::Overlay& o, korvale::Argb stroke) {
    int n = 0;
    for (const Primitive& p : o.Items())
        n += p.kind == Primitive::Kind::Line && p.stroke == stroke ? 1 : 0;
    return n;
}

} // namespace

class ParameterPage : public PagesTest {};

TEST_F(ParameterPage, StartValuesAndControlsAreNamedAndLabelled) {
    for (const char* name : {"EditF",
                             "EditAufloesung",
                             "CheckBoxFormat",
                             "EditXb",
                             "EditYb",
                             "NumberBoxLG",
                             "NumberBoxBG",
                             "NumberBoxP",
                             "NumberBoxQ",
                             "NumberBoxH",
                             "NumberBoxBA",
                             "NumberBoxV",
                             "NumberBoxFlugzeit",
                             "NumberBoxA",
                             "NumberBoxB",
                             "NumberBoxFrameS",
                             "NumberBoxStreifen",
                             "NumberBoxWeg",
                             "NumberBoxFlaeche",
                             "NumberBoxBilder",
                             "NumberBoxRi",
                             "ButtonWaypts",
                             "Button5",
                             "EditDXFFileName",
                             "EditKVName",
                             "ButtonSaveKV",
                             "ButtonLoadKV"})
        EXPECT_NE(w->TabItemParameter->findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(w->CheckBoxFormat->text(), "16 : 9");
    EXPECT_TRUE(w->CheckBoxFormat->isChecked());
    EXPECT_EQ(w->EditDXFFileName->text(), "Flugplanung.dxf");
    EXPECT_EQ(w->EditKVName->text(), "TrafPar.dat");
    EXPECT_EQ(w->NumberBoxA->text(), "10.0");
    EXPECT_TRUE(w->NumberBoxLG->isReadOnly());
    EXPECT_FALSE(w->NumberBoxH->isReadOnly());
    EXPECT_EQ(w->ButtonWaypts->text(), "Calc Raster");

    w->Guard([this] { w->Rechnen(); });
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(w->NumberBoxLG->text(), "35");
    EXPECT_EQ(w->NumberBoxBG->text(), "63");
    EXPECT_EQ(w->NumberBoxA->text(), "7.1");
    EXPECT_EQ(w->NumberBoxB->text(), "12.5");
    EXPECT_EQ(w->NumberBoxFrameS->text(), "2");
    // Four pixels on the ground in centimetres, to one decimal as the other lengths.
    EXPECT_EQ(w->NumberBoxBA->text(), "4.6");
    // The widget hands the core the exact value, not the one shown.
    EXPECT_NEAR(w->param().NumberBoxA.Value(), 7.0529, 1e-3);
}

TEST_F(ParameterPage, TypedHeightRecomputesAndIsKeptExactAndClamped) {
    TypeInto(w->NumberBoxH, "60");
    EXPECT_EQ(w->param().NumberBoxH.Value(), 60);
    EXPECT_EQ(w->NumberBoxLG->text(), "53"); // 35.3 m * 1.5
    EXPECT_EQ(w->NumberBoxFrameS->text(), "3");

    TypeInto(w->NumberBoxH, "500"); // beyond Max 200
    EXPECT_EQ(w->NumberBoxH->text(), "200");
    EXPECT_EQ(w->param().NumberBoxH.Raw(), 200);

    // A grid direction typed with more places than shown keeps them.
    TypeInto(w->NumberBoxRi, "33.333");
    EXPECT_EQ(w->NumberBoxRi->text(), "33.3");
    EXPECT_DOUBLE_EQ(w->param().NumberBoxRi.Value(), 33.333);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ParameterPage, BadCameraTextShowsMessageAndKeepsBoxes) {
    w->Guard([this] { w->Rechnen(); });
    const QString lg = w->NumberBoxLG->text();
    const QString a = w->NumberBoxA->text();
    const struct {
        QLineEdit* edit;
        QString text;
        QString label; // the box named on the message's second line
    } cases[] = {{w->EditF, "8,38", "c mm"},
                 {w->EditAufloesung, "abc", "Pixel µm"},
                 {w->EditYb, "", "Y pix"}};
    for (const auto& c : cases) {
        const QString before = c.edit->text();
        c.edit->setText(c.text);
        messages.clear();
        TypeInto(w->NumberBoxH, "80");
        ASSERT_EQ(messages.size(), 1u) << c.text.toStdString();
        const QStringList lines = messages[0].split('\n');
        ASSERT_EQ(lines.size(), 2) << messages[0].toStdString();
        EXPECT_EQ(lines[0], "'" + c.text + "' ist kein gültiger Gleitkommawert");
        EXPECT_TRUE(lines[1].startsWith("Im Feld „" + c.label + "“")) << lines[1].toStdString();
        EXPECT_EQ(w->NumberBoxLG->text(), lg);
        EXPECT_EQ(w->NumberBoxA->text(), a);
        c.edit->setText(before);
    }
    // A refused computation stops "Calc Raster" before it plans anything.
    w->EditF->setText("x");
    messages.clear();
    PlanSquare();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(w->state().CutPoints.empty());
}

TEST_F(ParameterPage, FormatSwitchTakesEffectAtTheNextComputation) {
    w->CheckBoxFormat->click();
    EXPECT_FALSE(w->CheckBoxFormat->isChecked());
    EXPECT_EQ(w->CheckBoxFormat->text(), "3:2");
    EXPECT_EQ(w->EditXb->text(), "5472");
    EXPECT_EQ(w->EditYb->text(), "3648");
    EXPECT_EQ(w->NumberBoxLG->text(), "0"); // nothing computed yet
    w->Guard([this] { w->Rechnen(); });
    EXPECT_EQ(w->NumberBoxLG->text(), "42");
    w->CheckBoxFormat->click();
    EXPECT_EQ(w->CheckBoxFormat->text(), "16:9");
    EXPECT_EQ(w->EditYb->text(), "3078");
}

TEST_F(ParameterPage, CalcRasterPlansTheAreaAndDrawsIt) {
    PlanSquare();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    const korvale::State& s = w->state();
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemKarte);
    // Border points got ground coordinates; the ring is 100 m x 100 m.
    ASSERT_EQ(s.Points.size(), 4u);
    EXPECT_DOUBLE_EQ(s.Points[0].E, 32500000 - 150);
    EXPECT_DOUBLE_EQ(s.Points[0].N, 5400000 + 200);
    EXPECT_EQ(w->NumberBoxFlaeche->text(), "1.000");

    const int strips = static_cast<int>(w->param().NumberBoxStreifen.Value());
    const int pictures = static_cast<int>(w->param().NumberBoxBilder.Value());
    EXPECT_EQ(strips, static_cast<int>(s.FlightSegs.size()));
    EXPECT_GE(strips, 8); // 100 m at a strip spacing of 12.5 m
    EXPECT_LE(strips, 9);
    EXPECT_EQ(w->NumberBoxStreifen->text(), QString::number(strips));
    EXPECT_GT(w->param().NumberBoxWeg.Value(), 100.0 * (strips - 1));

    // Picture marks: one magenta disc per picture, all inside the area.
    const korvale::Overlay& o = w->overlay();
    EXPECT_EQ(CountDiscs(o, korvale::ColMagenta), pictures);
    for (const Primitive& p : o.Items()) {
        if (p.kind != Primitive::Kind::Disc || p.fill != korvale::ColMagenta)
            continue;
        const double cx = (p.x1 + p.x2) / 2, cy = (p.y1 + p.y2) / 2;
        EXPECT_GE(cx, 100 - 0.01);
        EXPECT_LE(cx, 200 + 0.01);
        EXPECT_GE(cy, 200 - 0.01);
        EXPECT_LE(cy, 300 + 0.01);
    }
    // Yellow lines: the four ring edges, every segment and the legs between them.
    EXPECT_EQ(CountLines(o, korvale::ColYellow), 4 + strips + (strips - 1));

    // Pressing again gives the same plan and statistics.
    const auto segs = s.FlightSegs;
    const double path = w->param().NumberBoxWeg.Value();
    w->ButtonWaypts->click();
    EXPECT_EQ(s.FlightSegs, segs);
    EXPECT_EQ(w->param().NumberBoxBilder.Value(), pictures);
    EXPECT_EQ(w->param().NumberBoxWeg.Value(), path);
}

TEST_F(ParameterPage, ClickOnTheMapTabPlansAgain) {
    PlanSquare();
    const auto cutsBefore = w->state().CutPoints;
    TypeInto(w->NumberBoxRi, "45"); // read by the next planning run only
    EXPECT_EQ(w->state().CutPoints, cutsBefore);
    w->Tabcontrol1->setCurrentWidget(w->TabItemParameter);
    emit w->Tabcontrol1->tabBarClicked(w->Tabcontrol1->indexOf(w->TabItemKarte));
    EXPECT_NE(w->state().CutPoints, cutsBefore);
    EXPECT_EQ(w->param().NumberBoxStreifen.Value(),
              static_cast<double>(w->state().FlightSegs.size()));
    EXPECT_GT(w->param().NumberBoxStreifen.Value(), 9); // the diagonal is longer
    EXPECT_TRUE(messages.empty());
}

// A planning value that cannot plan (Längs % = 100: photo base 0) is reported once, on
// "Calc Raster"; a later click on the map tab draws everything else quietly, leaves the plan
// out and says why in the status line.
TEST_F(ParameterPage, RefusedPlanIsReportedOnlyWhereTheUserAskedForIt) {
    PlanSquare();
    ASSERT_TRUE(messages.empty());
    w->param().NumberBoxP.SetValue(100);
    w->ButtonWaypts->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("Bildabstand")) << messages[0].toStdString();

    w->Tabcontrol1->setCurrentWidget(w->TabItemParameter);
    emit w->Tabcontrol1->tabBarClicked(w->Tabcontrol1->indexOf(w->TabItemKarte));
    EXPECT_EQ(messages.size(), 1u); // no second modal message
    EXPECT_TRUE(w->LabelStatus->text().startsWith("Flugplan nicht gezeichnet"))
        << w->LabelStatus->text().toStdString();
    const korvale::Overlay& o = w->overlay();
    EXPECT_EQ(CountDiscs(o, korvale::ColMagenta), 0); // no plan
    EXPECT_EQ(CountLines(o, korvale::ColYellow), 4);  // the ring is still drawn
    w->Showgrafik();
    EXPECT_EQ(messages.size(), 1u);
}

// A U-shaped field at Ri 0: no picture mark lies in the notch, each arm is its own block.
// The map copy page is saved as a picture to be looked at (shots.h).
TEST_F(ParameterPage, UShapedFieldIsPlannedInsideOnly) {
    w->resize(900, 700);
    w->show();
    w->SetMapCopy(SyntheticMap());
    Georeference();
    // 300 m x 300 m with a notch 100 m wide and 200 m deep from the north (screen top).
    for (const auto& [x, y] : std::vector<std::pair<float, float>>{{100, 150},
                                                                   {200, 150},
                                                                   {200, 350},
                                                                   {300, 350},
                                                                   {300, 150},
                                                                   {400, 150},
                                                                   {400, 450},
                                                                   {100, 450}})
        AddPoint(x, y, korvale::KindBorder);
    w->ButtonWaypts->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    int marks = 0;
    for (const Primitive& p : w->overlay().Items()) {
        if (p.kind != Primitive::Kind::Disc || p.fill != korvale::ColMagenta)
            continue;
        ++marks;
        const double cx = (p.x1 + p.x2) / 2, cy = (p.y1 + p.y2) / 2;
        EXPECT_FALSE(cx > 200 + 0.01 && cx < 300 - 0.01 && cy < 350 - 0.01)
            << "picture in the notch at " << cx << ", " << cy;
    }
    EXPECT_GT(marks, 100);
    if (const QString shot = ShotPath("u_shaped_field.png"); !shot.isEmpty()) {
        QCoreApplication::processEvents();
        w->grab().save(shot);
    }
}
