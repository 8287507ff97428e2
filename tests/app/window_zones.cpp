// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The "Sperrfläche" tool in the real window: zones clicked on the map copy, drawn hatched, left
// out of the plan with their buffer, undone corner by corner.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>

#include "model/zonedraw.h"
#include "planning/plan.h"
#include "shots.h"
#include "window_support.h"

namespace windowtest {
namespace {

constexpr double E0 = 32500000;
constexpr double N0 = 5300000;

class ZoneTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ShowMapPage();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        w->SetMapCopy(SyntheticMap(640, 560));
        // North up at 1 m per pixel: map position (xb, yb) lies at E0 + xb, N0 - yb.
        auto& s = w->state();
        s.TrafO = 1;
        s.TrafM = 1;
        s.TrafYs = E0;
        s.TrafXs = N0;
    }
    std::size_t ZoneLines() const {
        std::size_t n = 0;
        for (const auto& p : w->overlay().Items())
            n += p.kind == korvale::Primitive::Kind::Line && p.stroke == korvale::ColZone;
        return n;
    }
};

// Distance of the segment a-b from the square [x0, x1] x [y0, y1] (0 when they meet).
double ToSquare(korvale::PlanPt a, korvale::PlanPt b, double x0, double y0, double x1, double y1) {
    double best = 1e300;
    for (int k = 0; k <= 1000; ++k) {
        const double x = a.E + (b.E - a.E) * k / 1000, y = a.N + (b.N - a.N) * k / 1000;
        const double dx = std::max({x0 - x, 0.0, x - x1}), dy = std::max({y0 - y, 0.0, y - y1});
        best = std::min(best, std::hypot(dx, dy));
    }
    return best;
}

TEST_F(ZoneTest, ZonesAreClickedDrawnLeftOutOfThePlanAndUndone) {
    const auto& s = w->state();
    w->ButtonBorder->click();
    for (QPoint v : {QPoint(60, 60), QPoint(560, 60), QPoint(560, 400), QPoint(60, 400)})
        Click(Qt::LeftButton, v);
    w->ButtonBorder->click();
    EXPECT_EQ(ZoneLines(), 0u);

    // A farmstead of four corners (view y + 80 is the map's y).
    EXPECT_EQ(w->ButtonZone->toolTip(), "Sperrfläche");
    w->ButtonZone->click();
    EXPECT_TRUE(w->ButtonZone->isChecked());
    EXPECT_FALSE(w->ButtonBorder->isChecked());
    for (QPoint v : {QPoint(250, 150), QPoint(350, 150), QPoint(350, 250), QPoint(250, 250)})
        Click(Qt::LeftButton, v);
    EXPECT_EQ(Status(), "Sperrfläche 1: 4 Ecken");
    w->ButtonZone->click(); // closes it
    ASSERT_EQ(s.Zones.size(), 1u);
    ASSERT_EQ(s.Zones[0].size(), 4u);
    EXPECT_EQ(s.Points.size(), 4u); // the zone's corners are no points of the list
    EXPECT_FLOAT_EQ(s.Zones[0][2].yb, 330);
    EXPECT_DOUBLE_EQ(s.Zones[0][2].E, E0 + 350);
    EXPECT_DOUBLE_EQ(s.Zones[0][2].N, N0 - 330);
    EXPECT_GT(ZoneLines(), 4u + 10u); // outline and hatching

    w->ButtonWaypts->click();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    const korvale::FlightPlan plan = korvale::PlanOfState(s, 7, 15);
    ASSERT_GT(plan.lines.size(), 20u);
    for (const auto& l : plan.lines)
        EXPECT_GE(ToSquare(l.start, l.end, E0 + 250, N0 - 330, E0 + 350, N0 - 230), 5 - 0.01);
    for (const auto& g : plan.legs)
        for (std::size_t i = 0; i + 1 < g.points.size(); ++i)
            EXPECT_GE(
                ToSquare(g.points[i], g.points[i + 1], E0 + 250, N0 - 330, E0 + 350, N0 - 230),
                5 - 0.01);
    EXPECT_GT(ZoneLines(), 4u + 10u); // still drawn with the plan
    // The coverage map leaves the zone out of the area: every cell left is seen.
    w->CheckBoxAbdeckung->click();
    EXPECT_TRUE(w->LabelAbdeckung->text().contains(QStringLiteral("≥1 Bild 100.0 %")))
        << w->LabelAbdeckung->text().toStdString();
    if (const QString shot = pagetest::ShotPath("zone_coverage.png"); !shot.isEmpty())
        w->grab().save(shot);
    w->CheckBoxAbdeckung->click();

    // A second zone, a mast of one corner; then back corner by corner.
    w->ButtonZone->click();
    Click(Qt::LeftButton, {480, 300});
    ASSERT_EQ(s.Zones.size(), 2u);
    QTest::keyClick(w->ImageViewer2, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Status(), "Rückgängig: Sperrfläche: Ecke setzen");
    EXPECT_EQ(s.Zones.size(), 1u);
    QTest::keyClick(w->ImageViewer2, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(s.Zones.size(), 1u);
    EXPECT_EQ(s.Zones[0].size(), 3u);
    QTest::keyClick(w->ImageViewer2, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(s.Zones[0].size(), 4u);
}

} // namespace
} // namespace windowtest
