// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// "Schreib KMZ" on the "Litchi CSV" page in the real window: the drone picker (remembered), the
// KMZ beside the CSV that the checker passes, the status line and protocol saying which app
// imports it and how, and a refused write that leaves nothing behind.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>

#include "dji/wpml_check.h"
#include "model/fileio.h"
#include "pages_fixture.h"
#include "shots.h"

using namespace pagetest;

class WpmlPage : public PagesTest {
  protected:
    void Pick(const char* key) {
        const int i = w->ComboBoxDrone->findData(QString::fromLatin1(key));
        ASSERT_GE(i, 0) << key;
        w->ComboBoxDrone->setCurrentIndex(i);
    }
};

TEST_F(WpmlPage, WritesTheKmzForThePickedDroneAndSaysHowItReachesTheApp) {
    auto* button = w->TabItemLitchi->findChild<QPushButton*>("ButtonKMZ");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Schreib KMZ");
    ASSERT_NE(w->TabItemLitchi->findChild<QComboBox*>("ComboBoxDrone"), nullptr);
    EXPECT_GE(w->ComboBoxDrone->count(), 8);

    PlanSquare();
    w->Tabcontrol1->setCurrentWidget(w->TabItemLitchi);
    const struct {
        const char* key;
        const char* app;
        const char* how;
    } cases[] = {{"mavic3e", "DJI Pilot 2", "Route importieren"},
                 {"mini4pro", "DJI Fly", "leere Wegpunkt-Mission"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        Pick(c.key);
        // The KMZ goes beside the CSV, under its name (in parts where the app needs them).
        w->EditCVS->setText(Path(QString::fromLatin1(c.key) + ".csv"));
        w->ButtonKMZ->click();
        ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
        const QStringList files =
            QDir(dir.path()).entryList({QString::fromLatin1(c.key) + "*.kmz"}, QDir::Files);
        ASSERT_FALSE(files.isEmpty());
        for (const QString& name : files) {
            const korvale::WpmlCheck check =
                korvale::CheckWpmlKmz(korvale::ReadFileBytes(Path(name).toStdString()), nullptr);
            EXPECT_TRUE(check.hard.empty()) << korvale::WpmlFindingsText(check);
            EXPECT_EQ(QString::fromStdString(check.app), QString::fromUtf8(c.app));
        }
        const QString status = w->LabelStatus->text();
        EXPECT_TRUE(status.startsWith(QStringLiteral("KMZ für %1 ").arg(QString::fromUtf8(c.app))))
            << status.toStdString();
        EXPECT_TRUE(status.contains(Path(files.front()))) << status.toStdString();
        EXPECT_TRUE(status.contains(QString::fromUtf8(c.how))) << status.toStdString();
        EXPECT_TRUE(w->Memo1->toPlainText().contains(QString::fromUtf8(c.how)));
    }
    // The choice is there again in a new window.
    w.reset();
    w = std::make_unique<TMainForm>();
    EXPECT_EQ(w->ComboBoxDrone->currentData().toString(), "mini4pro");
}

TEST_F(WpmlPage, AMissionTheDroneCannotFlyWritesNothing) {
    PlanSquare();
    Pick("mini4pro");
    w->NumberBoxV->box()->SetValue(59); // 16.4 m/s, above the Mini 4 Pro's 12 m/s
    w->EditCVS->setText(Path("schnell.csv"));
    w->ButtonKMZ->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("nichts geschrieben")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("[speed]")) << messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(Path("schnell.kmz")));
    if (const QString shot = ShotPath("litchi_page_kmz.png"); !shot.isEmpty()) {
        w->resize(1280, 800);
        w->Tabcontrol1->setCurrentWidget(w->TabItemLitchi);
        w->show();
        QApplication::processEvents();
        w->grab().save(shot);
    }
}
