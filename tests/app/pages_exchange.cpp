// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Geodata buttons of the window: area import from the toolbar, plan export, world file and
// QGIS control points, driven offscreen through the dialog seams.
#include <QFile>
#include <QFileInfo>
#include <QToolButton>

#include "exchange/area.h"
#include "exchange/plan_export.h"
#include "export/dxf.h"
#include "georef/transform.h"
#include "model/fileio.h"
#include "pages_fixture.h"
#include "tests/support/file_faults.h"

namespace pagetest {
namespace {

class ExchangeTest : public PagesTest {
  protected:
    void SetUp() override {
        PagesTest::SetUp();
        w->choiceHook = [this](const QString&, const QStringList& items) {
            choices = items;
            return choiceAnswer < 0 ? QString() : items.value(choiceAnswer);
        };
    }
    QString WriteFile(const QString& name, const std::string& bytes) {
        korvale::WriteFileAtomic(Path(name).toStdString(), bytes);
        return Path(name);
    }
    QString Status() const { return w->LabelStatus->text(); }

    QStringList choices;
    int choiceAnswer = 1;
};

// Two parts near the georeferenced map (9 E, 48.74 N): a triangle, and a square with a hole.
const char* kTwoFields = R"({"type":"Feature","properties":{"name":"Hof"},"geometry":{
  "type":"MultiPolygon","coordinates":[
   [[[9.0001,48.7401],[9.0006,48.7401],[9.0003,48.7405],[9.0001,48.7401]]],
   [[[9.0,48.74],[9.0012,48.74],[9.0012,48.7408],[9.0,48.7408],[9.0,48.74]],
    [[9.0004,48.7402],[9.0006,48.7402],[9.0006,48.7404],[9.0004,48.7402]]]]}})";

TEST_F(ExchangeTest, ToolbarButtonImportsThePickedPartAsTheBorderOnTheMapCopy) {
    EXPECT_EQ(w->ButtonImport->toolTip(), "Gebiet importieren (KML, KMZ, GeoJSON)");
    EXPECT_FALSE(w->ButtonImport->icon().isNull());
    w->SetMapCopy(SyntheticMap());
    Georeference();
    AddPoint(10, 10, korvale::KindControl);
    AddSquareBorder();
    answers.push_back(WriteFile("felder.geojson", kTwoFields));
    w->ButtonImport->click();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    ASSERT_EQ(choices.size(), 2);
    EXPECT_EQ(choices[1], "Hof (Teil 2), 4 Ecken, 1 Loch/Löcher");

    const auto& pts = w->state().Points;
    ASSERT_EQ(pts.size(), 5u); // the control point and the four corners of part 2
    EXPECT_EQ(pts[0].Typ, korvale::KindControl);
    for (std::size_t i = 1; i < 5; ++i) {
        EXPECT_EQ(pts[i].Typ, korvale::KindBorder);
        const korvale::ImagePos ip = korvale::Trafback(w->state(), pts[i].N, pts[i].E);
        EXPECT_NEAR(pts[i].xb, ip.xb, 1e-3);
        EXPECT_NEAR(pts[i].yb, ip.yb, 1e-3);
    }
    EXPECT_EQ(pts[1].B, 48.74);
    EXPECT_EQ(pts[2].L, 9.0012);
    EXPECT_TRUE(Status().contains("4 Ecken")) << Status().toStdString();
    EXPECT_TRUE(Status().contains("1 Loch/Löcher als Sperrfläche")) << Status().toStdString();
    // The hole is an exclusion zone of three corners, on the map copy like the border.
    ASSERT_EQ(w->state().Zones.size(), 1u);
    ASSERT_EQ(w->state().Zones[0].size(), 3u);
    EXPECT_EQ(w->state().Zones[0][1].L, 9.0006);
    const korvale::ImagePos hole =
        korvale::Trafback(w->state(), w->state().Zones[0][1].N, w->state().Zones[0][1].E);
    EXPECT_NEAR(w->state().Zones[0][1].xb, hole.xb, 1e-3);
    EXPECT_NEAR(w->param().NumberBoxFlaeche.Value(), 0.88 * 0.89, 0.05); // ~88 m x 89 m
    EXPECT_GT(w->overlay().Size(), 4u); // markers and the ring are drawn
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemKarte);
}

TEST_F(ExchangeTest, ImportIsRefusedBeforeControlPointsAndWhenCancelledNothingChanges) {
    AddSquareBorder();
    const auto before = w->state().Points.size();
    w->ButtonImport->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("Zuerst Passpunkte")) << messages[0].toStdString();
    EXPECT_TRUE(dialogKinds.empty()); // no file is asked for
    EXPECT_EQ(w->state().Points.size(), before);

    Georeference();
    choiceAnswer = -1; // the user closes the choice
    answers.push_back(WriteFile("felder.geojson", kTwoFields));
    w->ButtonImport->click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(w->state().Points.size(), before);
    EXPECT_EQ(w->state().Points[0].xb, 100.0f);

    // A file that is not what its name says: message, and the border stays.
    answers.push_back(WriteFile("kaputt.kml", "{\"type\": \"Polygon\"}"));
    w->ButtonImport->click();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[1].contains("keine KML-Datei")) << messages[1].toStdString();
    EXPECT_EQ(w->state().Points.size(), before);
}

TEST_F(ExchangeTest, PlanIsWrittenAsKmlAndGeoJsonBesideTheDxfName) {
    PlanSquare();
    w->EditDXFFileName->setText(Path("flug.dxf"));
    answers.push_back(Path("plan.kml"));
    w->ButtonKml->click();
    answers.push_back(Path("plan.geojson"));
    w->ButtonGeoJson->click();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    ASSERT_EQ(dialogCurrent.size(), 2u);
    EXPECT_EQ(dialogCurrent[0], Path("flug.kml"));
    EXPECT_EQ(dialogCurrent[1], Path("flug.geojson"));
    const auto kml = korvale::ReadAreaKml(korvale::ReadFileBytes(Path("plan.kml").toStdString()));
    ASSERT_EQ(kml.size(), 1u);
    EXPECT_EQ(kml[0].ring.size(), 4u);
    const std::string json = korvale::ReadFileBytes(Path("plan.geojson").toStdString());
    EXPECT_NE(json.find("\"kind\": \"leg\""), std::string::npos);
    EXPECT_NE(json.find("\"kind\": \"picture\""), std::string::npos);
    EXPECT_TRUE(Status().startsWith("GeoJSON geschrieben")) << Status().toStdString();
}

TEST_F(ExchangeTest, WritersShareThePlanOfCalcRasterUntilItsInputsChange) {
    PlanSquare();
    ASSERT_EQ(w->plans().Computed(), 1u);
    const auto write = [&] {
        w->EditDXFFileName->setText(Path("flug.dxf"));
        w->Button5->click();
        answers.push_back(Path("plan.kml"));
        w->ButtonKml->click();
        answers.push_back(Path("plan.geojson"));
        w->ButtonGeoJson->click();
        ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    };
    // Each file is the plan of the state as it stands, whether planned anew or shared.
    const auto expectFilesOfTheState = [&] {
        const korvale::State& s = w->state();
        const korvale::ParamPageModel& p = w->param();
        EXPECT_EQ(korvale::ReadFileBytes(Path("flug.dxf").toStdString()),
                  korvale::BuildDxf(s, p.NumberBoxA.Value()));
        const korvale::PlanGeo geo = korvale::PlanGeoFromState(s, p);
        EXPECT_EQ(korvale::ReadFileBytes(Path("plan.kml").toStdString()), korvale::PlanToKml(geo));
        EXPECT_EQ(korvale::ReadFileBytes(Path("plan.geojson").toStdString()),
                  korvale::PlanToGeoJson(geo));
    };
    write();
    EXPECT_EQ(w->plans().Computed(), 1u);
    expectFilesOfTheState();

    // Another photo base: the first writer plans once more, the others share that plan.
    w->param().NumberBoxA.SetValue(w->param().NumberBoxA.Value() * 1.5);
    write();
    EXPECT_EQ(w->plans().Computed(), 2u);
    expectFilesOfTheState();

    // A border point moved and "Calc Raster" pressed again: one new plan for all.
    w->state().Points[1].xb += 7;
    w->ButtonWaypts->click();
    write();
    EXPECT_EQ(w->plans().Computed(), 3u);
    expectFilesOfTheState();
}

TEST_F(ExchangeTest, WorldFileAndControlPointsGoBesideTheMapImageAndComeBack) {
    w->SetMapCopy(SyntheticMap());
    Georeference();
    for (const auto& [x, y] : {std::pair{50.f, 120.f}, {400.f, 130.f}, {220.f, 500.f}}) {
        AddPoint(x, y, korvale::KindControl);
        auto& p = w->state().Points.back();
        const korvale::EastNorth en = korvale::Trafone(w->state(), x, y);
        p.E = en.E;
        p.N = en.N;
    }
    w->EditKVName->setText(Path("Karte.dat"));
    w->ButtonWorld->click();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    for (const char* f :
         {"Karte.jpg", "Karte.jgw", "Karte.prj", "Karte.jpg.aux.xml", "Karte.jpg.points"})
        EXPECT_TRUE(QFileInfo::exists(Path(f))) << f;
    const std::string jgw = korvale::ReadFileBytes(Path("Karte.jgw").toStdString());
    EXPECT_EQ(jgw.substr(0, 39), "1.0000000000\n0.0000000000\n0.0000000000\n");
    EXPECT_TRUE(Status().contains("EPSG:32632")) << Status().toStdString();

    const auto before = w->state().Points;
    answers.push_back(Path("Karte.jpg.points"));
    w->ButtonGcpImport->click();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    const auto& pts = w->state().Points;
    ASSERT_EQ(pts.size(), 6u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(pts[3 + i].xb, before[i].xb);
        EXPECT_EQ(pts[3 + i].yb, before[i].yb);
        EXPECT_NEAR(pts[3 + i].E, before[i].E, 1e-6);
    }
    EXPECT_TRUE(Status().startsWith("3 Passpunkte")) << Status().toStdString();

    // A .points file of another system is refused and adds nothing.
    answers.push_back(WriteFile("nad83.points", "#CRS: EPSG:26911\nmapX,mapY,sourceX,sourceY,"
                                                "enable\n664464,3996681,828,-2416,1\n"));
    w->ButtonGcpImport->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("EPSG:26911")) << messages[0].toStdString();
    EXPECT_EQ(w->state().Points.size(), 6u);
}

// The image, the world file, its coordinate system and the control points are one set: a
// failure at any call of its writing leaves every older file of the set byte for byte.
TEST_F(ExchangeTest, AFailedWorldFileLeavesEveryOlderFileOfTheSet) {
    w->SetMapCopy(SyntheticMap());
    Georeference();
    AddPoint(50, 120, korvale::KindControl);
    const korvale::EastNorth en = korvale::Trafone(w->state(), 50, 120);
    w->state().Points.back().E = en.E;
    w->state().Points.back().N = en.N;
    w->EditKVName->setText(Path("Karte.dat"));
    w->ButtonWorld->click();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    const auto old = korvale::test::FolderSnapshot(dir.path().toStdString());
    auto restore = [&] {
        for (const auto& [name, bytes] : old)
            if (bytes != "<folder>")
                korvale::WriteFileAtomic(Path(QString::fromStdString(name)).toStdString(), bytes);
    };

    // Another transformation and a map copy of another size: every file of the set changes.
    w->state().TrafYs += 10;
    w->SetMapCopy(SyntheticMap().scaled(300, 200));
    long calls = 0;
    {
        korvale::test::InjectedFaults counting;
        w->ButtonWorld->click();
        calls = counting.Count();
    }
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    ASSERT_NE(korvale::test::FolderSnapshot(dir.path().toStdString()), old);
    for (long k = 0; k < calls; ++k) {
        SCOPED_TRACE(k);
        restore();
        messages.clear();
        korvale::test::InjectedFaults faults;
        faults.FailAt(k, EIO);
        w->ButtonWorld->click();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].startsWith("E/A-Fehler 5\n")) << messages[0].toStdString();
        EXPECT_EQ(korvale::test::FolderSnapshot(dir.path().toStdString()), old);
    }
}

// Both imports are edits of the window's history: one undo takes the import back, redo
// brings it again.
TEST_F(ExchangeTest, ImportedAreaAndControlPointsAreUndoneAndRedone) {
    w->SetMapCopy(SyntheticMap());
    Georeference();
    AddPoint(10, 10, korvale::KindControl);
    AddSquareBorder();
    const auto original = w->state().Points;
    answers.push_back(WriteFile("felder.geojson", kTwoFields));
    w->ButtonImport->click();
    answers.push_back(WriteFile("passpunkte.points", "mapX,mapY,sourceX,sourceY,enable\n"
                                                     "9.0002,48.7402,30,-40,1\n"
                                                     "9.0009,48.7406,90,-70,1\n"));
    w->ButtonGcpImport->click();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    const auto imported = w->state().Points;
    ASSERT_EQ(imported.size(), 7u); // control point, four corners, two imported control points

    w->EditUndo();
    EXPECT_EQ(Status(), "Rückgängig: Passpunkte laden");
    EXPECT_EQ(w->state().Points.size(), 5u);
    w->EditUndo();
    EXPECT_EQ(Status(), "Rückgängig: Gebiet importieren");
    ASSERT_EQ(w->state().Points.size(), original.size());
    for (std::size_t i = 0; i < original.size(); ++i) {
        EXPECT_EQ(w->state().Points[i].xb, original[i].xb) << i;
        EXPECT_EQ(w->state().Points[i].Typ, original[i].Typ) << i;
    }
    w->EditRedo();
    w->EditRedo();
    ASSERT_EQ(w->state().Points.size(), imported.size());
    for (std::size_t i = 0; i < imported.size(); ++i)
        EXPECT_EQ(w->state().Points[i].E, imported[i].E) << i;
}

} // namespace
} // namespace pagetest
