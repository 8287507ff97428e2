// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// What the window shows holds: the border ring after a tab switch and after loading a project,
// the plan of a loaded project, a height typed beyond its range named in the status line with
// the plan of the old height gone, and the editor showing a new mission's waypoint at once.
#include <QFileInfo>
#include <QPushButton>
#include <QScreen>
#include <QSettings>

#include "pages_fixture.h"

using namespace pagetest;

namespace {

int YellowLines(const korvale::Overlay& o) {
    int n = 0;
    for (const korvale::Primitive& p : o.Items())
        n += p.kind == korvale::Primitive::Kind::Line && p.stroke == korvale::ColYellow;
    return n;
}

} // namespace

class ShownPage : public PagesTest {};

TEST_F(ShownPage, TheRingStaysAfterATabSwitchAndComesWithALoadedProject) {
    w->SetMapCopy(SyntheticMap());
    Georeference();
    AddSquareBorder();
    w->SetBorderPointer(); // the ring without a plan, as after an area import
    w->DisplayBorderLine();
    ASSERT_EQ(YellowLines(w->overlay()), 4);

    w->Tabcontrol1->setCurrentWidget(w->TabItemParameter);
    emit w->Tabcontrol1->tabBarClicked(w->Tabcontrol1->indexOf(w->TabItemKarte));
    EXPECT_EQ(YellowLines(w->overlay()), 4);

    // Saved and loaded: ring, area and the plan of the page's values are there at once.
    w->EditKVName->setText(Path("Ring.dat"));
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    w.reset();
    w = std::make_unique<TMainForm>();
    w->messageHook = [this](const QString& m) { messages.push_back(m); };
    w->EditKVName->setText(Path("Ring.dat"));
    w->ButtonLoadKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_GE(YellowLines(w->overlay()), 4);
    EXPECT_NEAR(w->param().NumberBoxFlaeche.Value(), 1.0, 1e-3); // 100 m x 100 m
    EXPECT_FALSE(w->state().FlightSegs.empty());
    EXPECT_GT(w->param().NumberBoxBilder.Value(), 0);
    EXPECT_FALSE(w->isDirty());
}

TEST_F(ShownPage, AHeightBeyondItsRangeIsNamedAndThePlanOfTheOldOneGoes) {
    PlanSquare();
    ASSERT_GT(w->param().NumberBoxStreifen.Value(), 0);
    ASSERT_FALSE(w->state().FlightSegs.empty());
    w->Tabcontrol1->setCurrentWidget(w->TabItemParameter);
    TypeInto(w->NumberBoxH, "600");
    EXPECT_EQ(w->NumberBoxH->text(), "200");
    const QString status = w->LabelStatus->text();
    EXPECT_TRUE(status.contains("600 liegt außerhalb von 0 bis 200")) << status.toStdString();
    EXPECT_TRUE(status.contains("Calc Raster")) << status.toStdString();
    EXPECT_TRUE(w->state().FlightSegs.empty());
    EXPECT_TRUE(w->state().CutPoints.empty());
    for (korvale::NumberBoxWidget* b :
         {w->NumberBoxStreifen, w->NumberBoxWeg, w->NumberBoxBilder, w->NumberBoxAkkus})
        EXPECT_EQ(b->text(), "0") << b->objectName().toStdString();
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemParameter);
    // A value within the range says nothing of the kind.
    w->SetStatus(QString());
    TypeInto(w->NumberBoxH, "120");
    EXPECT_FALSE(w->LabelStatus->text().contains("außerhalb"));
}

TEST_F(ShownPage, TheEditorShowsTheNewMissionsWaypointAtOnce) {
    PlanSquare();
    w->Tabcontrol1->setCurrentWidget(w->TabItemLitchi);
    w->Button9->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    ASSERT_FALSE(w->state().LitchiRecs.empty());
    const auto& r =
        w->state().LitchiRecs[static_cast<std::size_t>(w->litchi().NumberBoxActrec.Value())];
    EXPECT_EQ(w->litchi().NumberBoxLat.Value(), static_cast<double>(r.latitude));
    EXPECT_NE(w->NumberBoxLat->text(), "0.000000");
    EXPECT_NE(w->NumberBoxAlt->text().toDouble(), 0.0);
}

TEST_F(ShownPage, AWindowSavedOnALargerScreenOpensWhollyOnThisOne) {
    const QRect avail = w->screen()->availableGeometry();
    QSettings().setValue("window/geometry", [&] {
        w->setGeometry(avail.x() + 200, avail.y() + 150, avail.width() + 300, avail.height() + 100);
        return w->saveGeometry();
    }());
    w.reset();
    w = std::make_unique<TMainForm>();
    EXPECT_TRUE(avail.contains(w->frameGeometry())) << avail.width() << "x" << avail.height();
}
