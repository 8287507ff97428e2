// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// "Alfa auto" in the real window: it sets the direction box to the length of a long narrow
// area and plans there exactly as "Calc Raster" does; without an area it refuses.
#include <QPushButton>
#include <cmath>

#include "model/format.h"
#include "model/overlay.h"
#include "pages_fixture.h"
#include "planning/angle.h"
#include "planning/plan.h"
#include "shots.h"

using namespace pagetest;

class AlfaAuto : public PagesTest {};

TEST_F(AlfaAuto, TurnsTheLinesAlongALongAreaAndPlans) {
    w->resize(900, 700);
    w->SetMapCopy(SyntheticMap());
    Georeference();
    // 40 m x 400 m, a little off north-south (1 m per pixel, screen y points south).
    const double rot = 93.7 / korvale::Rho;
    for (const auto& [x, y] :
         std::vector<std::pair<double, double>>{{-200, -20}, {200, -20}, {200, 20}, {-200, 20}})
        AddPoint(static_cast<float>(250 + x * std::cos(rot) - y * std::sin(rot)),
                 static_cast<float>(280 - (x * std::sin(rot) + y * std::cos(rot))),
                 korvale::KindBorder);
    ASSERT_EQ(w->ButtonAlfaAuto->text(), "Alfa auto");
    w->ButtonAlfaAuto->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();

    const double ri = w->param().NumberBoxRi.Value();
    EXPECT_NEAR(ri, 93.7, 1.0);
    EXPECT_EQ(w->NumberBoxRi->text(), korvale::Format("%.1f", {ri}).c_str());
    const korvale::State& s = w->state();
    const korvale::GridAngleResult g =
        korvale::BestGridAngle(korvale::BorderRing(s), w->param().NumberBoxB.Value());
    EXPECT_EQ(ri, g.Ri);
    EXPECT_EQ(s.FlightSegs.size(), g.strips);
    EXPECT_LE(g.strips, 4u);
    EXPECT_EQ(w->param().NumberBoxStreifen.Value(), static_cast<double>(g.strips));
    EXPECT_TRUE(w->LabelStatus->text().startsWith("Alfa auto: "))
        << w->LabelStatus->text().toStdString();

    // The plan is the one "Calc Raster" makes at that direction.
    const auto segs = s.FlightSegs;
    const auto cuts = s.CutPoints;
    w->ButtonWaypts->click();
    EXPECT_EQ(s.FlightSegs, segs);
    EXPECT_EQ(s.CutPoints, cuts);

    // The parameter page, as a picture to be looked at (shots.h).
    if (const QString shot = ShotPath("angle_page.png"); !shot.isEmpty()) {
        w->show();
        w->Tabcontrol1->setCurrentWidget(w->TabItemParameter);
        QCoreApplication::processEvents();
        w->grab().save(shot);
    }
}

TEST_F(AlfaAuto, WithoutAnAreaRefusesAndKeepsTheDirection) {
    w->SetMapCopy(SyntheticMap());
    Georeference();
    AddPoint(100, 100, korvale::KindPlain);
    w->ButtonAlfaAuto->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith("Alfa auto braucht ein Gebiet.\n"))
        << messages[0].toStdString();
    EXPECT_EQ(w->param().NumberBoxRi.Value(), 0.01);
    EXPECT_TRUE(w->state().FlightSegs.empty());
}
