// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// "Vorflugblatt": one page per mission part for the pilot in the field, printed to a PDF file
// and shown on the protocol page. Its parts and times are those of the statistics and the
// mission files: the grid flown as the drone's app flies it, cut on the flight-time model.
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cmath>

#include "litchi/split.h"
#include "mainform.h"
#include "model/convert.h"
#include "model/error.h"
#include "model/fileio.h"
#include "model/geodesy.h"
#include "planning/drone_page.h"
#include "planning/plan.h"
#include "preflightsheet.h"
#include "terrain/follow.h"

korvale::PreflightInput TMainForm::PreflightBasics() const {
    korvale::PreflightInput in;
    // The drone of the camera picker; with own camera values the drone of the KMZ still names
    // the app the pilot flies with.
    const korvale::DroneProfile* d = PickedDrone();
    if (!d && ComboBoxDrone)
        for (const korvale::DroneProfile& p : drones_)
            if (QString::fromStdString(p.key) == ComboBoxDrone->currentData().toString())
                d = &p;
    if (d) {
        in.app = d->app;
        in.droneName = PickedDrone() ? d->name : d->name + " (eigene Kamerawerte)";
    }
    if (param_.Startpunkt)
        in.takeoff = korvale::PreflightPos{param_.Startpunkt->lat, param_.Startpunkt->lon};
    in.heightM = param_.NumberBoxH.Value();
    in.speedMps = param_.NumberBoxV.Value() / 3.6;
    try {
        const korvale::SpeedLimit limit = korvale::SpeedLimitOfPage(param_);
        if (std::isfinite(limit.maxMps)) {
            in.speedLimitMps = limit.maxMps;
            in.limitBy = std::string(korvale::SpeedLimitName(limit.by));
        }
    } catch (const korvale::Error&) {
        // No limit without a camera that is one; the sheet says "unbekannt".
    }
    in.batteryMin = litchi_.NumberBoxAkku.Value();
    in.reservePct = litchi_.NumberBoxReserve.Value();
    in.exposureS = 1.0 / param_.NumberBoxBelichtung.Value();
    // The picture size is only named on the sheet; a text that is no number leaves it out.
    auto pixels = [](const std::string& text) {
        try {
            const double v = korvale::StrToFloat(text);
            return std::isfinite(v) && v > 0 && v < 1e6 ? static_cast<int>(std::lround(v)) : 0;
        } catch (const korvale::Error&) {
            return 0;
        }
    };
    in.imageWidthPx = pixels(param_.EditXb);
    in.imageHeightPx = pixels(param_.EditYb);
    return in;
}

std::vector<korvale::PreflightPage> TMainForm::PreflightPages() {
    korvale::PreflightInput in = PreflightBasics();
    const korvale::SplitOptions options = korvale::SplitOptionsOf(param_, litchi_);
    const bool grid = (state_.LitchiRecs.empty() || litchiGrid_) && !state_.FlightSegs.empty();
    if (grid) {
        if (!(options.speedMps > 0) || !(param_.NumberBoxA.Value() > 0))
            throw korvale::Error(korvale::ErrorKind::Refused,
                                 "Vorflugblatt: Ohne Geschwindigkeit und Bildabstand gibt es "
                                 "keine Flugzeit.\nv km/h und Längsüberlappung prüfen");
        const korvale::FlightPlan plan =
            korvale::PlanOfState(state_, param_.NumberBoxA.Value(), param_.NumberBoxV.Value());
        const korvale::PlanParts parts =
            korvale::PlanPartsOf(state_, plan, param_.Drohne.photoWaypoints, options);
        for (std::size_t k = 0; k < parts.ranges.size(); ++k) {
            const korvale::WayRange& r = parts.ranges[k];
            korvale::PreflightPart pp;
            std::vector<korvale::TerrainWaypoint> overGround;
            for (std::size_t i = r.first; i < r.first + r.count; ++i) {
                const korvale::PlanPt& pt = parts.way.way.points[i];
                const korvale::GeoResult g = korvale::ProjectUtmToGeo(state_, pt.N, pt.E);
                pp.waypoints.push_back({g.B, g.L});
                korvale::TerrainWaypoint tw;
                tw.at = {pt.E, pt.N};
                tw.altitude = in.heightM;
                overGround.push_back(tw);
            }
            pp.lengthM = r.lengthM;
            pp.modelMin = parts.times[k].TotalMin();
            if (HaveDem())
                pp.minClearanceM =
                    korvale::FollowTerrain(overGround, Dem(), TerrainSettingsOf()).minClearanceM;
            in.parts.push_back(std::move(pp));
        }
    } else {
        // A free line, an orbit or a mission read from a file, as the editor holds it.
        for (const korvale::MissionPart& part : korvale::MissionPartsOf(state_, options)) {
            if (part.recs.empty())
                continue;
            korvale::PreflightPart pp;
            for (const korvale::TlitchRec& r : part.recs)
                pp.waypoints.push_back({r.latitude, r.longitude});
            pp.lengthM = part.lengthM;
            pp.modelMin = part.timeMin;
            pp.minClearanceM = korvale::PartClearance(terrain_, state_.LitchiRecs.size(),
                                                      part.firstWaypoint, part.recs.size());
            in.parts.push_back(std::move(pp));
        }
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
