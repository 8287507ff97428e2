// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The coverage row of the planning page, offscreen: the coverage map painted under the plan
// with its legend and shares, switched off again; the crosshatch switch planning both grids;
// the footprints written as GeoJSON beside the drawing's name.
#include <QCheckBox>
#include <QColor>
#include <QTabBar>
#include <QToolBar>

#include <cmath>

#include <nlohmann/json.hpp>

#include "coverage_overlay.h"
#include "imageviewer.h"
#include "model/fileio.h"
#include "pages_fixture.h"

namespace pagetest {
namespace {

class CoverageTest : public PagesTest {
  protected:
    // The map copy page as it shows, and one of its pixels at a map position (client
    // coordinates, zoom 1).
    QImage Shot() {
        w->Tabcontrol1->setCurrentWidget(w->TabItemKarte);
        w->resize(900, 800);
        return w->TabItemKarte->grab().toImage();
    }
    QColor At(const QImage& shot, double xb, double yb) const {
        const double top = w->ToolBar1->height() + w->Tabcontrol1->tabBar()->height();
        const double dpr = shot.devicePixelRatio();
        return shot.pixelColor(static_cast<int>(xb * dpr), static_cast<int>((yb - top) * dpr));
    }
};

TEST_F(CoverageTest, MapIsPaintedUnderThePlanWithLegendAndShares) {
    PlanSquare();
    const QImage before = Shot();
    w->CheckBoxAbdeckung->click();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    EXPECT_TRUE(w->LabelAbdeckung->text().startsWith(
        QString::fromUtf8("Abdeckung (Zelle 1 m): ≥1 Bild 100.0 %")))
        << w->LabelAbdeckung->text().toStdString();
    EXPECT_EQ(w->LabelStatus->text(), w->LabelAbdeckung->text());
    const QImage with = Shot();
    // Inside the square many pictures see every spot: green over the map; outside nothing
    // changes.
    // Nine and more pictures see the inner spots: the green of that class laid over the map.
    const QColor nine = korvale::CoverageColour(4);
    const double a = nine.alphaF();
    const auto blend = [a](int top, int under) { return top * a + under * (1 - a); };
    int green = 0;
    for (int yb = 215; yb < 295; ++yb) {
        const QColor now = At(with, 137, yb), was = At(before, 137, yb);
        green += std::abs(now.red() - blend(nine.red(), was.red())) < 3 &&
                 std::abs(now.green() - blend(nine.green(), was.green())) < 3 &&
                 std::abs(now.blue() - blend(nine.blue(), was.blue())) < 3;
    }
    EXPECT_GE(green, 20); // the rest are flight lines, picture marks and their halos
    EXPECT_EQ(At(with, 400, 500), At(before, 400, 500));
    // The legend's light box in the corner.
    const QColor legend = with.pixelColor(static_cast<int>(12 * with.devicePixelRatio()),
                                          static_cast<int>(12 * with.devicePixelRatio()));
    EXPECT_GT(legend.lightness(), 200);

    w->CheckBoxAbdeckung->click();
    EXPECT_TRUE(w->LabelAbdeckung->text().isEmpty());
    EXPECT_EQ(Shot(), before);
}

TEST_F(CoverageTest, CrosshatchPlansBothGridsAndBack) {
    PlanSquare();
    const double strips = w->param().NumberBoxStreifen.Value();
    const double pictures = w->param().NumberBoxBilder.Value();
    w->CheckBoxKreuz->click();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    EXPECT_EQ(w->param().NumberBoxStreifen.Value(), 2 * strips); // a square: as many lines each way
    EXPECT_GT(w->param().NumberBoxBilder.Value(), 1.8 * pictures);
    w->CheckBoxKreuz->click();
    EXPECT_EQ(w->param().NumberBoxStreifen.Value(), strips);
    EXPECT_EQ(w->param().NumberBoxBilder.Value(), pictures);
}

TEST_F(CoverageTest, FootprintsAreWrittenBesideTheDrawing) {
    w->ButtonFootprints->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("Noch kein Flugplan"));
    EXPECT_TRUE(dialogKinds.empty());

    PlanSquare();
    w->EditDXFFileName->setText(Path("flug.dxf"));
    answers.push_back(Path("umrisse.geojson"));
    w->ButtonFootprints->click();
    ASSERT_EQ(messages.size(), 1u) << messages.back().toStdString();
    ASSERT_EQ(dialogCurrent.size(), 1u);
    EXPECT_EQ(dialogCurrent[0], Path("flug_umrisse.geojson"));
    const auto j =
        nlohmann::json::parse(korvale::ReadFileBytes(Path("umrisse.geojson").toStdString()));
    EXPECT_EQ(j["features"].size(), static_cast<std::size_t>(w->param().NumberBoxBilder.Value()));
    EXPECT_EQ(j["features"][0]["geometry"]["type"], "Polygon");
    EXPECT_TRUE(w->LabelStatus->text().startsWith("Bildumrisse geschrieben"));
}

} // namespace
} // namespace pagetest
