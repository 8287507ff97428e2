// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Control-point quality: residuals, RMS, sigma0, leave-one-out outliers, residual arrows.
#include "georef/quality.h"

#include <algorithm>
#include <cmath>

#include "georef/transform.h"
#include "model/format.h"
#include "model/geodesy.h"

namespace korvale {

namespace {

constexpr double kMaxArrowPixels = 100.0;
constexpr int kArrowFactors[] = {100, 50, 20, 10, 5, 2, 1};

struct Residual {
    double vE, vN; // measured minus fitted, metres
    double dx, dy; // pixels
    double metres, pixels;
};

// The residual of point p against fit g, in metres and (through the fit's scale and rotation)
// in map pixels: where p's ground coordinates lie on the map, seen from where it was clicked.
Residual ResidualOf(const SimilarityFit& g, const TPt& p) {
    const EastNorth m = FitModel(g, p.xb, p.yb);
    Residual r{};
    r.vE = p.E - m.E;
    r.vN = p.N - m.N;
    const double D = g.O * g.O + g.A * g.A;
    r.dx = (g.O * r.vE + g.A * r.vN) / D;
    r.dy = (g.A * r.vE - g.O * r.vN) / D;
    r.metres = std::hypot(r.vE, r.vN);
    r.pixels = r.metres / g.M;
    return r;
}

// Sum of squared residual lengths (m^2) of the points in fit g (those UsedInFit but leaveOut).
double SumSquares(const SimilarityFit& g, const std::vector<TPt>& pts, int leaveOut) {
    double V = 0;
    for (std::size_t j = 0; j < pts.size(); ++j) {
        if (!UsedInFit(pts[j]) || static_cast<long long>(j) == leaveOut)
            continue;
        const Residual r = ResidualOf(g, pts[j]);
        V += r.vE * r.vE + r.vN * r.vN;
    }
    return V;
}

// Predicts point p from fit g (which does not contain p) and judges it against the limit.
void Judge(const SimilarityFit& g, const std::vector<TPt>& pts, int leaveOut, const TPt& p,
           ControlResidual& out) {
    if (!g.ok)
        return;
    out.hasLoo = true;
    out.looPixels = ResidualOf(g, p).pixels;
    if (g.n < 3)
        return; // two points fit exactly: nothing to measure the scatter by
    const double s0 = std::sqrt(SumSquares(g, pts, leaveOut) / (2.0 * g.n - 4.0)) / g.M;
    const double du = p.xb - g.Xbs;
    const double dv = p.yb - g.Ybs;
    const double spread = std::sqrt(1.0 + 1.0 / g.n + (du * du + dv * dv) / g.Q);
    out.hasLimit = true;
    out.limitPixels = std::max(OutlierFactor(2 * g.n - 4) * s0 * spread, OutlierMinPixels);
    out.outlier = out.looPixels > out.limitPixels;
}

} // namespace

double OutlierFactor(int dof) {
    const double nu = dof;
    return std::sqrt(nu * std::expm1(-2.0 / nu * std::log(OutlierFalseAlarm)));
}

ControlQuality ControlPointQuality(const State& s) {
    ControlQuality q;
    const std::vector<TPt>& pts = s.Points;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        if (pts[i].Typ != KindControl)
            continue;
        ControlResidual r;
        r.index = static_cast<int>(i);
        r.used = !pts[i].Off;
        (r.used ? q.used : q.off) += 1;
        q.points.push_back(r);
    }
    const SimilarityFit f = FitSimilarity(pts);
    if (!f.ok)
        return q;
    q.fitted = true;
    q.metresPerPixel = f.M;

    double V = 0, maxPixels = 0;
    for (ControlResidual& r : q.points) {
        const TPt& p = pts[static_cast<std::size_t>(r.index)];
        const Residual v = ResidualOf(f, p);
        r.vE = v.vE;
        r.vN = v.vN;
        r.dx = v.dx;
        r.dy = v.dy;
        r.metres = v.metres;
        r.pixels = v.pixels;
        if (r.used) {
            V += v.metres * v.metres;
            maxPixels = std::max(maxPixels, v.pixels);
            Judge(FitSimilarity(pts, r.index), pts, r.index, p, r);
        } else {
            // A switched-off point is not in the fit: its residual already is the one "without
            // the point", judged against the fit of the others.
            Judge(f, pts, -1, p, r);
        }
    }
    const double n = q.used;
    q.rmsMetres = std::sqrt(V / n);
    q.rmsPixels = q.rmsMetres / f.M;
    if (q.used >= 3) {
        q.hasSigma0 = true;
        q.sigma0Metres = std::sqrt(V / (2.0 * n - 4.0));
        q.sigma0Pixels = q.sigma0Metres / f.M;
    }
    q.arrowFactor = 1;
    for (int factor : kArrowFactors) {
        if (factor * maxPixels <= kMaxArrowPixels) {
            q.arrowFactor = factor;
            break;
        }
    }
    return q;
}

std::string QualityCaption(const ControlQuality& q, const State& s) {
    std::string t = Format("UTM-Zone %d %s; Passpunkte: %d verwendet, %d ausgeschaltet",
                           {ZoneOf(s), s.UtmSouth ? "Süd" : "Nord", q.used, q.off});
    if (!q.fitted)
        return t + "\nAbweichungen erst mit zwei verwendeten Passpunkten an verschiedenen "
                   "Positionen.";
    t += Format("; Maßstab %.4f m/px\nRMS = √(Σv²/n) = %.3f m = %.2f px",
                {q.metresPerPixel, q.rmsMetres, q.rmsPixels});
    if (q.hasSigma0)
        t += Format("; s0 = √(Σv²/(2n−4)) = %.3f m = %.2f px (Ähnlichkeitstransformation, 4 "
                    "Unbekannte)",
                    {q.sigma0Metres, q.sigma0Pixels});
    else
        t += "; s0 = √(Σv²/(2n−4)) erst ab 3 Passpunkten";
    t += Format(
        "\nAusreißer: Abweichung vom Ausgleich ohne den Punkt größer als die Grenze "
        "k · s0' · √(1 + 1/m + d²/Q), mindestens %.0f px (s0', m Punkte, "
        "Schwerpunktabstand d und Q aus dem Ausgleich ohne den Punkt; k = √(2F) mit F "
        "dem %.0f-%%-Quantil der F-Verteilung mit 2 und 2m−4 Freiheitsgraden: ein "
        "richtiger Punkt gilt mit %.0f %% Wahrscheinlichkeit als Ausreißer). Pfeile "
        "%d-fach vergrößert.",
        {OutlierMinPixels, 100 * (1 - OutlierFalseAlarm), 100 * OutlierFalseAlarm, q.arrowFactor});
    return t;
}

std::vector<std::string> QualityColumnTitles() {
    return {"Nr",       "dE [m]",          "dN [m]",      "|d| [m]",
            "|d| [px]", "ohne Punkt [px]", "Grenze [px]", "Bewertung"};
}

std::vector<std::string> QualityCells(const ControlQuality& q, const ControlResidual& r) {
    std::vector<std::string> c;
    c.push_back(Format("%d", {r.index}));
    if (!q.fitted) {
        c.insert(c.end(), {"", "", "", "", "", "", r.used ? "" : "ausgeschaltet"});
        return c;
    }
    c.push_back(Format("%.3f", {r.vE}));
    c.push_back(Format("%.3f", {r.vN}));
    c.push_back(Format("%.3f", {r.metres}));
    c.push_back(Format("%.2f", {r.pixels}));
    c.push_back(r.hasLoo ? Format("%.2f", {r.looPixels}) : std::string("–"));
    c.push_back(r.hasLimit ? Format("%.2f", {r.limitPixels}) : std::string("–"));
    std::string verdict;
    if (!r.hasLimit)
        verdict = "zu wenige Punkte";
    else if (r.outlier)
        verdict = "Ausreißer";
    else
        verdict = "in Ordnung";
    if (!r.used)
        verdict = "ausgeschaltet, " + verdict;
    c.push_back(verdict);
    return c;
}

std::string SwitchedText(int index, bool off) {
    return Format(off ? "Passpunkt %d wird nicht verwendet; Tr rechnet die Transformation ohne "
                        "ihn."
                      : "Passpunkt %d wird wieder verwendet; Tr rechnet die Transformation mit "
                        "ihm.",
                  {index});
}

void ShowResiduals(const State& s, const ControlQuality& q, Overlay& o) {
    for (const ControlResidual& r : q.points) {
        const TPt& p = s.Points[static_cast<std::size_t>(r.index)];
        const double x = p.xb, y = p.yb;
        if (!r.used) {
            // No arrow: enlarged by a factor chosen for the good points it would cross the
            // whole map; the table gives its residual.
            o.Circle(ColSwitchedOff, x, y, 8);
            o.Line(ColSwitchedOff, x - 8, y - 8, x + 8, y + 8);
            o.Line(ColSwitchedOff, x - 8, y + 8, x + 8, y - 8);
            continue;
        }
        if (!q.fitted)
            continue;
        const double ex = x + q.arrowFactor * r.dx;
        const double ey = y + q.arrowFactor * r.dy;
        const double len = std::hypot(ex - x, ey - y);
        if (!(len >= 1.0))
            continue; // nothing to see
        const Argb col = r.outlier ? ColOutlier : ColArrow;
        o.Line(col, x, y, ex, ey);
        // Arrow head: two strokes back from the tip at +-25 degrees.
        const double head = std::min(8.0, len / 3);
        const double ux = (x - ex) / len, uy = (y - ey) / len;
        constexpr double c = 0.9063077870366499, sn = 0.42261826174069944; // cos, sin 25 deg
        o.Line(col, ex, ey, ex + head * (c * ux - sn * uy), ey + head * (sn * ux + c * uy));
        o.Line(col, ex, ey, ex + head * (c * ux + sn * uy), ey + head * (-sn * ux + c * uy));
    }
}

} // namespace korvale
