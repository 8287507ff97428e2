// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo of point edits in the real window: keys, the toolbar's context menu, redraw and
// status line.
#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

#include "window_support.h"

namespace windowtest {
namespace {

class UndoTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ShowMapPage();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        w->SetMapCopy(SyntheticMap(500, 560));
    }
    void Key(Qt::Key k, Qt::KeyboardModifiers m = Qt::ControlModifier) {
        QTest::keyClick(w->ImageViewer2, k, m);
    }
    // Labels of the point markers on the overlay, in drawing order.
    QStringList MarkerLabels() const {
        QStringList out;
        for (const auto& p : w->overlay().Items())
            if (p.kind == korvale::Primitive::Kind::Label)
                out << QString::fromStdString(p.text);
        return out;
    }
    std::size_t Count() const { return w->state().Points.size(); }
};

TEST_F(UndoTest, CtrlZAndCtrlYAfterClicksOnTheMapCopy) {
    auto& s = w->state();
    // Four border corners, then a free line of three points; the free line is built on
    // releasing its tool, the ring by pressing and releasing the border tool once more.
    w->ButtonBorder->click();
    for (QPoint v : {QPoint(100, 100), QPoint(300, 100), QPoint(300, 300), QPoint(100, 300)})
        Click(Qt::LeftButton, v);
    w->ButtonFreeline->click();
    for (QPoint v : {QPoint(120, 400), QPoint(220, 440), QPoint(320, 400)})
        Click(Qt::LeftButton, v);
    w->ButtonFreeline->click();
    w->ButtonBorder->click();
    w->ButtonBorder->click();
    ASSERT_EQ(Count(), 7u);
    ASSERT_EQ(s.FreeLines, (std::vector<korvale::TLine>{{4, 5}, {5, 6}}));
    ASSERT_EQ(s.BorderIdx, (std::vector<int>{0, 1, 2, 3, 0}));

    // Delete a border corner: ring and free line follow at once.
    w->ButtonPtDel->click();
    Click(Qt::LeftButton, {302, 102});
    ASSERT_EQ(Count(), 6u);
    EXPECT_EQ(s.FreeLines, (std::vector<korvale::TLine>{{3, 4}, {4, 5}}));
    EXPECT_EQ(s.BorderIdx, (std::vector<int>{0, 1, 2, 0}));

    Key(Qt::Key_Z);
    EXPECT_EQ(Status(), "Rückgängig: Punkt 1 löschen");
    ASSERT_EQ(Count(), 7u);
    EXPECT_FLOAT_EQ(s.Points[1].xb, 300);
    EXPECT_EQ(s.FreeLines, (std::vector<korvale::TLine>{{4, 5}, {5, 6}}));
    EXPECT_EQ(s.BorderLines.size(), 4u);
    // The map copy is redrawn with the point that is back.
    EXPECT_TRUE(MarkerLabels().contains("6"));
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemKarte);

    Key(Qt::Key_Y);
    EXPECT_EQ(Status(), "Wiederhergestellt: Punkt 1 löschen");
    EXPECT_EQ(Count(), 6u);
    EXPECT_FALSE(MarkerLabels().contains("6"));
    Key(Qt::Key_Z);
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Status(), "Wiederhergestellt: Punkt 1 löschen");
    EXPECT_EQ(Count(), 6u);

    // Move, then delete all, then undo both: everything is where it was.
    w->ButtonMove->click();
    Press(Qt::LeftButton, {118, 398});
    Release(Qt::LeftButton, {140, 380});
    EXPECT_FLOAT_EQ(s.Points[3].xb, 140);
    w->ButtonDelAll->click();
    EXPECT_EQ(Count(), 0u);
    Key(Qt::Key_Z);
    EXPECT_EQ(Status(), "Rückgängig: Alle Punkte löschen");
    EXPECT_EQ(Count(), 6u);
    EXPECT_EQ(s.BorderLines.size(), 3u);
    EXPECT_EQ(s.FreeLines.size(), 2u);
    Key(Qt::Key_Z);
    EXPECT_EQ(Status(), "Rückgängig: Punkt 3 verschieben");
    EXPECT_FLOAT_EQ(s.Points[3].xb, 120);

    // Back to the empty map: every click undone, then nothing is left to undo.
    for (int i = 0; i < 20 && w->history().CanUndo(); ++i)
        Key(Qt::Key_Z);
    EXPECT_EQ(Count(), 0u);
    Key(Qt::Key_Z);
    EXPECT_EQ(Status(), "Nichts rückgängig zu machen.");
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
}

TEST_F(UndoTest, ToolbarContextMenuOffersUndoAndRedo) {
    w->ButtonPOI->click();
    Click(Qt::LeftButton, {200, 200});
    // A control point from the clipboard is a point edit too.
    QGuiApplication::clipboard()->setText("48.1, 9.2");
    Click(Qt::RightButton, {300, 300});
    ASSERT_EQ(Count(), 2u);

    // A right click on a tool button opens the toolbar's menu.
    QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5),
                         w->ButtonMove->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(w->ButtonMove, &ev);
    ASSERT_TRUE(w->UndoMenu->isVisible());
    const QList<QAction*> actions = w->UndoMenu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "Rückgängig");
    EXPECT_EQ(actions[1]->text(), "Wiederherstellen");
    actions[0]->trigger();
    w->UndoMenu->hide();
    EXPECT_EQ(Count(), 1u);
    EXPECT_EQ(Status(), "Rückgängig: Passpunkt 1 setzen");
    actions[0]->trigger();
    EXPECT_EQ(Count(), 0u);
    EXPECT_EQ(Status(), "Rückgängig: Punkt 0 setzen");
    actions[1]->trigger();
    actions[1]->trigger();
    ASSERT_EQ(Count(), 2u);
    EXPECT_EQ(w->state().Points[0].Typ, korvale::KindPOI);
    EXPECT_EQ(w->state().Points[1].Typ, korvale::KindControl);
    actions[1]->trigger();
    EXPECT_EQ(Status(), "Nichts wiederherzustellen.");
}

TEST_F(UndoTest, UndoingAProjectLoadBringsBackPointsTransformationAndMapCopy) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Click(Qt::LeftButton, {50, 50});
    w->EditKVName->setText(dir.filePath("p.dat"));
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.isEmpty());

    // Another map, other points and transformation before the load.
    QImage red(120, 90, QImage::Format_RGB32);
    red.fill(qRgb(200, 30, 30));
    w->SetMapCopy(red);
    Click(Qt::LeftButton, {10, 10});
    Click(Qt::LeftButton, {20, 10});
    w->state().TrafO = 3;
    w->ButtonLoadKV->click();
    ASSERT_TRUE(messages.isEmpty()) << messages[0].toStdString();
    ASSERT_EQ(Count(), 1u);
    EXPECT_EQ(w->ImageViewer1->image().width(), 500);

    Key(Qt::Key_Z);
    EXPECT_EQ(Status(), "Rückgängig: Karte laden");
    EXPECT_EQ(Count(), 3u);
    EXPECT_EQ(w->state().TrafO, 3);
    EXPECT_EQ(w->ImageViewer1->image().width(), 120);
    Key(Qt::Key_Y);
    EXPECT_EQ(Count(), 1u);
    EXPECT_EQ(w->state().TrafO, 0);
    EXPECT_EQ(w->ImageViewer1->image().width(), 500);
}

} // namespace
} // namespace windowtest
