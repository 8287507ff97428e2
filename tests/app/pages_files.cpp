// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Files of the "Korvale" page in the real window: the DXF drawing and the map project, saved
// and loaded all or nothing.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>
#include <cstdlib>
#include <functional>
#include <vector>

#include "imageviewer.h"
#include "model/fileio.h"
#include "pages_fixture.h"
#include "tests/support/file_faults.h"

using namespace pagetest;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Largest difference of one colour channel between two images of the same size.
int MaxChannelDiff(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

struct Snapshot {
    std::vector<korvale::TPt> points;
    double traf[6];
    QImage map;
};

Snapshot Take(TMainForm& w) {
    const korvale::State& s = w.state();
    return {s.Points,
            {s.TrafO, s.TrafA, s.TrafYbs, s.TrafXbs, s.TrafYs, s.TrafXs},
            w.ImageViewer1->image()};
}

void ExpectSame(const Snapshot& a, const Snapshot& b) {
    ASSERT_EQ(a.points.size(), b.points.size());
    for (std::size_t i = 0; i < a.points.size(); ++i) {
        const korvale::TPt &p = a.points[i], &q = b.points[i];
        EXPECT_EQ(p.B, q.B);
        EXPECT_EQ(p.L, q.L);
        EXPECT_EQ(p.E, q.E);
        EXPECT_EQ(p.N, q.N);
        EXPECT_EQ(p.c, q.c);
        EXPECT_EQ(p.xb, q.xb);
        EXPECT_EQ(p.yb, q.yb);
        EXPECT_EQ(p.Typ, q.Typ);
    }
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(a.traf[k], b.traf[k]) << k;
}

} // namespace

class FilesPage : public PagesTest {};

TEST_F(FilesPage, DxfOfThePlanAndRefusalWithoutPhotoBase) {
    PlanSquare();
    const QString dxf = Path("plan.dxf");
    w->EditDXFFileName->setText(dxf);
    w->Button5->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    const QByteArray text = ReadAll(dxf);
    EXPECT_TRUE(text.startsWith("  0\r\nSECTION\r\n  2\r\nENTITIES\r\n"));
    EXPECT_TRUE(text.endsWith("ENDSEC\r\n  0\r\nEOF\r\n")) << text.right(40).toStdString();
    EXPECT_TRUE(text.contains("\r\nPicture\r\n"));
    EXPECT_TRUE(text.contains("\r\nUmring\r\n"));

    // Forward overlap 100 %: photo base 0. The drawing is refused and the file stays.
    TypeInto(w->NumberBoxP, "100");
    ASSERT_EQ(w->param().NumberBoxA.Value(), 0);
    w->Button5->click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(ReadAll(dxf), text);
}

TEST_F(FilesPage, ProjectSavedAndLoadedBackWithItsMap) {
    PlanSquare();
    AddPoint(150, 250, korvale::KindControl);
    w->state().Points.back().B = 48.7;
    w->state().Points.back().E = 32500010.5;
    const Snapshot saved = Take(*w);
    const QString name = Path("Heim.dat");
    w->EditKVName->setText(name);
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_EQ(QFileInfo(name).size(), 8 * (7 + 8 * 5));
    EXPECT_TRUE(QFileInfo::exists(Path("Heim.jpg")));

    w->ButtonDelAll->click();
    ASSERT_TRUE(w->state().Points.empty());
    w->state().TrafO = 3;
    w->SetMapCopy(QImage(10, 10, QImage::Format_RGB32));
    w->Tabcontrol1->setCurrentWidget(w->TabItemParameter);

    w->ButtonLoadKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    const Snapshot loaded = Take(*w);
    ExpectSame(saved, loaded);
    ASSERT_EQ(loaded.map.size(), saved.map.size());
    EXPECT_LE(MaxChannelDiff(loaded.map.convertToFormat(QImage::Format_RGB32),
                             saved.map.convertToFormat(QImage::Format_RGB32)),
              24);
    // The loaded points are drawn on the loaded map; the plan, deleted with the points before,
    // is planned again on it.
    EXPECT_EQ(w->Tabcontrol1->currentWidget(), w->TabItemKarte);
    w->ButtonWaypts->click();
    int pictures = 0;
    for (const korvale::Primitive& p : w->overlay().Items())
        pictures += p.kind == korvale::Primitive::Kind::Disc && p.fill == korvale::ColMagenta;
    EXPECT_GT(pictures, 0);
}

TEST_F(FilesPage, DamagedProjectOrMissingImageChangesNothing) {
    PlanSquare();
    const QString name = Path("p.dat");
    w->EditKVName->setText(name);
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.empty());
    const QByteArray good = ReadAll(name);

    // Work on after saving: another point, another map.
    AddPoint(10, 90, korvale::KindPlain);
    w->SetMapCopy(QImage(30, 20, QImage::Format_RGB32));
    const Snapshot now = Take(*w);

    const struct {
        const char* what;
        QByteArray data;
        bool removeImage;
    } cases[] = {{"cut in the header", good.left(50), false},
                 {"cut in the points", good.left(good.size() - 8), false},
                 {"no image", good, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.data);
        f.close();
        if (c.removeImage)
            QFile::remove(Path("p.jpg"));
        messages.clear();
        w->ButtonLoadKV->click();
        EXPECT_EQ(messages.size(), 1u);
        ExpectSame(now, Take(*w));
        EXPECT_EQ(w->ImageViewer1->image().size(), QSize(30, 20));
    }
}

TEST_F(FilesPage, ProjectPairStaysWholeOnAFaultAtAnyStep) {
    PlanSquare();
    const QString name = Path("p.dat");
    w->EditKVName->setText(name);
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.empty());
    const QByteArray oldData = ReadAll(name), oldImage = ReadAll(Path("p.jpg"));
    auto restore = [&] {
        korvale::WriteFileAtomic(name.toStdString(), oldData.toStdString());
        korvale::WriteFileAtomic(Path("p.jpg").toStdString(), oldImage.toStdString());
    };

    // Work on: the next save has other data and another image.
    AddPoint(10, 90, korvale::KindPlain);
    w->SetMapCopy(QImage(30, 20, QImage::Format_RGB32));
    long calls = 0;
    {
        korvale::test::InjectedFaults counting;
        w->ButtonSaveKV->click();
        calls = counting.Count();
    }
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(ReadAll(name), oldData);
    for (long k = 0; k < calls; ++k) {
        SCOPED_TRACE(k);
        restore();
        const auto before = korvale::test::FolderSnapshot(dir.path().toStdString());
        messages.clear();
        korvale::test::InjectedFaults faults;
        faults.FailAt(k, ENOSPC);
        w->ButtonSaveKV->click();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(
            messages[0].startsWith("E/A-Fehler 28\nKein Platz auf dem Datenträger: " + dir.path()))
            << messages[0].toStdString();
        EXPECT_EQ(korvale::test::FolderSnapshot(dir.path().toStdString()), before);
    }
}

TEST_F(FilesPage, AProjectNamedLikeItsImageIsRefused) {
    // "karte.jpg" would put the data file and the image under one name, the one over the other.
    w->SetMapCopy(SyntheticMap());
    AddPoint(5, 95, korvale::KindPlain);
    w->EditKVName->setText(Path("karte.jpg"));
    w->ButtonSaveKV->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("denselben Namen")) << messages[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path("karte.jpg")));
}

TEST_F(FilesPage, ImageOfAProjectInADottedFolder) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("anna.berg"));
    w->SetMapCopy(SyntheticMap());
    AddPoint(5, 95, korvale::KindPlain);
    const QString name = Path("anna.berg/Heim.dat");
    w->EditKVName->setText(name);
    w->ButtonSaveKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_TRUE(QFileInfo::exists(Path("anna.berg/Heim.jpg")));

    // A project saved by the older rule keeps its image beside the dotted folder.
    ASSERT_TRUE(QFile::rename(Path("anna.berg/Heim.jpg"), Path("anna.jpg")));
    w->state().Points.clear();
    w->ButtonLoadKV->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_EQ(w->state().Points.size(), 1u);
}

TEST_F(FilesPage, NoMapCopyNoProject) {
    AddPoint(5, 95, korvale::KindPlain);
    const QString name = Path("empty.dat");
    w->EditKVName->setText(name);
    w->ButtonSaveKV->click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(name));
    EXPECT_FALSE(QFileInfo::exists(Path("empty.jpg")));
}

TEST_F(FilesPage, DoubleClickOnTheProjectNameAsksForAFile) {
    auto doubleClick = [this] {
        const QPointF at(5, 5);
        QMouseEvent e(QEvent::MouseButtonDblClick, at, w->EditKVName->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w->EditKVName, &e);
    };
    doubleClick(); // cancelled
    ASSERT_EQ(dialogKinds.size(), 1u);
    EXPECT_EQ(dialogKinds[0], TMainForm::FileDialogKind::PickName);
    EXPECT_EQ(dialogCurrent[0], "TrafPar.dat");
    EXPECT_EQ(w->EditKVName->text(), "TrafPar.dat");

    answers.push_back(Path("neu.dat"));
    doubleClick();
    EXPECT_EQ(w->EditKVName->text(), Path("neu.dat"));
    EXPECT_EQ(w->param().EditKVName, Path("neu.dat").toStdString());
}

// Every file dialog offers the kind it reads or writes, and all files beside it; a double click
// on the DXF name or the mission name picks the file those are written to.
TEST_F(FilesPage, FileDialogsOfferTheirKinds) {
    Georeference(); // the area import asks for a file only on a georeferenced map
    auto doubleClick = [](QWidget* edit) {
        const QPointF at(5, 5);
        QMouseEvent e(QEvent::MouseButtonDblClick, at, edit->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &e);
    };
    const struct {
        const char* what;
        std::function<void()> open;
        std::vector<const char*> patterns;
        QLineEdit* named; // takes the picked name
    } cases[] = {
        {"Gebiet importieren",
         [this] { w->ButtonImport->click(); },
         {"*.kml", "*.kmz", "*.geojson"},
         nullptr},
        {"Litchi CSV lesen", [this] { w->Button7->click(); }, {"*.csv"}, nullptr},
        {"Missionsdatei wählen", [&] { doubleClick(w->EditCVS); }, {"*.csv"}, w->EditCVS},
        {"DXF-Datei wählen",
         [&] { doubleClick(w->EditDXFFileName); },
         {"*.dxf"},
         w->EditDXFFileName},
        {"Projektdatei wählen", [&] { doubleClick(w->EditKVName); }, {"*.dat"}, w->EditKVName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t before = dialogKinds.size();
        const QString picked = Path(QStringLiteral("gewählt"));
        if (c.named)
            answers.push_back(picked);
        c.open();
        ASSERT_EQ(dialogKinds.size(), before + 1);
        const QString filter = w->fileDialogFilter();
        const QStringList kinds = filter.split(QStringLiteral(";;"));
        ASSERT_EQ(kinds.size(), 2) << filter.toStdString();
        for (const char* p : c.patterns)
            EXPECT_TRUE(kinds[0].contains(QString::fromLatin1(p))) << filter.toStdString();
        EXPECT_EQ(kinds[1], QStringLiteral("Alle Dateien (*)"));
        if (c.named) {
            EXPECT_EQ(dialogKinds.back(), TMainForm::FileDialogKind::PickName);
            EXPECT_EQ(c.named->text(), picked);
        }
    }
    EXPECT_TRUE(messages.empty()) << messages[0].toStdString();
}
