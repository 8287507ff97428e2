// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// "Vorflugblatt": one page per mission part for the pilot in the field, printed to a PDF file
// and shown on the protocol page.
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "litchi/missions.h"
#include "litchi/split.h"
#include "litchi/terrain_mission.h"
#include "mainform.h"
#include "model/error.h"
#include "model/fileio.h"
#include "preflightsheet.h"

std::vector<korvale::PreflightPage> TMainForm::PreflightPages() {
    // The mission the pilot flies: the one on the Litchi page, or the grid mission of the plan
    // when none was made yet (made here on copies, so the page and the map stay as they are).
    const korvale::State* s = &state_;
    const korvale::TerrainResult* terrain = &terrain_;
    korvale::State made;
    korvale::TerrainResult madeTerrain;
    if (state_.LitchiRecs.empty() && !state_.FlightSegs.empty()) {
        made = state_;
        korvale::LitchiPageModel m = litchi_;
        korvale::Overlay scratch;
        if (HaveDem())
            madeTerrain = korvale::MakeLitchiLinesOverGround(made, param_, m, scratch, Dem(),
                                                             TerrainSettingsOf());
        else
            korvale::MakeLitchiLines(made, param_, m, scratch);
        s = &made;
        terrain = &madeTerrain;
    }
    if (s->LitchiRecs.empty())
        throw korvale::Error(korvale::ErrorKind::Refused,
                             "Vorflugblatt: Es gibt keine Mission.\nErst mit Calc Raster planen "
                             "oder eine Mission erstellen (Litchi RasterL, FreeL oder Orbit).");

    const korvale::SplitOptions options = korvale::SplitOptionsOf(param_, litchi_);
    const std::vector<korvale::MissionPart> parts = korvale::MissionPartsOf(*s, options);

    korvale::PreflightInput in = PreflightBasics();
    for (const korvale::MissionPart& part : parts) {
        korvale::PreflightPart pp;
        for (const korvale::TlitchRec& r : part.recs)
            pp.waypoints.push_back({r.latitude, r.longitude});
        pp.lengthM = part.lengthM;
        pp.modelMin = PartModelMinutes(part);
        pp.minClearanceM = korvale::PartClearance(*terrain, s->LitchiRecs.size(),
                                                  part.firstWaypoint, part.recs.size());
        in.parts.push_back(std::move(pp));
    }
    return korvale::PreflightSheet(in);
}

void TMainForm::WritePreflightPdf(const QString& path,
                                  const std::vector<korvale::PreflightPage>& pages) {
    // The printer writes its own file; the sheet reaches the chosen name in one atomic step, so
    // a failure leaves an older sheet as it was.
    const QByteArray pdf = korvale::PreflightPdf(pages);
    korvale::WriteFileAtomic(
        path.toStdString(),
        std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
}

void TMainForm::ButtonPreflightClick() {
    const std::vector<korvale::PreflightPage> pages = PreflightPages();
    const QString path = AskFileName(FileDialogKind::Save, QStringLiteral("Vorflugblatt schreiben"),
                                     QStringLiteral("Vorflugblatt.pdf"));
    if (path.isEmpty())
        return;
    WritePreflightPdf(FilePath(path), pages);
    if (!Memo1->document()->isEmpty())
        Memo1->appendPlainText(QString());
    Memo1->appendPlainText(QString::fromStdString(korvale::PreflightText(pages)).trimmed());
    SetStatus(QStringLiteral("Vorflugblatt geschrieben (%1 Seiten): %2")
                  .arg(pages.size())
                  .arg(FilePath(path)),
              true);
}

QPushButton* TMainForm::BuildPreflightButton(QWidget* page) {
    ButtonPreflight = new QPushButton(QStringLiteral("Vorflugblatt"), page);
    ButtonPreflight->setObjectName(QStringLiteral("ButtonPreflight"));
    ButtonPreflight->setToolTip(QStringLiteral(
        "Schreibt für jeden Teil der Mission eine Seite zum Ausdrucken (PDF) und zeigt sie im "
        "Protokoll: Start, Wegpunkte, Strecke, Flugzeit, Akku, Höhen, Geschwindigkeit und was "
        "in der App von Hand einzustellen ist"));
    connect(ButtonPreflight, &QPushButton::clicked, this,
            [this] { Guard([this] { ButtonPreflightClick(); }); });
    return ButtonPreflight;
}
