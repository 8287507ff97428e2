// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The "Litchi CSV" page in the real window: missions from the plan and the orbit, the editor,
// writing and reading mission files through the dialog seam.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QToolButton>

#include "imageviewer.h"
#include "litchi/csv.h"
#include "pages_fixture.h"

using namespace pagetest;

namespace {

std::string ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().toStdString();
}

void WriteAll(const QString& path, const std::string& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            out.push_back(text.substr(pos));
            break;
        }
        out.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return out;
}

} // namespace

class LitchiPage : public PagesTest {
  protected:
    // The orbit tool dragged from (200, 120) to (200, 220) in view coordinates: radius 100.
    void DragOrbit() {
        w->ButtonPoly->click();
        ASSERT_TRUE(w->ButtonPoly->isChecked());
        w->ImageViewer2MouseDown(w->ImageViewer2, TMainForm::MouseButton::Left, 200, 120);
        w->ImageViewer2MouseUp(w->ImageViewer2, TMainForm::MouseButton::Left, 200, 220);
    }
};

TEST_F(LitchiPage, ControlsAreNamedWithTheirCaptions) {
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {{"Button7", "Lies CSV"},
                   {"Button6", "Schreib CSV"},
                   {"Button9", "Litchi RasterL"},
                   {"Button1", "Litchi FreeL"},
                   {"Button8", "Display Lines"}};
    for (const auto& b : buttons) {
        auto* button = w->TabItemLitchi->findChild<QPushButton*>(b.name);
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption));
    }
    for (const char* name :
         {"NumberBoxLat",    "NumberBoxLon",     "NumberBoxAlt",     "NumberBoxAltMode",
          "NumberBoxHead",   "NumberBoxCuSz",    "NumberBoxRotDir",  "NumberBoxGimM",
          "NumberBoxGimP",   "NumberBoxSpeed",   "Label14",          "NumberBoxPictS",
          "NumberBoxPictM",  "NumberBoxTiltCam", "NumberBoxWait",    "NumberBoxRotate",
          "NumberBoxPoiLat", "NumberBoxPoiLon",  "NumberBoxPoiAlt",  "NumberBoxPoiAltMode",
          "CheckBoxAlle",    "CheckBoxPhoto",    "CheckBoxStartRec", "CheckBoxStopRec",
          "Label15",         "EditCVS",          "NumberBoxActrec"})
        EXPECT_NE(w->TabItemLitchi->findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(w->EditCVS->text(), "LitchiLines.csv");
    EXPECT_EQ(w->Label14->text(), "0");
    EXPECT_EQ(w->NumberBoxLat->text(), "0.000000");
    EXPECT_EQ(w->CheckBoxAlle->text(), "Alle ändern");
}

TEST_F(LitchiPage, GridMissionIsWrittenAndReadBack) {
    PlanSquare();
    ASSERT_TRUE(messages.empty());
    const std::size_t segs = w->state().FlightSegs.size();
    ASSERT_GT(segs, 1u);

    w->Tabcontrol1->setCurrentWidget(w->TabItemLitchi);
    w->Button9->click();
    const auto& recs = w->state().LitchiRecs;
    ASSERT_EQ(recs.size(), 2 * segs);
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemKarte); // the mission is drawn
    EXPECT_EQ(w->litchi().NumberBoxActrec.Max(), static_cast<double>(recs.size() - 1));
    EXPECT_FLOAT_EQ(recs[0].altitude, 40);

    const QString file = Path("grid.csv");
    w->EditCVS->setText(file);
    w->Button6->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    const std::string bytes = ReadAll(file);
    EXPECT_EQ(bytes, korvale::FormatLitchiCsv(recs));
    const std::vector<std::string> lines = Lines(bytes);
    ASSERT_EQ(lines.size(), recs.size() + 1);
    EXPECT_EQ(lines[0].rfind("latitude,longitude,altitude(m),heading(deg),", 0), 0u);
    // Height 40 m, 15 km/h and a picture every 2 s from the parameter page.
    EXPECT_NE(lines[1].find(",    40.000,"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find(",  4.2,"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].substr(lines[1].size() - 11), ",    2,   0");
    EXPECT_EQ(lines[1].rfind(" 48.", 0), 0u) << lines[1]; // N 5 400 000 lies near 48.7 deg
    // No warning; the protocol lists what the pilot sets in the app, with this plan's values.
    EXPECT_EQ(w->LabelStatus->text(), "Litchi CSV geschrieben: " + file);
    const QString protocol = w->Memo1->toPlainText();
    for (const char* want : {"Heading Mode): Auto", "4.2 m/s (15.0 km/h)", "Return to Home",
                             "40.0 m über dem Startpunkt", "Neigung -90°", "alle 2 s"})
        EXPECT_TRUE(protocol.contains(QString::fromUtf8(want))) << want;

    // Read back through the open dialog: the same mission at the written precision.
    const std::vector<korvale::TlitchRec> written = recs;
    w->state().LitchiRecs.clear();
    answers.push_back(file);
    w->Button7->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    ASSERT_EQ(dialogKinds.back(), TMainForm::FileDialogKind::Open);
    ASSERT_EQ(recs.size(), written.size());
    EXPECT_EQ(korvale::FormatLitchiCsv(recs), bytes);
    EXPECT_EQ(w->EditCVS->text(), file);
    EXPECT_EQ(w->litchi().NumberBoxActrec.Value(), 0);
    EXPECT_EQ(w->NumberBoxAlt->text(), "40.0");
    EXPECT_EQ(w->NumberBoxLat->text().left(3), "48.");
}

TEST_F(LitchiPage, LimitsRefuseTheWriteAndWarnAfterReading) {
    PlanSquare();
    w->Button9->click();
    ASSERT_GT(w->state().LitchiRecs.size(), 1u);
    TypeInto(w->NumberBoxAlt, "600"); // waypoint 1 (index 0) above the 500 m the drone flies
    const QString file = Path("hoch.csv");
    w->EditCVS->setText(file);
    w->Button6->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("nichts geschrieben")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("Wegpunkt 1, Spalte altitude(m): Höhe über dem Start 600 m"))
        << messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(w->Memo1->toPlainText().contains("Wegpunkt 1, Spalte altitude(m)"));

    // The same mission as another tool's file reads, with the finding as a warning.
    messages.clear();
    WriteAll(file, korvale::FormatLitchiCsv(w->state().LitchiRecs));
    answers.push_back(file);
    w->Button7->click();
    EXPECT_TRUE(messages.empty());
    EXPECT_FLOAT_EQ(w->state().LitchiRecs[0].altitude, 600);
    EXPECT_TRUE(w->LabelStatus->text().startsWith("Achtung, 1 Warnung (siehe Protokoll): "
                                                  "Wegpunkt 1, Spalte altitude(m)"))
        << w->LabelStatus->text().toStdString();
    EXPECT_TRUE(w->Memo1->toPlainText().contains("Litchi CSV gelesen: " + file));
}

// A plan faster than the drone flies gives no grid mission: the limit table's message, and the
// mission stays as it was.
TEST_F(LitchiPage, GridMissionFasterThanTheDroneIsRefused) {
    PlanSquare();
    w->NumberBoxV->CommitText("55");
    w->Button9->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("Geschwindigkeit 15.3 m/s liegt außerhalb von 0 bis 15 m/s"))
        << messages[0].toStdString();
    EXPECT_TRUE(w->state().LitchiRecs.empty());
    messages.clear();
    w->NumberBoxV->CommitText("54");
    w->Button9->click();
    EXPECT_TRUE(messages.empty());
    ASSERT_GT(w->state().LitchiRecs.size(), 1u);
    EXPECT_FLOAT_EQ(w->state().LitchiRecs[0].speed, 15);
}

TEST_F(LitchiPage, CameraOptionPointsTheGridStraightDown) {
    PlanSquare();
    EXPECT_FALSE(w->CheckBoxNadir->isChecked()); // off: files as they always were
    w->CheckBoxNadir->click();
    ASSERT_TRUE(w->litchi().CheckBoxNadir);
    w->Button9->click();
    for (const korvale::TlitchRec& r : w->state().LitchiRecs) {
        EXPECT_EQ(r.gimbalmode, 2);
        EXPECT_EQ(r.gimbalpitchangle, -90.0f);
    }
    const QString file = Path("senkrecht.csv");
    w->EditCVS->setText(file);
    w->Button6->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_NE(ReadAll(file).find(", 2,-90.0,"), std::string::npos);
    EXPECT_TRUE(w->Memo1->toPlainText().contains("steht in der Datei"));
}

TEST_F(LitchiPage, BadOrCancelledReadKeepsTheMission) {
    PlanSquare();
    w->Button9->click();
    const std::string before = korvale::FormatLitchiCsv(w->state().LitchiRecs);

    // Cancelled: nothing changes, not even the file name.
    w->Button7->click();
    EXPECT_EQ(w->EditCVS->text(), "LitchiLines.csv");
    EXPECT_EQ(korvale::FormatLitchiCsv(w->state().LitchiRecs), before);

    // A good line followed by a bad one: all or nothing.
    const std::vector<std::string> good = Lines(before);
    const QString bad = Path("bad.csv");
    WriteAll(bad, good[0] + "\r\n" + good[1] + "\r\n" + "4x8.5" +
                      good[1].substr(good[1].find(',')) + "\r\n");
    answers.push_back(bad);
    w->Button7->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("ist kein gültiger Gleitkommawert"))
        << messages[0].toStdString();
    EXPECT_EQ(korvale::FormatLitchiCsv(w->state().LitchiRecs), before);
    EXPECT_EQ(w->EditCVS->text(), bad); // the chosen name is shown, as after any read

    messages.clear();
    answers.push_back(Path("missing.csv"));
    w->Button7->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(korvale::FormatLitchiCsv(w->state().LitchiRecs), before);
}

TEST_F(LitchiPage, OrbitMissionWarnsAboutAltitudeUntilItIsSetForAll) {
    w->SetMapCopy(SyntheticMap());
    Georeference();
    DragOrbit();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    ASSERT_TRUE(w->state().Orbit.has_value());
    EXPECT_EQ(w->state().Orbit->P.size(), 13u);
    // Centre at the press position in window coordinates, first corner 100 px below it.
    const float top = w->state().Orbit->P[0].yb;
    EXPECT_FLOAT_EQ(w->state().Orbit->P[1].yb - top, 100);
    EXPECT_FLOAT_EQ(w->state().Orbit->P[0].xb, 200);
    ASSERT_EQ(w->state().LitchiRecs.size(), 11u);

    // A name without any point is written with ".CSV", and the edit shows the longer name.
    const QString typed = Path("orbit");
    const QString file = QString::fromStdString(korvale::LitchiCsvFileName(typed.toStdString()));
    if (!typed.contains('.')) {
        EXPECT_EQ(file, typed + ".CSV");
    }
    w->EditCVS->setText(typed);
    w->Button6->click();
    EXPECT_EQ(w->EditCVS->text(), file);
    EXPECT_TRUE(w->LabelStatus->text().startsWith("Achtung"))
        << w->LabelStatus->text().toStdString();
    EXPECT_TRUE(w->LabelStatus->text().contains("11 Wegpunkte mit Höhe 0 m"))
        << w->LabelStatus->text().toStdString();
    EXPECT_EQ(ReadAll(file), korvale::FormatLitchiCsv(w->state().LitchiRecs)); // written anyway

    w->CheckBoxAlle->click();
    ASSERT_TRUE(w->litchi().CheckBoxAlle);
    TypeInto(w->NumberBoxAlt, "40");
    for (const korvale::TlitchRec& r : w->state().LitchiRecs)
        EXPECT_FLOAT_EQ(r.altitude, 40);
    w->Button6->click();
    EXPECT_FALSE(w->LabelStatus->text().contains("Höhe 0 m"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(LitchiPage, EditorRulesRunOnUserEditsOnly) {
    w->SetMapCopy(SyntheticMap());
    Georeference();
    DragOrbit();
    auto& recs = w->state().LitchiRecs;
    ASSERT_EQ(recs.size(), 11u);

    // Pick waypoint 3 with the selector, then edit it alone.
    TypeInto(w->NumberBoxActrec, "3");
    EXPECT_EQ(w->state().ActRec, 3);
    EXPECT_EQ(w->NumberBoxHead->text(), QString::fromStdString(w->litchi().NumberBoxHead.Text()));
    TypeInto(w->NumberBoxSpeed, "4.5");
    EXPECT_EQ(w->Label14->text(), "16.2");
    EXPECT_FLOAT_EQ(recs[3].speed, 4.5f);
    EXPECT_FLOAT_EQ(recs[2].speed, 0);
    TypeInto(w->NumberBoxPictS, "2.5");
    EXPECT_EQ(recs[3].photo_timeinterval, 2);

    // Showing another waypoint while "Alle ändern" is ticked is no edit.
    w->CheckBoxAlle->click();
    TypeInto(w->NumberBoxActrec, "5");
    EXPECT_EQ(w->NumberBoxSpeed->text(), "0.0");
    EXPECT_FLOAT_EQ(recs[3].speed, 4.5f);
    w->ShowLitchiCVS(3);
    EXPECT_EQ(w->NumberBoxSpeed->text(), "4.5");
    for (std::size_t i = 0; i < recs.size(); ++i)
        EXPECT_FLOAT_EQ(recs[i].speed, i == 3 ? 4.5f : 0.0f) << i;

    // The action boxes only show: a click does not tick them.
    const bool photo = w->CheckBoxPhoto->isChecked();
    w->CheckBoxPhoto->click();
    EXPECT_EQ(w->CheckBoxPhoto->isChecked(), photo);
}

TEST_F(LitchiPage, FreeLineMissionAndDisplay) {
    w->SetMapCopy(SyntheticMap());
    Georeference();
    // No free line: the button leaves the mission alone.
    w->Button1->click();
    EXPECT_TRUE(w->state().LitchiRecs.empty());

    AddPoint(100, 200, korvale::KindFreeLine);
    AddPoint(200, 200, korvale::KindFreeLine);
    AddPoint(200, 300, korvale::KindFreeLine);
    AddPoint(150, 250, korvale::KindPOI);
    w->SetFreeLine();
    w->Tabcontrol1->setCurrentWidget(w->TabItemLitchi);
    w->Button1->click();
    ASSERT_EQ(w->state().LitchiRecs.size(), 4u);
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemLitchi); // not drawn
    EXPECT_GT(w->state().LitchiRecs[0].poi_latitude, 0);
    EXPECT_EQ(w->litchi().NumberBoxActrec.Max(), 3);

    w->Button8->click();
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemKarte);
    int yellowDiscs = 0, cyanDiscs = 0;
    for (const korvale::Primitive& p : w->overlay().Items()) {
        if (p.kind != korvale::Primitive::Kind::Disc)
            continue;
        yellowDiscs += p.fill == korvale::ColYellow ? 1 : 0;
        cyanDiscs += p.fill == korvale::ColCyan ? 1 : 0;
    }
    EXPECT_EQ(yellowDiscs, 3);
    EXPECT_EQ(cyanDiscs, 3);
}

// A plan nobody can fly (a 10 m square, far below one strip spacing squared) gives no grid
// mission and no file: each step names the reason in a box and leaves everything as it was.
TEST_F(LitchiPage, APlanNobodyCanFlyGivesNoMissionAndNoFile) {
    w->SetMapCopy(SyntheticMap());
    Georeference();
    AddPoint(100, 200, korvale::KindBorder);
    AddPoint(110, 200, korvale::KindBorder);
    AddPoint(110, 210, korvale::KindBorder);
    AddPoint(100, 210, korvale::KindBorder);
    w->ButtonWaypts->click();
    messages.clear();
    w->Tabcontrol1->setCurrentWidget(w->TabItemLitchi);
    w->EditCVS->setText(Path("klein.csv"));

    w->Button9->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith("Litchi RasterL: Der Plan ist nicht fliegbar"))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("kleiner als die Mindestfläche")) << messages[0].toStdString();
    EXPECT_NE(w->messageIcon(), TMainForm::MessageIcon::Information);
    EXPECT_TRUE(w->state().LitchiRecs.empty());
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemLitchi); // nothing drawn

    const struct {
        QPushButton* button;
        const char* start;
    } writes[] = {{w->Button6, "Schreib CSV: Der Plan ist nicht fliegbar"},
                  {w->ButtonKMZ, "Schreib KMZ: Der Plan ist nicht fliegbar"}};
    for (const auto& c : writes) {
        SCOPED_TRACE(c.start);
        messages.clear();
        c.button->click();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].startsWith(c.start)) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains("kleiner als die Mindestfläche"));
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}
