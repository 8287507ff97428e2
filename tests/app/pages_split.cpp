// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Long missions in the real window: the batteries beside the plan's totals, "Schreib CSV"
// writing the parts, the parts on the map copy, and a battery too short for one line.
#include <QFile>

#include "litchi/csv.h"
#include "litchi/split.h"
#include "pages_fixture.h"

using namespace pagetest;

namespace {

using SplitPage = PagesTest;

// The part numbers drawn on the map (labels in a part colour; the points' labels have the
// colours of their kinds), each in its own part's colour.
std::vector<std::string> PartLabels(const korvale::Overlay& o) {
    std::vector<std::string> out;
    for (const korvale::Primitive& p : o.Items()) {
        bool partColour = false;
        for (std::size_t k = 0; k < 6; ++k)
            partColour = partColour || p.fill == korvale::PartColour(k);
        if (p.kind != korvale::Primitive::Kind::Label || !partColour)
            continue;
        EXPECT_EQ(p.fill, korvale::PartColour(out.size())) << p.text;
        out.push_back(p.text);
    }
    return out;
}

TEST_F(SplitPage, LongMissionIsCountedWrittenAndDrawnInParts) {
    PlanSquare(); // 100 m square, 15 km/h: the whole mission takes a few minutes
    const auto lines = static_cast<int>(w->param().NumberBoxStreifen.Value());
    ASSERT_GE(lines, 4);
    EXPECT_EQ(w->NumberBoxAkkus->text(), "1");
    EXPECT_EQ(w->litchi().NumberBoxAkku.Value(), 20);
    EXPECT_EQ(w->litchi().NumberBoxMaxWP.Value(), 99);

    // Four waypoints per file: two lines each. The count follows the box at once.
    w->Tabcontrol1->setCurrentWidget(w->TabItemLitchi);
    TypeInto(w->NumberBoxMaxWP, "4");
    const int parts = (lines + 1) / 2;
    EXPECT_EQ(w->param().NumberBoxDateien.Value(), parts);
    EXPECT_EQ(w->NumberBoxDateien->text(), QString::number(parts));
    // The batteries are counted by flight time alone: one battery flies the whole plan.
    EXPECT_EQ(w->NumberBoxAkkus->text(), "1");

    w->Button9->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    std::vector<std::string> numbers;
    for (int k = 1; k <= parts; ++k)
        numbers.push_back(std::to_string(k));
    EXPECT_EQ(PartLabels(w->overlay()), numbers);

    const QString file = Path("grid.csv");
    w->EditCVS->setText(file);
    w->Button6->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_TRUE(w->LabelStatus->text().startsWith(QString("Litchi CSV in %1 Dateien").arg(parts)))
        << w->LabelStatus->text().toStdString();
    EXPECT_FALSE(QFile::exists(file));
    std::size_t waypoints = 0;
    for (int k = 1; k <= parts; ++k) {
        const std::vector<korvale::TlitchRec> part =
            korvale::ReadLitchiFile(Path(QString("grid_%1.csv").arg(k)).toStdString());
        EXPECT_GE(part.size(), 2u);
        EXPECT_LE(part.size(), 4u);
        waypoints += part.size();
    }
    EXPECT_EQ(waypoints, 2u * static_cast<std::size_t>(lines)); // a square: no bends
    EXPECT_FALSE(QFile::exists(Path(QString("grid_%1.csv").arg(parts + 1))));

    // Written once more as one file: the parts stay, and the status line names them.
    TypeInto(w->NumberBoxMaxWP, "99");
    w->Button6->click();
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_TRUE(w->LabelStatus->text().contains(
        QString("ältere Missionsdateien liegen daneben: grid_1.csv, grid_2.csv")))
        << w->LabelStatus->text().toStdString();

    // At 1 km/h one line of 100 m takes 6 minutes, more than a battery of 1 minute: no count,
    // and the mission is not written.
    TypeInto(w->NumberBoxAkku, "1");
    w->param().NumberBoxV.SetValue(1);
    w->ButtonWaypts->click();
    EXPECT_EQ(w->NumberBoxAkkus->text(), "0");
    EXPECT_TRUE(w->LabelStatus->text().startsWith("Akkus: Flugstreifen 1 braucht allein"))
        << w->LabelStatus->text().toStdString();
    const QByteArray before = [&] {
        QFile f(Path("grid_1.csv"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    w->Button6->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("braucht allein")) << messages[0].toStdString();
    QFile f(Path("grid_1.csv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

} // namespace
