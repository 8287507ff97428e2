// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The number box control: shows and edits a korvale::NumberBox held in a page model. The
// model is the truth; the widget never rounds the stored value.
#pragma once

#include <QLineEdit>

#include "model/numberbox.h"

namespace korvale {

class NumberBoxWidget : public QLineEdit {
    Q_OBJECT

  public:
    // `box` belongs to a page model that outlives the widget; `name` becomes the objectName.
    NumberBoxWidget(NumberBox* box, const QString& name, QWidget* parent = nullptr);

    NumberBox* box() const { return box_; }

    // Shows the model's current text and read-only state again after the core changed it.
    // Never emits userChanged: filling a box by program is not an edit.
    void Refresh();

    // Takes a text as the user's entry: a number is written exactly (clamped by the box),
    // the box's text is shown and userChanged is emitted. Anything else restores the shown
    // text and returns false. Typing and leaving the box, or pressing Return, comes here.
    bool CommitText(const QString& entered);

  signals:
    // The user has entered a value (the model already holds it).
    void userChanged();
    // The entered value lay outside the box's range; the box holds the nearest bound.
    // Emitted before userChanged.
    void clamped(double entered);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OnEditingFinished();

    NumberBox* box_;
};

} // namespace korvale
