// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Heights above ground in the real window: "Höhenmodell laden" (remembered, a bad file refused
// with nothing changed), the Litchi grid mission and the KMZ over the ground with the same
// heights, the profile page, the model kept in the project, and "Ohne" giving the mission of no
// model again.
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QSettings>

#include <algorithm>

#include "../terrain/dem_support.h"
#include "dji/wpml_read.h"
#include "model/fileio.h"
#include "pages_fixture.h"
#include "profileview.h"
#include "shots.h"

using namespace pagetest;

namespace {

// The square of PlanSquare lies at E 32 499 850..950, N 5 400 100..200: flat to the west and
// south of its middle, rising 40 % east and north of it, so every line and leg crosses a fold.
double Fold(double x, double y) {
    return 180 + 0.4 * std::max(0.0, x - 499900) + 0.4 * std::max(0.0, y - 5400150);
}

class TerrainPage : public PagesTest {
  protected:
    QString Dem() {
        korvale::test::DemSpec s;
        s.cols = s.rows = 200;
        s.dx = s.dy = 2;
        s.x0 = 499700;
        s.y0 = 5400350;
        s.height = Fold;
        return QString::fromStdString(korvale::test::WriteDem(Path("fold.tif").toStdString(), s));
    }
    void Load(const QString& file) {
        answers.push_back(file);
        w->ButtonDem->click();
    }
    std::vector<float> Altitudes() const {
        std::vector<float> a;
        for (const korvale::TlitchRec& r : w->state().LitchiRecs)
            a.push_back(r.altitude);
        return a;
    }
};

TEST_F(TerrainPage, MissionsAndKmzFollowTheGroundOfTheLoadedModel) {
    EXPECT_EQ(w->ButtonDem->text(), "Höhenmodell laden");
    EXPECT_EQ(w->LabelDem->text(), "kein Höhenmodell");
    EXPECT_EQ(w->SpinTerrainTol->value(), 5);
    EXPECT_EQ(w->Tabcontrol1->tabText(w->Tabcontrol1->indexOf(w->TabItemProfile)), "Profil");
    PlanSquare();
    w->Button9->click(); // Litchi RasterL without a model
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    const std::vector<float> flat = Altitudes();
    ASSERT_GE(flat.size(), 4u);
    for (float a : flat)
        EXPECT_EQ(a, flat.front());

    // A file that is no model changes nothing.
    QFile bad(Path("notiz.tif"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("kein Raster");
    bad.close();
    Load(Path("notiz.tif"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("kein Höhenmodell")) << messages[0].toStdString();
    EXPECT_EQ(w->LabelDem->text(), "kein Höhenmodell");
    messages.clear();

    const QString dem = Dem();
    Load(dem);
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_EQ(w->LabelDem->text(), "fold.tif");
    EXPECT_EQ(QSettings().value("values/DemFile").toString(), dem);
    w->SpinTerrainTol->setValue(1);
    w->Button9->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    const std::vector<float> over = Altitudes();
    // Waypoints were added at the folds and the heights follow the rise.
    EXPECT_GT(over.size(), flat.size());
    EXPECT_GT(*std::max_element(over.begin(), over.end()) -
                  *std::min_element(over.begin(), over.end()),
              10);
    // Every waypoint at the flight height above its ground, relative to the first one's.
    const korvale::State& s = w->state();
    const double h = w->param().NumberBoxH.Value();
    double g0 = 0;
    for (std::size_t i = 0; i < s.LitchiRecs.size(); ++i) {
        const korvale::GroundPos at =
            korvale::test::FromGeo(32, s.LitchiRecs[i].latitude, s.LitchiRecs[i].longitude);
        const double g = Fold(at.E - 32000000, at.N);
        if (i == 0)
            g0 = g;
        // Single-precision degrees put a waypoint up to a few decimetres off: 0.2 m of height.
        EXPECT_NEAR(s.LitchiRecs[i].altitude, h + g - g0, 0.2) << i;
    }

    // The KMZ carries the same heights, waypoint for waypoint (the drone flies the line ends).
    const int m4e = w->ComboBoxDrone->findData(QStringLiteral("m4e"));
    ASSERT_GE(m4e, 0);
    w->ComboBoxDrone->setCurrentIndex(m4e);
    w->EditCVS->setText(Path("gelaende.csv"));
    w->ButtonKMZ->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    const korvale::WpmlReadKmz kmz =
        korvale::ReadWpmlKmz(korvale::ReadFileBytes(Path("gelaende.kmz").toStdString()));
    const korvale::WpmlReadDoc way = korvale::ReadWpmlXml(kmz.waylinesWpml.value(), true);
    const auto& points = way.folders.at(0).points;
    ASSERT_EQ(points.size(), over.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        EXPECT_NEAR(points[i].height.value(), over[i], 0.01) << i;

    // The project keeps the model.
    w->EditKVName->setText(Path("gelaende.dat"));
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();

    if (!ShotPath("profile_page.png").isEmpty()) {
        w->resize(1280, 800);
        w->Tabcontrol1->setCurrentWidget(w->TabItemProfile);
        w->show();
        QApplication::processEvents();
        w->grab().save(ShotPath("profile_page.png"));
        w->Tabcontrol1->setCurrentWidget(w->TabItemParameter);
        QApplication::processEvents();
        w->grab().save(ShotPath("planning_page_dem.png"));
    }

    // The model is there again in a new window; "Ohne" gives the mission of no model again.
    w.reset();
    w = std::make_unique<TMainForm>();
    w->messageHook = [this](const QString& m) { messages.push_back(m); };
    w->unsavedHook = [](const QString&) { return TMainForm::UnsavedChoice::Discard; };
    EXPECT_EQ(w->LabelDem->text(), "fold.tif");
    EXPECT_EQ(w->SpinTerrainTol->value(), 1);
    w->ButtonDemOff->click();
    EXPECT_EQ(w->LabelDem->text(), "kein Höhenmodell");
    PlanSquare();
    w->Button9->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_EQ(Altitudes(), flat);
    w->EditKVName->setText(Path("gelaende.dat"));
    w->ButtonLoadKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_EQ(w->LabelDem->text(), "fold.tif");
}

TEST_F(TerrainPage, AModelThatMissesTheAreaChangesNoMission) {
    korvale::test::DemSpec s;
    s.cols = s.rows = 20;
    s.dx = s.dy = 2;
    s.x0 = 400000; // 100 km west of the area
    s.y0 = 5400350;
    s.height = Fold;
    const QString far =
        QString::fromStdString(korvale::test::WriteDem(Path("weit.tif").toStdString(), s));
    PlanSquare();
    w->Button9->click();
    const std::vector<float> before = Altitudes();
    Load(far);
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    w->Button9->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("deckt die Position")) << messages[0].toStdString();
    EXPECT_EQ(Altitudes(), before);
}

} // namespace
