// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The protocol page's residual table and the residual arrows in the real window.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <cmath>

#include "georef/quality.h"
#include "window_support.h"

namespace windowtest {
namespace {

using korvale::TPt;

// Six control points on a north-up map copy at 0.5 m per pixel, the fourth clicked 20 pixels
// too far right; a plain point between them.
void SixControlPoints(korvale::State& s) {
    const float pos[6][2] = {{60, 80}, {420, 70}, {440, 380}, {70, 400}, {250, 230}, {300, 120}};
    for (int i = 0; i < 6; ++i) {
        TPt p;
        p.Typ = korvale::KindControl;
        p.xb = pos[i][0];
        p.yb = pos[i][1];
        p.E = 32690000 + 0.5 * p.xb + 0.01 * (i % 3);
        p.N = 5335000 - 0.5 * p.yb - 0.01 * (i % 2);
        if (i == 3)
            p.xb += 20;
        s.Points.push_back(p);
    }
    TPt plain;
    plain.xb = 200;
    plain.yb = 200;
    s.Points.insert(s.Points.begin() + 1, plain);
}

int CountLines(const korvale::Overlay& o, korvale::Argb stroke) {
    int n = 0;
    for (const korvale::Primitive& p : o.Items())
        n += p.kind == korvale::Primitive::Kind::Line && p.stroke == stroke;
    return n;
}

class QualityTest : public WindowTest {
  protected:
    QString Cell(int row, int col) { return w->TableResiduals->item(row, col)->text(); }
    int Rows() { return w->TableResiduals->rowCount(); }
    int LastColumn() { return w->TableResiduals->columnCount() - 1; }
};

TEST_F(QualityTest, TableFlagsTheOutlierAndASwitchedOffPointLeavesTheFit) {
    auto& s = w->state();
    SixControlPoints(s);
    w->ButtonTrafo->click();
    // The protocol is the same as ever: header, six residual lines, summary.
    QStringList lines = w->Memo1->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], "Passpunkttransformation");

    ASSERT_EQ(Rows(), 6);
    for (int row = 0; row < 6; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(w->TableResiduals->item(row, 0)->checkState(), Qt::Checked);
        EXPECT_EQ(Cell(row, LastColumn()), row == 3 ? "Ausreißer" : "in Ordnung");
    }
    EXPECT_EQ(Cell(3, 1), "4"); // the number of the point in the list
    const QString caption = w->LabelQuality->text();
    EXPECT_TRUE(caption.contains("s0 = √(Σv²/(2n−4))")) << caption.toStdString();
    EXPECT_TRUE(caption.contains("-fach vergrößert")) << caption.toStdString();
    EXPECT_TRUE(caption.contains("F-Verteilung mit 2 und 2m−4 Freiheitsgraden"))
        << caption.toStdString();
    EXPECT_TRUE(caption.contains("mit 1 % Wahrscheinlichkeit als Ausreißer"))
        << caption.toStdString();
    // The map copy shows one red arrow (shaft and two head strokes).
    EXPECT_EQ(CountLines(w->overlay(), korvale::ColOutlier), 3);

    // Unticking the outlier switches it off: kept in the list, out of the fit.
    w->TableResiduals->item(3, 0)->setCheckState(Qt::Unchecked);
    ASSERT_TRUE(messages.size() <= 1) << messages.join('|').toStdString();
    EXPECT_TRUE(s.Points[4].Off);
    EXPECT_EQ(Status(), QString::fromStdString(korvale::SwitchedText(4, true)));
    EXPECT_EQ(Cell(3, LastColumn()), "ausgeschaltet, Ausreißer");
    EXPECT_LT(korvale::ControlPointQuality(s).rmsPixels, 1.0);
    int rings = 0;
    for (const korvale::Primitive& p : w->overlay().Items())
        rings += p.kind == korvale::Primitive::Kind::Circle && p.stroke == korvale::ColSwitchedOff;
    EXPECT_EQ(rings, 1);
    EXPECT_EQ(CountLines(w->overlay(), korvale::ColOutlier), 0);

    // The next fit leaves it out of the protocol.
    w->ButtonTrafo->click();
    lines = w->Memo1->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 8 + 7);
    for (int i = 9; i < 14; ++i)
        EXPECT_FALSE(lines[i].startsWith("   4 ")) << lines[i].toStdString();

    // Ticked again, it is used again.
    w->TableResiduals->item(3, 0)->setCheckState(Qt::Checked);
    EXPECT_FALSE(s.Points[4].Off);
    EXPECT_EQ(Cell(3, LastColumn()), "Ausreißer");
}

TEST_F(QualityTest, APositionFarOutsideTheZoneIsWarnedInTheStatusLine) {
    QClipboard* clip = QGuiApplication::clipboard();
    clip->setText("48.1, 11.5");
    w->ReadClipboardPoint(10, 100);
    EXPECT_EQ(w->state().UtmZone, 32);
    EXPECT_EQ(Status(), "Passpunkte: Rechte Maustaste sonst linke Maustaste");
    clip->setText("48.1, 16.5");
    w->ReadClipboardPoint(20, 100);
    ASSERT_EQ(w->state().Points.size(), 2u);
    EXPECT_TRUE(Status().contains("außerhalb der UTM-Zone 32")) << Status().toStdString();
}

} // namespace
} // namespace windowtest
