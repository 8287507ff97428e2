// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "messages.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <QTextEdit>

#include "model/format.h"

namespace korvale {

QString ErrorTitle(const QString& given, ErrorKind kind) {
    if (!given.isEmpty())
        return given;
    switch (kind) {
    case ErrorKind::Conversion:
        return QStringLiteral("Ungültige Eingabe");
    case ErrorKind::File:
        return QStringLiteral("Dateifehler");
    case ErrorKind::Damaged:
        return QStringLiteral("Datei beschädigt");
    case ErrorKind::Refused:
        return QStringLiteral("Nicht ausgeführt");
    case ErrorKind::Limit:
        return QStringLiteral("Grenze überschritten");
    case ErrorKind::Internal:
        break;
    }
    return QStringLiteral("Interner Fehler");
}

TMainForm::MessageIcon ErrorIcon(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::Conversion:
    case ErrorKind::Refused:
    case ErrorKind::Limit:
        return TMainForm::MessageIcon::Warning;
    case ErrorKind::File:
    case ErrorKind::Damaged:
    case ErrorKind::Internal:
        break;
    }
    return TMainForm::MessageIcon::Critical;
}

MessageParts SplitLongMessage(const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() <= kShownLines)
        return {text, QString()};
    const QStringList head = lines.mid(0, kShownLines - 2);
    const long long more = lines.size() - head.size() - 1;
    const QString note = QString::fromStdString(
        Format(more == 1 ? "… und %d weitere Zeile (die ganze Liste steht unten)"
                         : "… und %d weitere Zeilen (die ganze Liste steht unten)",
               {more}));
    return {head.join(QLatin1Char('\n')) + QLatin1Char('\n') + note + QLatin1Char('\n') +
                lines.last(),
            text};
}

} // namespace korvale

QMessageBox* TMainForm::MakeMessageBox(const QString& text, const QString& title,
                                       MessageIcon icon) {
    const QMessageBox::Icon qicon = icon == MessageIcon::Critical  ? QMessageBox::Critical
                                    : icon == MessageIcon::Warning ? QMessageBox::Warning
                                                                   : QMessageBox::Information;
    const korvale::MessageParts parts = korvale::SplitLongMessage(text);
    auto* box = new QMessageBox(qicon, title, parts.shown, QMessageBox::Ok, this);
    box->setTextFormat(Qt::PlainText);
    if (!parts.details.isEmpty()) {
        box->setDetailedText(parts.details);
        // The details area scrolls; it is opened at once, at a height that leaves the box on
        // the screen.
        for (QAbstractButton* b : box->buttons())
            if (box->buttonRole(b) == QMessageBox::ActionRole)
                b->click();
        if (auto* details = box->findChild<QTextEdit*>()) {
            int room = 300;
            if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
                room = std::max(120, s->availableGeometry().height() / 3);
            details->setFixedHeight(room);
        }
    }
    return box;
}
