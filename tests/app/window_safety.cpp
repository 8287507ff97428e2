// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Work is not lost: the window asks before closing, loading or deleting over unsaved changes,
// saves the first time on an account without a documents folder, keeps an autosave that a
// killed run leaves for the next start, and shows long messages in a box that fits the screen.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <csignal>

#include "imageviewer.h"
#include "pages_fixture.h"
#include "shots.h"

using namespace pagetest;
using Choice = TMainForm::UnsavedChoice;

namespace {

// Saves a picture of `box` over the window, as a 1280 x 800 screen shows them (shots.h).
void Shot(TMainForm& w, QMessageBox& box, const char* name) {
    const QString path = ShotPath(QLatin1String(name) + QStringLiteral(".png"));
    if (path.isEmpty())
        return;
    w.resize(1280, 800 - 40);
    w.show();
    box.show();
    QCoreApplication::processEvents();
    QImage screen(1280, 800, QImage::Format_RGB32);
    screen.fill(QColor(40, 60, 80));
    QPainter p(&screen);
    p.drawPixmap(0, 0, w.grab());
    const QPixmap b = box.grab();
    p.fillRect(QRect((1280 - b.width()) / 2 - 1, (800 - b.height()) / 2 - 1, b.width() + 2,
                     b.height() + 2),
               Qt::black);
    p.drawPixmap((1280 - b.width()) / 2, (800 - b.height()) / 2, b);
    p.end();
    screen.save(path);
}

} // namespace

class SafetyTest : public PagesTest {
  protected:
    void SetUp() override {
        PagesTest::SetUp();
        w->unsavedHook = [this](const QString& q) {
            questions.push_back(q);
            return choice;
        };
    }
    // A map copy with two control points: work worth keeping.
    void SomeWork() {
        w->SetMapCopy(SyntheticMap());
        Georeference();
        AddPoint(40, 50, korvale::KindControl);
        AddPoint(300, 420, korvale::KindControl);
        w->NoteChanges();
    }
    std::vector<QString> questions;
    Choice choice = Choice::Cancel;
};

TEST_F(SafetyTest, ClosingAsksOnlyOverUnsavedWorkAndCancelKeepsTheWindow) {
    w->show();
    EXPECT_FALSE(w->isDirty());
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(questions.empty());

    w->show();
    SomeWork();
    EXPECT_TRUE(w->isDirty());
    EXPECT_TRUE(w->windowTitle().startsWith('*')) << w->windowTitle().toStdString();
    choice = Choice::Cancel;
    EXPECT_FALSE(w->close());
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains("dem Beenden")) << questions[0].toStdString();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->state().Points.size(), 2u);

    choice = Choice::Discard;
    EXPECT_TRUE(w->close());
    EXPECT_EQ(questions.size(), 2u);
}

TEST_F(SafetyTest, SaveFromTheQuestionWritesTheProjectAndThenCloses) {
    w->show();
    SomeWork();
    w->EditKVName->setText(Path("Feld.dat"));
    choice = Choice::Save;
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(QFileInfo::exists(Path("Feld.dat")));
    EXPECT_TRUE(QFileInfo::exists(Path("Feld.jpg")));
    EXPECT_FALSE(w->isDirty());
    EXPECT_EQ(w->windowTitle(), "Korvaleplanung Ver. 1.01");

    // An undone edit after saving is no unsaved change.
    w->show();
    AddPoint(10, 10, korvale::KindPlain);
    w->NoteChanges();
    EXPECT_TRUE(w->isDirty());
    w->state().Points.pop_back();
    w->NoteChanges();
    EXPECT_FALSE(w->isDirty());
}

TEST_F(SafetyTest, LoadingOverUnsavedWorkSavesItToItsOwnFileNotToTheOneToLoad) {
    SomeWork();
    w->EditKVName->setText(Path("A.dat"));
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    const QByteArray savedA = [&] {
        QFile f(Path("A.dat"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    // Project B: one control point.
    w->state().Points.resize(1);
    w->EditKVName->setText(Path("B.dat"));
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.empty());

    // Work on B, then ask for A: "Speichern" keeps the work in B, and A opens unchanged.
    AddPoint(77, 88, korvale::KindPlain);
    w->EditKVName->setText(Path("A.dat"));
    choice = Choice::Save;
    w->ButtonLoadKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains("B.dat")) << questions[0].toStdString();
    EXPECT_EQ(w->state().Points.size(), 2u); // A
    QFile a(Path("A.dat"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), savedA);
    EXPECT_EQ(QFileInfo(Path("B.dat")).size(), 8 * (7 + 8 * 2)); // B with its new point
    EXPECT_FALSE(w->isDirty());

    // "Abbrechen" before "Alle Punkte löschen" keeps everything.
    AddPoint(5, 5, korvale::KindPlain);
    choice = Choice::Cancel;
    w->ButtonDelAll->click();
    EXPECT_EQ(w->state().Points.size(), 3u);
    choice = Choice::Discard;
    w->ButtonDelAll->click();
    EXPECT_TRUE(w->state().Points.empty());
}

TEST_F(SafetyTest, FirstSaveMakesTheMissingDocumentsFolder) {
    SomeWork();
    const QString documents = Path("home/Dokumente");
    w->RememberFolder(documents + "/x"); // the default folder of a fresh account, not made
    ASSERT_FALSE(QFileInfo::exists(documents));
    w->EditKVName->setText("TrafPar.dat");
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_TRUE(QFileInfo::exists(documents + "/TrafPar.dat"));
    EXPECT_TRUE(QFileInfo::exists(documents + "/TrafPar.jpg"));
    EXPECT_TRUE(dialogKinds.empty());
}

TEST_F(SafetyTest, SaveIntoAFolderThatIsGoneAsksInOneThatExists) {
    SomeWork();
    w->EditKVName->setText(Path("weg/tiefer/Feld.dat"));
    answers.push_back(Path("Feld.dat"));
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    ASSERT_EQ(dialogKinds.size(), 1u);
    EXPECT_EQ(dialogKinds[0], TMainForm::FileDialogKind::Save);
    EXPECT_EQ(dialogCurrent[0], Path("Feld.dat"));
    EXPECT_TRUE(QFileInfo::exists(Path("Feld.dat")));
    EXPECT_EQ(w->EditKVName->text(), Path("Feld.dat"));
    EXPECT_FALSE(QFileInfo::exists(Path("weg")));
}

TEST_F(SafetyTest, BoxesSayWhatFailedWithTheIconOfItsKind) {
    SomeWork();
    QDir().mkpath(Path("Ordner.dat")); // a folder where the data file should go
    w->EditKVName->setText(Path("Ordner.dat"));
    w->ButtonSaveKV->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(w->messageTitle(), "Speichern fehlgeschlagen");
    EXPECT_EQ(w->messageIcon(), TMainForm::MessageIcon::Critical);

    w->EditF->setText("x");
    w->ButtonWaypts->click();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(w->messageIcon(), TMainForm::MessageIcon::Warning);
    EXPECT_EQ(w->messageTitle(), "Ungültige Eingabe");
}

TEST_F(SafetyTest, ARefusalWithTwoHundredFindingsFitsTheScreen) {
    QString text = "Die Mission überschreitet Grenzen der Drohne; es wurde nichts geschrieben.";
    for (int i = 1; i <= 200; ++i)
        text += QStringLiteral("\nWegpunkt %1: altitude 600.0 m über der Grenze 500 m").arg(i);
    text += "\nAbhilfe: die genannten Werte ändern oder das Gebiet kleiner planen.";
    std::unique_ptr<QMessageBox> box(
        w->MakeMessageBox(text, "Nicht ausgeführt", TMainForm::MessageIcon::Warning));
    box->adjustSize();
    EXPECT_LE(box->sizeHint().height(), 800 - 60);
    EXPECT_LE(box->sizeHint().width(), 1280);
    EXPECT_TRUE(box->text().startsWith("Die Mission überschreitet"));
    EXPECT_TRUE(box->text().endsWith("das Gebiet kleiner planen."));
    EXPECT_TRUE(box->text().contains("195 weitere Zeilen")) << box->text().toStdString();
    EXPECT_EQ(box->detailedText(), text);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    Shot(*w, *box, "long_refusal");

    // A short message is shown whole.
    std::unique_ptr<QMessageBox> small(
        w->MakeMessageBox("Zwei\nZeilen", "Dateifehler", TMainForm::MessageIcon::Critical));
    EXPECT_EQ(small->text(), "Zwei\nZeilen");
    EXPECT_TRUE(small->detailedText().isEmpty());
    EXPECT_EQ(small->icon(), QMessageBox::Critical);

    SomeWork();
    std::unique_ptr<QMessageBox> q(w->MakeQuestionBox(
        TMainForm::QuestionKind::Unsaved,
        "Die Karte „Feld.dat“ hat ungesicherte Änderungen (Punkte, Transformation oder "
        "Kartenkopie).\nVor dem Beenden speichern?"));
    QStringList buttons;
    for (QAbstractButton* b : q->buttons())
        buttons << b->text();
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"Abbrechen", "Speichern", "Verwerfen"}));
    Shot(*w, *q, "unsaved_question");
}

// The child run of the crash test: work, a planning step (which autosaves), then it waits to
// be killed.
TEST_F(SafetyTest, CrashChild) {
    if (qEnvironmentVariableIsEmpty("KORVALE_TEST_STATE_HOME"))
        GTEST_SKIP() << "run by KilledRunIsOfferedAtTheNextStart";
    w->EditKVName->setText(Path("Verloren.dat"));
    SomeWork();
    AddSquareBorder();
    w->ButtonWaypts->click();
    for (;;)
        QTest::qWait(100);
}

TEST_F(SafetyTest, KilledRunIsOfferedAtTheNextStart) {
    w.reset(); // the child takes the autosave folder
    const QString state = TMainForm::AutosaveFolder();
    QDir(state).removeRecursively();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KORVALE_TEST_STATE_HOME", qEnvironmentVariable("XDG_STATE_HOME"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=SafetyTest.CrashChild"});
    ASSERT_TRUE(child.waitForStarted());
    const QString data = state + "/Autosave.dat";
    for (int i = 0; i < 600 && !QFileInfo::exists(data); ++i)
        QTest::qWait(50);
    ASSERT_TRUE(QFileInfo::exists(data)) << child.readAll().toStdString();
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished());
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    // The next start offers the work; "Wiederherstellen" brings points, map and plan back.
    w = std::make_unique<TMainForm>();
    w->messageHook = [this](const QString& m) { messages.push_back(m); };
    QStringList offers;
    w->questionHook = [&](const QString& q) {
        offers << q;
        return true;
    };
    EXPECT_TRUE(w->OfferRecovery());
    ASSERT_EQ(offers.size(), 1);
    EXPECT_TRUE(offers[0].contains("Verloren.dat")) << offers[0].toStdString();
    EXPECT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_EQ(w->state().Points.size(), 6u);
    EXPECT_FALSE(w->ImageViewer1->image().isNull());
    EXPECT_FALSE(w->state().FlightSegs.empty());
    EXPECT_TRUE(w->isDirty()); // in no project file yet
    EXPECT_TRUE(w->EditKVName->text().endsWith("/Verloren.dat"))
        << w->EditKVName->text().toStdString();
    {
        std::unique_ptr<QMessageBox> box(
            w->MakeQuestionBox(TMainForm::QuestionKind::Recovery, offers[0]));
        Shot(*w, *box, "recovery_offer");
    }

    // A normal end leaves nothing to offer.
    w->unsavedHook = [](const QString&) { return Choice::Discard; };
    w->show();
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(QFileInfo::exists(data));
    w = std::make_unique<TMainForm>();
    w->questionHook = [&](const QString& q) {
        offers << q;
        return true;
    };
    EXPECT_FALSE(w->OfferRecovery());
    EXPECT_EQ(offers.size(), 1);
}
