// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "litchi/limits.h"

#include <cmath>
#include <limits>
#include <optional>

#include "model/error.h"
#include "model/format.h"
#include "model/state.h"

namespace korvale {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The waypoint engine of the drones the flight app drives, and the app itself.
constexpr std::string_view kEngine = "Wegpunktsteuerung der Drohne";
constexpr std::string_view kApp = "Litchi-App";

const std::vector<MissionLimit> kLimits = {
    {"waypoints", "Wegpunkte je Mission", 2, 99, "", kEngine},
    {"leg", "Abstand zweier Wegpunkte", 0.5, 2000, "m", kEngine},
    {"altitude", "Höhe über dem Start", -200, 500, "m", kEngine},
    {"speed", "Geschwindigkeit", 0, 15, "m/s", kEngine},
    {"gimbalpitch", "Neigung der Kamera", -90, 30, "°", kEngine},
    {"actions", "Aktionen je Wegpunkt", 0, 15, "", kApp},
    {"actiontype", "Aktionstyp", -1, 5, "", kApp},
    {"curvesize", "Kurvenradius", 0, kInf, "m", kApp},
    {"length", "Flugstrecke je Mission", 0, 30000, "m", kEngine},
};

std::string Num(double v) {
    // Whole limits print without decimals, measured values with one.
    return v == std::floor(v) && std::fabs(v) < 1e15 ? Format("%.0f", {v}) : Format("%.1f", {v});
}

std::string RangeText(const MissionLimit& l) {
    const std::string unit = l.unit.empty() ? "" : Format(" %s", {l.unit});
    if (std::isinf(l.max))
        return "mindestens " + Num(l.min) + unit;
    return Num(l.min) + " bis " + Num(l.max) + unit;
}

std::string OutsideText(const MissionLimit& l, double value) {
    return std::string(l.what) + " " + Num(value) +
           (l.unit.empty() ? "" : Format(" %s", {l.unit})) + " liegt außerhalb von " +
           RangeText(l) + " (" + std::string(l.source) + ").";
}

class Collector {
  public:
    explicit Collector(MissionCheck& c) : c_(c) {}

    void Hard(int wp, std::string_view column, const MissionLimit& l, double value,
              double shownMax) {
        MissionLimit shown = l;
        shown.max = shownMax;
        c_.hard.push_back({FindingSeverity::Hard, wp, std::string(column), std::string(l.key),
                           Where(wp, column) + OutsideText(shown, value)});
    }

    void HardText(int wp, std::string_view column, std::string_view key, const std::string& text) {
        c_.hard.push_back({FindingSeverity::Hard, wp, std::string(column), std::string(key),
                           Where(wp, column) + text});
    }

    void Soft(int wp, std::string_view column, std::string_view key, const std::string& text) {
        c_.soft.push_back({FindingSeverity::Soft, wp, std::string(column), std::string(key),
                           Where(wp, column) + text});
    }

  private:
    static std::string Where(int wp, std::string_view column) {
        if (wp == 0)
            return "Mission: ";
        std::string w = Format("Wegpunkt %d", {wp});
        if (!column.empty())
            w += ", Spalte " + std::string(column);
        return w + ": ";
    }

    MissionCheck& c_;
};

bool Outside(double v, const MissionLimit& l) {
    return !(v >= l.min && v <= l.max);
}

} // namespace

const std::vector<MissionLimit>& MissionLimits() {
    return kLimits;
}

const MissionLimit& MissionLimitOf(std::string_view key) {
    for (const auto& l : kLimits)
        if (l.key == key)
            return l;
    throw Error(ErrorKind::Internal, "Unbekannte Grenze: " + std::string(key));
}

std::optional<std::string> LimitViolation(std::string_view key, double value) {
    const MissionLimit& l = MissionLimitOf(key);
    if (!Outside(value, l))
        return std::nullopt;
    return OutsideText(l, value);
}

double WaypointDistance(double lat1, double lon1, double lat2, double lon2) {
    // Radii of curvature in the meridian (M) and the prime vertical (N) at the mean latitude:
    // over a leg of a few kilometres the ellipsoid is a plane to far better than a centimetre.
    const double e2 = EllipsoidF * (2 - EllipsoidF);
    const double phi = (lat1 + lat2) / 2 / Rho;
    const double w = std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
    const double M = EllipsoidA * (1 - e2) / (w * w * w);
    const double N = EllipsoidA / w;
    const double dn = (lat2 - lat1) / Rho * M;
    // A leg across 180 degrees is short, not once around the earth.
    double dLon = lon2 - lon1;
    if (std::fabs(dLon) > 180.0)
        dLon -= 360.0 * std::floor((dLon + 180.0) / 360.0);
    const double de = dLon / Rho * N * std::cos(phi);
    return std::hypot(dn, de);
}

MissionCheck CheckMission(const std::vector<TlitchRec>& recs, const MissionCheckOptions& opt) {
    MissionCheck c;
    Collector out(c);
    const auto& lWp = MissionLimitOf("waypoints");
    const auto& lLeg = MissionLimitOf("leg");
    const auto& lAlt = MissionLimitOf("altitude");
    const auto& lSpeed = MissionLimitOf("speed");
    const auto& lPitch = MissionLimitOf("gimbalpitch");
    const auto& lActions = MissionLimitOf("actions");
    const auto& lType = MissionLimitOf("actiontype");
    const auto& lCurve = MissionLimitOf("curvesize");
    const auto& lLength = MissionLimitOf("length");

    const int n = static_cast<int>(recs.size());
    if (n > opt.maxWaypoints)
        out.Hard(0, "", lWp, n, opt.maxWaypoints);
    else if (n < lWp.min)
        out.Soft(0, "", "waypoints",
                 Format("die Mission hat %d Wegpunkte; die Drohne fliegt erst ab %d.",
                        {n, static_cast<int>(lWp.min)}));

    int altitudeZero = 0;
    int speedZero = 0;
    int intervalZero = 0;
    for (int i = 0; i < n; ++i) {
        const TlitchRec& r = recs[static_cast<std::size_t>(i)];
        const int wp = i + 1;
        if (Outside(r.altitude, lAlt))
            out.Hard(wp, "altitude(m)", lAlt, r.altitude, lAlt.max);
        else if (r.altitude <= 0)
            ++altitudeZero;
        if (Outside(r.speed, lSpeed))
            out.Hard(wp, "speed(m/s)", lSpeed, r.speed, lSpeed.max);
        else if (r.speed == 0 && opt.missionSpeed <= 0)
            ++speedZero;
        if (Outside(r.gimbalpitchangle, lPitch))
            out.Hard(wp, "gimbalpitchangle", lPitch, r.gimbalpitchangle, lPitch.max);
        if (Outside(r.curvesize, lCurve))
            out.Hard(wp, "curvesize(m)", lCurve, r.curvesize, lCurve.max);
        int actions = 0;
        for (std::size_t k = 0; k < r.Actions.size(); ++k) {
            const int type = r.Actions[k].actiontype;
            if (type != -1)
                ++actions;
            if (Outside(type, lType))
                out.Hard(wp, Format("actiontype%d", {static_cast<int>(k + 1)}), lType, type,
                         lType.max);
        }
        if (Outside(actions, lActions))
            out.Hard(wp, "", lActions, actions, lActions.max);
        if (opt.gridMission && r.photo_timeinterval <= 0)
            ++intervalZero;
    }

    for (int i = 0; i + 1 < n; ++i) {
        const TlitchRec& a = recs[static_cast<std::size_t>(i)];
        const TlitchRec& b = recs[static_cast<std::size_t>(i) + 1];
        const double d = WaypointDistance(a.latitude, a.longitude, b.latitude, b.longitude);
        c.lengthM += d;
        const int wp = i + 2;
        // Written so that a position that is no number (a float column overflowing to
        // infinity in another tool's file) fails the leg instead of passing every test.
        if (!(d <= lLeg.max))
            out.Hard(wp, "", lLeg, d, lLeg.max);
        else if (d < 0.6)
            out.Soft(wp, "", "leg-short",
                     Format("nur %s m vom vorigen Wegpunkt entfernt; unter 0.6 m überspringt "
                            "die Drohne Wegpunkte.",
                            {FormatFixed(d, 2)}));
        // The curve at each end takes its radius out of the leg; both together must leave
        // a straight piece, or the engine refuses the mission.
        const double radii = static_cast<double>(a.curvesize) + b.curvesize;
        if (radii > 0 && radii >= d)
            out.HardText(wp, "curvesize(m)", "curvefit",
                         "die Kurvenradien " + Num(a.curvesize) + " m und " + Num(b.curvesize) +
                             " m passen nicht in den " + FormatFixed(d, 1) +
                             " m langen Abschnitt vom vorigen Wegpunkt (" +
                             std::string(lCurve.source) + ").");
    }
    if (!(c.lengthM <= lLength.max))
        out.Hard(0, "", lLength, c.lengthM, lLength.max);

    if (altitudeZero > 0)
        out.Soft(0, "altitude(m)", "altitude-zero",
                 Format(altitudeZero == 1 ? "%d Wegpunkt mit Höhe 0 m oder darunter."
                                          : "%d Wegpunkte mit Höhe 0 m oder darunter.",
                        {altitudeZero}));
    if (speedZero > 0)
        out.Soft(
            0, "speed(m/s)", "speed-zero",
            Format(speedZero == 1
                       ? "%d Wegpunkt mit Geschwindigkeit 0 und keine Missionsgeschwindigkeit: "
                         "die App fliegt dann ihre Voreinstellung."
                       : "%d Wegpunkte mit Geschwindigkeit 0 und keine Missionsgeschwindigkeit: "
                         "die App fliegt dann ihre Voreinstellung.",
                   {speedZero}));
    if (intervalZero > 0)
        out.Soft(0, "photo_timeinterval", "interval-zero",
                 "das Bildintervall wurde auf 0 s gekürzt: die Kamera löst nicht nach Zeit aus. "
                 "Höher fliegen oder langsamer.");
    return c;
}

std::string FindingsText(const std::vector<MissionFinding>& findings) {
    std::string text;
    for (const auto& f : findings) {
        if (!text.empty())
            text += '\n';
        text += f.text;
    }
    return text;
}

} // namespace korvale
