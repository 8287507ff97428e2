// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dji/preflight.h"

#include <algorithm>

#include "model/error.h"
#include "model/format.h"

namespace korvale {

namespace {

std::string Pos(const PreflightPos& p) {
    return Format("%.6f, %.6f", {p.lat, p.lon});
}

// What the pilot sets in the app before the mission starts: the file carries the route, not the
// camera, and a wrong exposure or focus spoils every picture of the flight.
std::vector<std::string> HandSettings(const PreflightInput& in) {
    std::vector<std::string> s;
    if (in.exposureS > 0)
        s.push_back(Format("Verschlusszeit 1/%d s oder kürzer (Kamera manuell oder "
                           "Zeitvorwahl), ISO automatisch",
                           {1.0 / in.exposureS}));
    s.emplace_back("Fokus auf unendlich, Autofokus aus");
    if (in.imageWidthPx > 0 && in.imageHeightPx > 0)
        s.push_back(Format("Fotoformat: volle Auflösung %d × %d Pixel, JPEG",
                           {in.imageWidthPx, in.imageHeightPx}));
    s.emplace_back("Bei Signalverlust: Rückkehr zum Startpunkt, RTH-Höhe über dem höchsten "
                   "Hindernis");
    s.push_back(Format("Routengeschwindigkeit %.1f m/s prüfen", {in.speedMps}));
    switch (in.app) {
    case FlightApp::DjiFly:
        s.emplace_back("DJI Fly: jedes Foto ist ein Wegpunkt; Aktion am Ende: Rückkehr");
        break;
    case FlightApp::Pilot2:
        s.emplace_back("DJI Pilot 2: Route öffnen, Kamera und Aktion am Ende (Rückkehr) prüfen");
        break;
    case FlightApp::Litchi:
        s.emplace_back("Litchi: Mission laden, Einstellung 'Am Ende: RTH' wählen");
        break;
    }
    s.emplace_back(FlightAppImportHint(in.app));
    return s;
}

} // namespace

std::optional<double> PartClearance(const TerrainResult& t, std::size_t missionSize,
                                    std::size_t first, std::size_t count) {
    if (t.waypoints.size() != missionSize || count == 0 || first + count > missionSize)
        return std::nullopt;
    double least = 0;
    bool any = false;
    auto take = [&](double h) {
        least = any ? std::min(least, h) : h;
        any = true;
    };
    for (std::size_t j = first; j < first + count; ++j)
        take(t.takeoffGround + t.waypoints[j].altitude - t.waypoints[j].ground);
    // The legs of the part start at its waypoints up to the one before its last.
    const std::size_t fromLeg = t.waypoints[first].leg;
    const std::size_t toLeg = t.waypoints[first + count - 1].leg;
    for (const ProfileSample& ps : t.profile)
        if (ps.leg >= fromLeg && ps.leg < toLeg)
            take(ps.flight - ps.ground);
    return least;
}

std::vector<PreflightPage> PreflightSheet(const PreflightInput& in) {
    if (in.parts.empty())
        throw Error(ErrorKind::Refused, "Vorflugblatt: Es gibt keine Mission.\nErst eine Mission "
                                        "erstellen (Litchi RasterL, FreeL oder Orbit).");
    if (!(in.batteryMin > 0))
        throw Error(ErrorKind::Refused, "Vorflugblatt: Die Akkuzeit muss größer als 0 min sein.\n"
                                        "Akku (min) auf der Seite Litchi CSV");
    if (!(in.reservePct >= 0 && in.reservePct <= 50))
        throw Error(ErrorKind::Refused, "Vorflugblatt: Die Akkureserve muss zwischen 0 und 50 % "
                                        "liegen.\nReserve %");
    const std::vector<std::string> settings = HandSettings(in);
    const std::string drone = in.droneName.empty() ? "eigene Kamerawerte" : in.droneName;
    const std::string app(FlightAppName(in.app));
    const double usablePct = 100.0 - in.reservePct;
    std::vector<PreflightPage> pages;
    const std::size_t n = in.parts.size();
    for (std::size_t k = 0; k < n; ++k) {
        const PreflightPart& part = in.parts[k];
        PreflightPage pg;
        pg.title = Format("Vorflugblatt – Teil %d von %d", {k + 1, n});
        pg.route = part.waypoints;
        const PreflightPos first = part.waypoints.empty() ? PreflightPos{} : part.waypoints.front();
        pg.takeoff = in.takeoff.value_or(first);
        const double sharePct = part.modelMin / in.batteryMin * 100.0;
        auto row = [&pg](std::string label, std::string value) {
            pg.rows.emplace_back(std::move(label), std::move(value));
        };
        row("Teil", Format("%d von %d", {k + 1, n}));
        row("Drohne", drone);
        row("App", app);
        row("Startpunkt (1. Wegpunkt)", part.waypoints.empty() ? "–" : Pos(first));
        row("Abflugort", in.takeoff ? Pos(*in.takeoff) : "am 1. Wegpunkt");
        row("Wegpunkte", Format("%d", {part.waypoints.size()}));
        row("Strecke", Format("%.0f m", {part.lengthM}));
        row("Flugzeit (Modell)", Format("%.1f min", {part.modelMin}));
        row("Akkuanteil", Format("%.0f %% von %.0f min (nutzbar %.0f %%, Reserve %.0f %%)",
                                 {sharePct, in.batteryMin, usablePct, in.reservePct}));
        row("Flughöhe", Format("%.0f m über dem Abflugort", {in.heightM}));
        if (part.minClearanceM)
            row("Geringste Höhe über Grund", Format("%.1f m", {*part.minClearanceM}));
        row("Geschwindigkeit", Format("%.1f m/s (%.0f km/h)", {in.speedMps, in.speedMps * 3.6}));
        row("Grenze der Geschwindigkeit",
            in.speedLimitMps > 0 ? Format("%.1f m/s – %s", {in.speedLimitMps, in.limitBy})
                                 : std::string("unbekannt"));
        if (in.speedLimitMps > 0 && in.speedMps > in.speedLimitMps)
            pg.warnings.push_back(Format("Geschwindigkeit über der Grenze (%s): Bilder werden "
                                         "unscharf oder fehlen",
                                         {in.limitBy}));
        if (sharePct > usablePct)
            pg.warnings.push_back(Format("Der Teil braucht %.0f %% des Akkus, mehr als die "
                                         "nutzbaren %.0f %%",
                                         {sharePct, usablePct}));
        pg.settings = settings;
        pages.push_back(std::move(pg));
    }
    return pages;
}

std::string PreflightText(const std::vector<PreflightPage>& pages) {
    std::string out;
    for (const PreflightPage& pg : pages) {
        if (!out.empty())
            out += '\n';
        out.append(pg.title).append("\n");
        for (const auto& [label, value] : pg.rows)
            out.append("  ").append(label).append(": ").append(value).append("\n");
        out += "  Von Hand in der App einstellen:\n";
        for (const std::string& s : pg.settings)
            out.append("    – ").append(s).append("\n");
        for (const std::string& w : pg.warnings)
            out.append("  Achtung: ").append(w).append("\n");
    }
    return out;
}

} // namespace korvale
