// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The control-point quality on the protocol page: caption and residual table under the
// protocol, a check box per control point to switch it off for the fit, and the residual arrows
// over the map copy.
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "georef/quality.h"
#include "imageviewer.h"
#include "mainform.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

void TMainForm::BuildQualityPanel(QWidget* page) {
    // The protocol keeps the upper part; the table sits below it, the divider movable.
    auto* layout = static_cast<QVBoxLayout*>(page->layout());
    layout->removeWidget(Memo1);
    auto* splitter = new QSplitter(Qt::Vertical, page);
    splitter->setObjectName(QStringLiteral("SplitterProt"));
    splitter->addWidget(Memo1);

    auto* panel = new QWidget(splitter);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(4, 4, 4, 0);
    LabelQuality = new QLabel(panel);
    LabelQuality->setObjectName(QStringLiteral("LabelQuality"));
    LabelQuality->setWordWrap(true);
    LabelQuality->setTextInteractionFlags(Qt::TextSelectableByMouse);
    panelLayout->addWidget(LabelQuality);

    TableResiduals = new QTableWidget(panel);
    TableResiduals->setObjectName(QStringLiteral("TableResiduals"));
    const std::vector<std::string> titles = korvale::QualityColumnTitles();
    TableResiduals->setColumnCount(static_cast<int>(titles.size()) + 1);
    QStringList header{QStringLiteral("verwenden")};
    for (const std::string& t : titles)
        header << Q(t);
    TableResiduals->setHorizontalHeaderLabels(header);
    TableResiduals->verticalHeader()->setVisible(false);
    TableResiduals->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TableResiduals->setSelectionMode(QAbstractItemView::NoSelection);
    TableResiduals->horizontalHeader()->setStretchLastSection(true);
    panelLayout->addWidget(TableResiduals, 1);

    splitter->addWidget(panel);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter);

    connect(TableResiduals, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != 0)
            return;
        const bool use = item->checkState() == Qt::Checked;
        const int row = item->row();
        Guard([this, row, use] { ResidualSwitched(row, use); });
    });
    ShowQuality();
}

void TMainForm::ShowQuality() {
    const korvale::ControlQuality q = korvale::ControlPointQuality(state_);
    LabelQuality->setText(Q(korvale::QualityCaption(q, state_)));
    // Filling the table must not look like the user ticking boxes.
    const QSignalBlocker block(TableResiduals);
    TableResiduals->setRowCount(static_cast<int>(q.points.size()));
    for (int row = 0; row < static_cast<int>(q.points.size()); ++row) {
        const korvale::ControlResidual& r = q.points[static_cast<std::size_t>(row)];
        auto* check = new QTableWidgetItem;
        check->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        check->setCheckState(r.used ? Qt::Checked : Qt::Unchecked);
        check->setData(Qt::UserRole, r.index);
        TableResiduals->setItem(row, 0, check);
        const std::vector<std::string> cells = korvale::QualityCells(q, r);
        for (int col = 0; col < static_cast<int>(cells.size()); ++col) {
            auto* item = new QTableWidgetItem(Q(cells[static_cast<std::size_t>(col)]));
            item->setFlags(Qt::ItemIsEnabled);
            const bool last = col == static_cast<int>(cells.size()) - 1;
            item->setTextAlignment(Qt::AlignVCenter | (last ? Qt::AlignLeft : Qt::AlignRight));
            if (r.outlier)
                item->setForeground(QColor(0xC0, 0, 0));
            else if (!r.used)
                item->setForeground(QColor(0x80, 0x80, 0x80));
            TableResiduals->setItem(row, col + 1, item);
        }
    }
    TableResiduals->resizeColumnsToContents();
}

void TMainForm::ShowResiduals() {
    // Before any transformation there is nothing on the ground to compare the clicks with.
    if (state_.TrafO == 0 && state_.TrafA == 0)
        return;
    korvale::ShowResiduals(state_, korvale::ControlPointQuality(state_), overlay_);
    ImageViewer2->update();
}

void TMainForm::ResidualSwitched(int row, bool use) {
    const QTableWidgetItem* item = TableResiduals->item(row, 0);
    if (!item)
        return;
    const int index = item->data(Qt::UserRole).toInt();
    if (index < 0 || index >= static_cast<int>(state_.Points.size()) ||
        state_.Points[static_cast<std::size_t>(index)].Typ != korvale::KindControl)
        return;
    state_.Points[static_cast<std::size_t>(index)].Off = !use;
    SetStatus(Q(korvale::SwitchedText(index, !use)), true);
    ShowQuality();
    // The arrows follow at once; the map copy page is not brought to the front for it.
    const QWidget* current = Tabcontrol1->currentWidget();
    Showgrafik();
    Tabcontrol1->setCurrentWidget(const_cast<QWidget*>(current));
}
