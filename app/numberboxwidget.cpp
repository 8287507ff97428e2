// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "numberboxwidget.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

#include "model/convert.h"
#include "model/error.h"

namespace korvale {

NumberBoxWidget::NumberBoxWidget(NumberBox* box, const QString& name, QWidget* parent)
    : QLineEdit(parent), box_(box) {
    setObjectName(name);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Only what can become a number may be typed; the point is the one decimal separator,
    // whatever the user's locale says.
    static const QRegularExpression pattern(
        QStringLiteral(R"(\s*[-+]?[0-9]*\.?[0-9]*([eE][-+]?[0-9]*)?\s*)"));
    setValidator(new QRegularExpressionValidator(pattern, this));
    connect(this, &QLineEdit::editingFinished, this, &NumberBoxWidget::OnEditingFinished);
    Refresh();
}

void NumberBoxWidget::Refresh() {
    setReadOnly(box_->ReadOnly());
    const QString shown = QString::fromStdString(box_->Text());
    if (text() != shown)
        setText(shown); // clears the modified flag, so no edit is reported later
    setModified(false);
}

bool NumberBoxWidget::CommitText(const QString& entered) {
    if (box_->ReadOnly()) {
        Refresh();
        return false;
    }
    double v = 0;
    try {
        v = StrToFloat(entered.toStdString());
    } catch (const Error&) {
        Refresh();
        return false;
    }
    box_->SetValue(v);
    Refresh();
    if (v < box_->Min() || v > box_->Max())
        emit clamped(v);
    emit userChanged();
    return true;
}

void NumberBoxWidget::OnEditingFinished() {
    if (!isModified())
        return;
    setModified(false);
    CommitText(text());
}

void NumberBoxWidget::keyPressEvent(QKeyEvent* event) {
    // Escape gives up a half-typed entry.
    if (event->key() == Qt::Key_Escape && isModified()) {
        Refresh();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace korvale
