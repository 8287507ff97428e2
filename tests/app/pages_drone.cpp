// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The drone on the "Korvale" page in the real window: the picker fills the camera and says
// "eigene Werte" once the user changes it, the choice is remembered, and the pre-flight sheet
// is printed to PDF (one page per part, its numbers those of the page) and shown in the protocol.
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>

#include "pages_fixture.h"
#include "shots.h"
#include "tests/support/file_faults.h"

using namespace pagetest;

class DronePage : public PagesTest {
  protected:
    // As the user picks: the list shows the drone and says so.
    void PickCamera(const char* key) {
        const int i = w->ComboBoxKamera->findData(QString::fromLatin1(key));
        ASSERT_GE(i, 0) << key;
        w->ComboBoxKamera->setCurrentIndex(i);
        emit w->ComboBoxKamera->activated(i);
    }
    QString Picked() const { return w->ComboBoxKamera->currentText(); }

    // The text of a PDF as a reader extracts it (poppler's pdftotext).
    static QString PdfText(const QString& path) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"),
                {QStringLiteral("-layout"), path, QStringLiteral("-")});
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
};

TEST_F(DronePage, PickerFillsTheCameraAndSaysWhenTheUserChangedIt) {
    auto* picker = w->TabItemParameter->findChild<QComboBox*>("ComboBoxKamera");
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(Picked(), "eigene Werte"); // the design's camera is no drone's
    PickCamera("mini4pro");
    EXPECT_EQ(Picked(), "DJI Mini 4 Pro");
    EXPECT_EQ(w->EditF->text(), "6.72");
    EXPECT_EQ(w->EditXb->text(), "4032");
    EXPECT_EQ(w->EditYb->text(), "3024");
    // The derived boxes follow at once: 40 m x 9.68 mm / 6.72 mm across the flight (the pixel
    // size shown to four decimals).
    EXPECT_NEAR(w->param().NumberBoxBG.Value(), 40 * 9.68 / 6.72, 40 * 9.68 / 6.72 * 1e-4);
    // The KMZ is written for the same drone.
    EXPECT_EQ(w->ComboBoxDrone->currentData().toString(), "mini4pro");

    struct Case {
        QLineEdit* edit;
        const char* typed;
    };
    for (const Case& c : {Case{w->EditF, "6.8"}, Case{w->EditAufloesung, "2.4"},
                          Case{w->EditXb, "4000"}, Case{w->EditYb, "3000"}}) {
        PickCamera("mini4pro");
        const QString before = c.edit->text();
        TypeInto(c.edit, QString::fromLatin1(c.typed));
        EXPECT_EQ(Picked(), "eigene Werte") << c.typed;
        TypeInto(c.edit, before); // the profile's value again: the drone again
        EXPECT_EQ(Picked(), "DJI Mini 4 Pro") << c.typed;
    }
    if (const QString shot = ShotPath("korvale_page.png"); !shot.isEmpty()) {
        w->Tabcontrol1->setCurrentWidget(w->TabItemParameter);
        w->resize(1280, 800);
        w->show();
        w->grab().save(shot);
    }
    // Picking "eigene Werte" keeps what the edits hold.
    TypeInto(w->EditF, "7.1");
    PickCamera("");
    EXPECT_EQ(w->EditF->text(), "7.1");
}

TEST_F(DronePage, ThePickAndTheDroneValuesAreRemembered) {
    // Air 3 and Mini 4 Pro carry the same camera: the one picked comes back.
    PickCamera("air3");
    TypeInto(w->NumberBoxBelichtung, "2000");
    TypeInto(w->NumberBoxVersatz, "0.8");
    w.reset();
    w = std::make_unique<TMainForm>();
    EXPECT_EQ(Picked(), "DJI Air 3");
    EXPECT_EQ(w->EditF->text(), "6.72");
    EXPECT_EQ(w->NumberBoxBelichtung->text(), "2000");
    EXPECT_EQ(w->NumberBoxVersatz->text(), "0.8");
    // Camera values of one's own come back as such.
    TypeInto(w->EditXb, "4000");
    w.reset();
    w = std::make_unique<TMainForm>();
    EXPECT_EQ(Picked(), "eigene Werte");
    EXPECT_EQ(w->EditXb->text(), "4000");
}

TEST_F(DronePage, SpeedBoxShowsWhenItIsAboveTheLimitAndWhichLimitBinds) {
    // At 40 m and 15 km/h. The Mini 4 Pro's rolling shutter allows less than 1 km/h at half a
    // pixel; the P1's mechanical shutter has no such term, so exposure, picture interval and
    // the drone's cap each bind in turn.
    const struct {
        const char* key;
        const char* exposure; // 1/x s
        const char* overlap;  // forward, %
        const char* by;
        const char* vmax; // km/h
        bool tooFast;
    } cases[] = {
        {"mini4pro", "1000", "80", "Rolling Shutter", "0.9", true},
        {"m350", "1000", "80", "Bewegungsunschärfe", "9.0", true}, // 0.5 x 5.0 mm / 1 ms
        {"m350", "4000", "80", "Bildfolge", "28.1", false},        // 5.49 m / 0.7 s
        {"m350", "100000", "0", "Drohne", "54.0", false},          // 15 m/s
        // The P1's camera as own values: no interval or cap known, the exposure still binds.
        {"", "1000", "80", "Bewegungsunschärfe", "9.0", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " 1/" + c.exposure + " P " + c.overlap);
        PickCamera(c.key);
        TypeInto(w->NumberBoxBelichtung, QString::fromLatin1(c.exposure));
        TypeInto(w->NumberBoxP, QString::fromLatin1(c.overlap));
        EXPECT_EQ(w->LabelSpeedLimit->text(), QString::fromUtf8(c.by));
        EXPECT_EQ(w->NumberBoxVmax->text(), QString::fromLatin1(c.vmax));
        EXPECT_EQ(w->NumberBoxV->property("overLimit").toBool(), c.tooFast);
        EXPECT_EQ(w->NumberBoxV->toolTip().contains(QString::fromUtf8(c.by)), c.tooFast)
            << w->NumberBoxV->toolTip().toStdString();
    }
    // A slower speed typed in takes the warning away.
    PickCamera("m350");
    TypeInto(w->NumberBoxBelichtung, "1000");
    TypeInto(w->NumberBoxP, "80");
    EXPECT_TRUE(w->NumberBoxV->property("overLimit").toBool());
    TypeInto(w->NumberBoxV, "8");
    EXPECT_FALSE(w->NumberBoxV->property("overLimit").toBool());
    EXPECT_TRUE(w->NumberBoxV->toolTip().isEmpty());
}

TEST_F(DronePage, PreflightSheetIsPrintedAndShownInTheProtocol) {
    auto* button = w->TabItemLitchi->findChild<QPushButton*>("ButtonPreflight");
    ASSERT_NE(button, nullptr);
    // Without a plan or mission there is nothing to print, and no dialog is asked.
    button->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("keine Mission")) << messages[0].toStdString();
    EXPECT_TRUE(dialogKinds.empty());
    messages.clear();

    PickCamera("mini4pro");
    TypeInto(w->NumberBoxP, "70"); // DJI Fly: one waypoint per picture, 99 to a file
    PlanSquare();
    const QString pdf = Path("blatt.pdf");
    answers.push_back(pdf);
    button->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_EQ(w->fileDialogFilter().left(3), "PDF");
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5) == "%PDF-");
    const QString text = PdfText(pdf);
    EXPECT_TRUE(text.contains("Vorflugblatt – Teil 1 von 1")) << text.toStdString();
    EXPECT_TRUE(text.contains("DJI Mini 4 Pro")) << text.toStdString();
    EXPECT_TRUE(text.contains("Verschlusszeit 1/1000 s")) << text.toStdString();
    // The sheet's numbers are the statistics of the page: one battery, the modelled time, the
    // path (one part flies the whole path) and the limit beside the speed.
    ASSERT_EQ(w->NumberBoxAkkus->text(), "1");
    const QString model = w->NumberBoxFlugzeitModell->text();
    ASSERT_NE(model, "0.0");
    EXPECT_TRUE(text.contains(
        QRegularExpression("Flugzeit \\(Modell\\) +" + QRegularExpression::escape(model) + " min")))
        << model.toStdString() << "\n"
        << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("Strecke +" + w->NumberBoxWeg->text() + " m")))
        << w->NumberBoxWeg->text().toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Rolling Shutter")));
    // The protocol shows the same sheet, and the mission on the page was left alone.
    const QString protocol = w->Memo1->toPlainText();
    EXPECT_TRUE(protocol.contains("Vorflugblatt – Teil 1 von 1"));
    EXPECT_TRUE(protocol.contains("Flughöhe: 40 m über dem Abflugort"));
    EXPECT_TRUE(w->state().LitchiRecs.empty());
    EXPECT_TRUE(w->LabelStatus->text().contains(pdf));
    if (const QString shot = ShotPath("vorflugblatt.pdf"); !shot.isEmpty())
        QFile::copy(pdf, shot);

    // A plan of two files gives two pages, the parts the files are written in.
    TypeInto(w->NumberBoxP, "80");
    w->ButtonWaypts->click();
    ASSERT_EQ(w->NumberBoxDateien->text(), "2");
    answers.push_back(pdf);
    button->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    const QString two = PdfText(pdf);
    EXPECT_TRUE(two.contains("Vorflugblatt – Teil 1 von 2"));
    EXPECT_TRUE(two.contains("Vorflugblatt – Teil 2 von 2"));
    EXPECT_TRUE(two.contains('\f')) << "a page each";

    // An older sheet survives every failure of the write, byte for byte.
    const std::vector<korvale::PreflightPage> pages = w->PreflightPages();
    korvale::test::ExpectWriterSurvivesFaults(
        dir.path().toStdString(), "alt.pdf", [&](const std::string& path) {
            w->WritePreflightPdf(QString::fromStdString(path), pages);
        });
}
