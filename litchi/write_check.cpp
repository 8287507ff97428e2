// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "litchi/write_check.h"

#include <algorithm>

#include "model/error.h"
#include "model/format.h"

namespace korvale {
namespace {

// With more than one part the pilot must know which file to open: every text names its part.
void NameThePart(std::vector<MissionFinding>& findings, std::size_t part, std::size_t parts) {
    if (parts < 2)
        return;
    for (auto& f : findings)
        f.text = Format("Teil %d: ", {part + 1}) + f.text;
}

bool AllPointStraightDown(const std::vector<TlitchRec>& recs) {
    return std::all_of(recs.begin(), recs.end(), [](const TlitchRec& r) {
        return r.gimbalmode == 2 && r.gimbalpitchangle == -90;
    });
}

bool AnyHeading(const std::vector<TlitchRec>& recs) {
    return std::any_of(recs.begin(), recs.end(), [](const TlitchRec& r) { return r.heading != 0; });
}

std::string SpeedLine(const std::vector<TlitchRec>& recs, const MissionCheckOptions& opt) {
    double v = opt.missionSpeed;
    if (v <= 0) {
        const auto it =
            std::find_if(recs.begin(), recs.end(), [](const TlitchRec& r) { return r.speed > 0; });
        v = it == recs.end() ? 0 : it->speed;
    }
    if (v <= 0)
        return "Reisegeschwindigkeit (Cruising Speed): die Datei nennt keine – in der App "
               "festlegen, höchstens 15 m/s";
    return Format("Reisegeschwindigkeit (Cruising Speed): %.1f m/s (%.1f km/h)", {v, v * 3.6});
}

std::string AltitudeLine(const TlitchRec& first) {
    const std::string height = FormatFixed(first.altitude, 1);
    if (first.altitudemode == 1)
        return "Höhenbezug des ersten Wegpunkts: " + height +
               " m über Grund (altitudemode 1) – die App braucht dafür Geländedaten";
    return "Höhenbezug des ersten Wegpunkts: " + height +
           " m über dem Startpunkt (altitudemode 0) – auf der Geländehöhe des Gebiets starten";
}

} // namespace

MissionWriteCheck CheckMissionForWrite(const std::vector<std::vector<TlitchRec>>& parts,
                                       const MissionCheckOptions& opt) {
    MissionWriteCheck out;
    std::vector<MissionFinding> hard;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        MissionCheck c = CheckMission(parts[k], opt);
        NameThePart(c.hard, k, parts.size());
        NameThePart(c.soft, k, parts.size());
        hard.insert(hard.end(), c.hard.begin(), c.hard.end());
        out.warnings.insert(out.warnings.end(), c.soft.begin(), c.soft.end());
        out.lengthM += c.lengthM;
    }
    if (!hard.empty())
        throw Error(ErrorKind::Limit,
                    "Die Mission überschreitet Grenzen der Drohne; es wurde nichts geschrieben.\n" +
                        FindingsText(hard) +
                        "\nAbhilfe: die genannten Werte ändern (im Editor, mit \"Alle ändern\" "
                        "für jeden Wegpunkt) oder das Gebiet kleiner planen.");
    return out;
}

std::vector<MissionFinding> CheckMissionAfterRead(const std::vector<TlitchRec>& recs) {
    MissionCheck c = CheckMission(recs, {});
    std::vector<MissionFinding> all = std::move(c.hard);
    all.insert(all.end(), c.soft.begin(), c.soft.end());
    return all;
}

std::string WarningsStatus(const std::vector<MissionFinding>& warnings) {
    if (warnings.empty())
        return {};
    return Format(warnings.size() == 1 ? "Achtung, %d Warnung (siehe Protokoll): %s"
                                       : "Achtung, %d Warnungen (siehe Protokoll): %s",
                  {warnings.size(), warnings.front().text});
}

std::vector<std::string> ManualSettingsLines(const std::vector<TlitchRec>& recs,
                                             const MissionCheckOptions& opt) {
    if (recs.empty())
        return {};
    std::vector<std::string> lines = {
        "In der Flug-App von Hand einzustellen (die CSV-Datei trägt es nicht):"};
    auto add = [&lines](const std::string& s) { lines.push_back("  " + s); };

    // The footprint of the plan puts the sensor's long side across the flight line, so a grid
    // is flown facing along the line; missions with headings of their own need them kept.
    if (opt.gridMission || !AnyHeading(recs))
        add("Ausrichtung (Heading Mode): Auto – in Flugrichtung zum nächsten Wegpunkt");
    else
        add("Ausrichtung (Heading Mode): Custom – die Richtung je Wegpunkt aus der Datei");
    add(SpeedLine(recs, opt));
    add("Aktion am Ende (Finish Action): Return to Home – zurück zum Startpunkt");
    add(AltitudeLine(recs.front()));
    if (AllPointStraightDown(recs))
        add("Kamera: senkrecht nach unten, Neigung -90° – steht in der Datei (gimbalmode 2)");
    else if (opt.gridMission)
        add("Kamera: senkrecht nach unten, Neigung -90° – vor dem Start in der App einstellen, "
            "die Datei setzt keine Neigung");
    else
        add("Kamera: Neigung wie je Wegpunkt in der Datei (gimbalpitchangle) – sonst in der App "
            "einstellen");
    if (opt.gridMission) {
        const int interval = recs.front().photo_timeinterval;
        if (interval > 0)
            add(Format("Fotos: alle %d s nach Zeit (photo_timeinterval) – Kamera im "
                       "Intervallmodus der Mission",
                       {interval}));
        else
            add("Fotos: die Datei hat kein Bildintervall – in der App ein Zeit- oder "
                "Abstandsintervall setzen");
    }
    return lines;
}

} // namespace korvale
