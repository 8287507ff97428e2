// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The pre-flight sheet on paper: each part's page painted (texts, hand settings, warnings and a
// small map of the part) and printed as PDF through Qt's printer.
#pragma once

#include <QByteArray>
#include <QRectF>
#include <vector>

#include "dji/preflight.h"

class QPainter;

namespace korvale {

// Paints one page into `area` (device coordinates of the painter).
void PaintPreflightPage(QPainter& painter, const QRectF& area, const PreflightPage& page);

// The whole sheet as the bytes of a PDF file, one A4 page per part. Throws Error (File) when
// the printer cannot write its temporary file.
QByteArray PreflightPdf(const std::vector<PreflightPage>& pages);

} // namespace korvale
