// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Building blocks of the parameter and Litchi pages: labels above their boxes, rows of such
// groups, and a double-click watcher for plain edits.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <initializer_list>

class QLabel;
class QVBoxLayout;
class QWidget;

namespace korvale::pages {

// A label with the page's font; `name` becomes its objectName when given.
QLabel* MakeLabel(const QString& text, QWidget* parent, const QString& name = {});

// A label standing above one or more controls placed side by side under it.
QWidget* Labelled(QLabel* label, std::initializer_list<QWidget*> controls, QWidget* parent);
QWidget* Labelled(const QString& label, std::initializer_list<QWidget*> controls, QWidget* parent);

// A row of groups from the left edge, optionally headed by a label of its own.
void AddRow(QVBoxLayout* page, std::initializer_list<QWidget*> groups, QLabel* heading = nullptr);

// Fixed width for a control in the page's compact rows.
template <class W> W* Narrow(W* w, int width) {
    w->setFixedWidth(width);
    return w;
}

// Calls `action` when the watched widget is double-clicked with the left button.
class DoubleClickWatcher : public QObject {
  public:
    DoubleClickWatcher(QWidget* watched, std::function<void()> action);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void()> action_;
};

} // namespace korvale::pages
