// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pagelayout.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWidget>

namespace korvale::pages {

QLabel* MakeLabel(const QString& text, QWidget* parent, const QString& name) {
    auto* label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return label;
}

QWidget* Labelled(QLabel* label, std::initializer_list<QWidget*> controls, QWidget* parent) {
    auto* group = new QWidget(parent);
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    label->setParent(group);
    // Controls without a heading of their own sit on the row's line of boxes.
    if (label->text().isEmpty())
        label->hide();
    else
        column->addWidget(label, 0, Qt::AlignLeft | Qt::AlignBottom);
    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(4);
    for (QWidget* w : controls) {
        w->setParent(group);
        line->addWidget(w, 0, Qt::AlignLeft | Qt::AlignVCenter);
    }
    line->addStretch(1);
    column->addLayout(line);
    return group;
}

QWidget* Labelled(const QString& label, std::initializer_list<QWidget*> controls, QWidget* parent) {
    return Labelled(MakeLabel(label, parent), controls, parent);
}

void AddRow(QVBoxLayout* page, std::initializer_list<QWidget*> groups, QLabel* heading) {
    if (heading != nullptr)
        page->addWidget(heading, 0, Qt::AlignLeft);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    for (QWidget* g : groups)
        row->addWidget(g, 0, Qt::AlignLeft | Qt::AlignBottom);
    row->addStretch(1);
    page->addLayout(row);
}

DoubleClickWatcher::DoubleClickWatcher(QWidget* watched, std::function<void()> action)
    : QObject(watched), action_(std::move(action)) {
    watched->installEventFilter(this);
}

bool DoubleClickWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        action_();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvale::pages
