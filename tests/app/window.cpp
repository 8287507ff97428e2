// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The real window offscreen: start state, tool mode, help page, delete-all, transformation.
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>

#include "window_support.h"

namespace windowtest {
namespace {

struct ButtonDef {
    const char* name;
    const char* caption;
    const char* hint;
    bool toggle;
};
const ButtonDef kButtons[] = {
    {"ButtonMapCopy", "Cp", "Kopiert Google Maps in Kartenkopie", false},
    {"ButtonTrafo", "Tr", "Passpunkttransformation", false},
    {"ButtonBorder", "RL", "Gebietsraster festlegen", true},
    {"ButtonFreeline", "FL", "Freien Flugweg festlegen", true},
    {"ButtonPOI", "PI", "Point of interest setzen", true},
    {"ButtonPoly", "Kr", "Freie Linie anzeigen", true},
    {"ButtonMove", "", "Punkt verschieben", true},
    {"ButtonPtDel", "", "Punkt löschen", true},
    {"ButtonMessen", "", "Strecken messen", true},
    {"ButtonArea", "", "Fläche berechnen", true},
    {"ButtonZone", "", "Sperrfläche", true},
    {"ButtonDelAll", "", "Alle Punkte löschen", false},
    {"ButtonHelp", "?", "Hilfe abrufen", true},
};

QToolButton* Button(TMainForm& w, const char* name) {
    return w.findChild<QToolButton*>(QString::fromLatin1(name));
}

TEST_F(WindowTest, StartState) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    EXPECT_EQ(w->windowTitle(), "Korvaleplanung Ver. 1.01");
    // Large enough for a typical map copy (1280 x 900 or the screen), never below the design.
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_EQ(w->size(), QSize(1280, 900).boundedTo(screen).expandedTo(QSize(507, 674)));
    EXPECT_EQ(w->ToolBar1->height(), 40);
    EXPECT_EQ(w->Tabcontrol1->tabBar()->height(), 40);

    for (const ButtonDef& d : kButtons) {
        SCOPED_TRACE(d.name);
        QToolButton* b = Button(*w, d.name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QString::fromUtf8(d.caption));
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(d.hint));
        EXPECT_EQ(b->isCheckable(), d.toggle);
        EXPECT_FALSE(b->isChecked());
        EXPECT_EQ(b->size(), QSize(40, 40));
        EXPECT_EQ(b->parentWidget(), w->ToolBar1);
    }

    const char* pages[] = {"TabItemMaps",      "TabItemKarte",  "TabItemProt",
                           "TabItemParameter", "TabItemLitchi", "TabItemHelp"};
    const char* captions[] = {"Bing Maps", "Kartenkopie", "Protokoll",
                              "Korvale",   "Litchi CSV",  " ? Help"};
    // The six pages keep their places; the terrain profile comes after them.
    ASSERT_EQ(w->Tabcontrol1->count(), 7);
    EXPECT_EQ(w->Tabcontrol1->indexOf(w->findChild<QWidget*>(QStringLiteral("TabItemProfile"))), 6);
    for (int i = 0; i < 6; ++i) {
        QWidget* page = w->findChild<QWidget*>(QString::fromLatin1(pages[i]));
        ASSERT_NE(page, nullptr) << pages[i];
        EXPECT_EQ(w->Tabcontrol1->indexOf(page), i);
        EXPECT_EQ(w->Tabcontrol1->tabText(i), QString::fromUtf8(captions[i]));
        EXPECT_EQ(w->Tabcontrol1->tabIcon(i).isNull(), i == 5);
        EXPECT_TRUE(w->Tabcontrol1->isTabVisible(i));
    }
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemParameter);
    EXPECT_EQ(w->findChild<QLabel*>("LabelStatus")->text(),
              "Passpunkte: Rechte Maustaste sonst linke Maustaste");
    EXPECT_TRUE(w->findChild<QPlainTextEdit*>("Memo1")->toPlainText().isEmpty());
    EXPECT_TRUE(w->findChild<QPlainTextEdit*>("Memo2")->toPlainText().isEmpty());
    EXPECT_EQ(w->Memo2->font().pointSize(), 11);
    // The web map is created only when its page is first shown.
    EXPECT_EQ(w->WebBrowser1, nullptr);
    EXPECT_TRUE(w->state().Points.empty());
}

TEST_F(WindowTest, ClipboardIsEmptiedAtStart) {
    w.reset();
    QGuiApplication::clipboard()->setText("48.1, 11.5");
    w = std::make_unique<TMainForm>();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
}

TEST_F(WindowTest, EachToolClickReleasesTheOthersAndWritesItsInstruction) {
    const struct {
        const char* name;
        const char* status; // nullptr: the status line stays as it was
    } tools[] = {
        {"ButtonBorder", "Gebietsumring im Uhrzeigersinn definieren"},
        {"ButtonFreeline", "Flugweg frei festlegen"},
        {"ButtonPOI", "Point of interest festlegen"},
        {"ButtonPoly", "POI und Orbit festlegen"},
        {"ButtonMove", nullptr},
        {"ButtonPtDel", nullptr},
        {"ButtonMessen", nullptr},
        {"ButtonArea", nullptr},
        {"ButtonZone", "Sperrfläche: Ecken der Reihe nach setzen, zum Schließen die Schaltfläche "
                       "erneut drücken"},
    };
    for (const auto& t : tools) {
        SCOPED_TRACE(t.name);
        // Start from every other tool pressed in turn.
        for (const auto& before : tools) {
            if (Button(*w, before.name) != Button(*w, t.name))
                Button(*w, before.name)->click();
            w->LabelStatus->setText("vorher");
            Button(*w, t.name)->click();
            for (const ButtonDef& d : kButtons)
                EXPECT_EQ(Button(*w, d.name)->isChecked(), QString(d.name) == t.name) << d.name;
            EXPECT_EQ(Status(), t.status ? QString::fromUtf8(t.status) : QString("vorher"));
            Button(*w, t.name)->click(); // released again: plain points mode
            EXPECT_FALSE(Button(*w, t.name)->isChecked());
        }
    }
    // Border, then move: only move stays pressed, the border instruction stays.
    w->ButtonBorder->click();
    w->ButtonMove->click();
    EXPECT_FALSE(w->ButtonBorder->isChecked());
    EXPECT_TRUE(w->ButtonMove->isChecked());
    EXPECT_EQ(Status(), "Gebietsumring im Uhrzeigersinn definieren");
    EXPECT_TRUE(messages.isEmpty());
}

class HelpTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        saved = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void TearDown() override {
        QDir::setCurrent(saved);
        WindowTest::TearDown();
    }
    void Write(const QByteArray& bytes) {
        QFile f(dir.filePath("Help.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    bool HelpVisible() {
        return w->Tabcontrol1->isTabVisible(w->Tabcontrol1->indexOf(w->TabItemHelp));
    }
    QTemporaryDir dir;
    QString saved;
};

TEST_F(HelpTest, PressShowsReleaseHidesAndBothReadTheFile) {
    // UTF-8 without a mark.
    Write("Hilfe zur Planung\nÜberlappung in %\n");
    w->ButtonMessen->click();
    w->ButtonHelp->click();
    EXPECT_TRUE(w->ButtonHelp->isChecked());
    EXPECT_FALSE(w->ButtonMessen->isChecked());
    EXPECT_TRUE(HelpVisible());
    EXPECT_EQ(w->Memo2->toPlainText(), "Hilfe zur Planung\nÜberlappung in %\n");
    EXPECT_NE(w->Tabcontrol1->currentWidget(), w->TabItemHelp); // not brought to the front

    // UTF-16 with its byte-order mark; the release reads the file again.
    QByteArray utf16("\xFF\xFE", 2);
    const QString text = QStringLiteral("Zweite Fassung: Größe");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    Write(utf16);
    w->ButtonHelp->click();
    EXPECT_FALSE(HelpVisible());
    EXPECT_EQ(w->Memo2->toPlainText(), text);

    // Another tool releasing the help button leaves the page's visibility alone.
    w->ButtonHelp->click();
    ASSERT_TRUE(HelpVisible());
    w->ButtonBorder->click();
    EXPECT_FALSE(w->ButtonHelp->isChecked());
    EXPECT_TRUE(HelpVisible());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(HelpTest, TheHelpPageShowsItsTextFromTheStart) {
    Write("Hilfe von Anfang an\n");
    w = std::make_unique<TMainForm>();
    EXPECT_EQ(w->Memo2->toPlainText(), "Hilfe von Anfang an\n");
}

TEST_F(HelpTest, MissingFileGivesTheFileMessageAndKeepsTheText) {
    w->Memo2->setPlainText("alt");
    w->ButtonHelp->click();
    EXPECT_EQ(messages, QStringList{"Datei nicht gefunden"});
    EXPECT_TRUE(HelpVisible());
    EXPECT_EQ(w->Memo2->toPlainText(), "alt");
    w->ButtonHelp->click();
    EXPECT_FALSE(HelpVisible());
    EXPECT_EQ(messages.size(), 2);
}

korvale::TPt Pt(float xb, float yb, std::uint8_t typ, double E = 0, double N = 0) {
    korvale::TPt p;
    p.xb = xb;
    p.yb = yb;
    p.Typ = typ;
    p.E = E;
    p.N = N;
    return p;
}

TEST_F(WindowTest, DeleteAllEmptiesPointsAndEveryListBuiltFromThem) {
    auto& s = w->state();
    s.Points = {Pt(10, 100, 2), Pt(20, 120, 2), Pt(30, 100, 2)};
    s.BorderIdx = {0, 1, 2};
    s.BorderLines = {{0, 1}, {1, 2}, {2, 0}};
    s.CutPoints = {{1, 2}};
    s.FlightSegs = {{0, 0}};
    w->ButtonMove->click();
    w->ButtonDelAll->click();
    EXPECT_TRUE(s.Points.empty());
    EXPECT_TRUE(s.CutPoints.empty());
    // Lists left behind would point at points that are gone.
    EXPECT_TRUE(s.BorderIdx.empty());
    EXPECT_TRUE(s.BorderLines.empty());
    EXPECT_TRUE(s.FlightSegs.empty());
    EXPECT_FALSE(w->ButtonMove->isChecked());
    EXPECT_EQ(Status(), "Alle Punkte gelöscht, Passpunkte neu festlegen.");
    EXPECT_EQ(w->overlay().Size(), 0u);
}

TEST_F(WindowTest, TransformationWritesProtocolStatusAndConfirms) {
    auto& s = w->state();
    // North-up at 1 m per pixel: E grows to the right, N falls downward.
    s.Points = {Pt(100, 100, 1, 32500100, 5300000), Pt(50, 150, 0),
                Pt(300, 400, 1, 32500300, 5299700)};
    w->Memo1->setPlainText("frühere Zeile");
    w->ButtonTrafo->click();
    EXPECT_EQ(messages, QStringList{"Transformation ist OK!"});
    const QStringList lines = w->Memo1->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "frühere Zeile");
    EXPECT_EQ(lines[1], "Passpunkttransformation");
    EXPECT_TRUE(lines[2].startsWith("   0 x100.00 y100.00")) << lines[2].toStdString();
    const QRegularExpression zero(R"(E 32500100\.00 N  5300000\.00 vE *-?0\.00 vN *-?0\.00$)");
    EXPECT_TRUE(zero.match(lines[2]).hasMatch()) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith("   2 x300.00 y400.00")) << lines[3].toStdString();
    EXPECT_EQ(Status(), "Transformation: Pixelgröße m:  1.000000 m0   0.000000 mp       0.00");
    // The plain point got its ground coordinates.
    EXPECT_NEAR(s.Points[1].E, 32500050, 1e-6);
    EXPECT_NEAR(s.Points[1].N, 5299950, 1e-6);
    EXPECT_NE(s.Points[1].B, 0);

    // A refused fit: one control point. The message comes, nothing else changes.
    s.Points = {Pt(100, 100, 1, 32500100, 5300000)};
    messages.clear();
    const QString before = w->Memo1->toPlainText();
    w->ButtonTrafo->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_NE(messages[0], "Transformation ist OK!");
    EXPECT_EQ(w->Memo1->toPlainText(), before);
    EXPECT_EQ(Status(), "Transformation: Pixelgröße m:  1.000000 m0   0.000000 mp       0.00");
}

} // namespace
} // namespace windowtest
