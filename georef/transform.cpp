// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The similarity transformation map position <-> UTM: least-squares fit, both directions, and
// the filling of points that have no ground coordinates yet.
#include "georef/transform.h"

#include <cmath>
#include <limits>

#include "model/error.h"
#include "model/format.h"
#include "model/geodesy.h"

namespace korvale {

namespace {

EastNorth Model(const SimilarityFit& f, double xb, double yb) {
    const double u = xb - f.Xbs;
    const double v = yb - f.Ybs;
    return {f.Ys + f.O * u + f.A * v, f.Xs + f.A * u - f.O * v};
}

} // namespace

bool UsedInFit(const TPt& p) {
    return p.Typ == KindControl && !p.Off;
}

SimilarityFit FitSimilarity(const std::vector<TPt>& points, int leaveOut) {
    SimilarityFit f;
    const auto takes = [&](std::size_t i) {
        return UsedInFit(points[i]) && static_cast<long long>(i) != leaveOut;
    };
    int n = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!takes(i))
            continue;
        const TPt& p = points[i];
        f.Xbs += p.xb;
        f.Ybs += p.yb;
        f.Ys += p.E;
        f.Xs += p.N;
        ++n;
    }
    if (n > 0) {
        f.Xbs /= n;
        f.Ybs /= n;
        f.Ys /= n;
        f.Xs /= n;
    }

    double S1 = 0, S2 = 0, S3 = 0, S4 = 0, Q = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!takes(i))
            continue;
        const TPt& p = points[i];
        const double u = p.xb - f.Xbs;
        const double v = p.yb - f.Ybs;
        const double dE = p.E - f.Ys;
        const double dN = p.N - f.Xs;
        S1 += v * dE;
        S2 += u * dN;
        S3 += u * dE;
        S4 += v * dN;
        Q += u * u + v * v;
    }
    f.n = n;
    f.Q = Q;
    // Q is 0 with fewer than two points or with all of them on one pixel: then the
    // coefficients are undefined.
    f.ok = n >= 2 && Q > 0;
    if (f.ok) {
        f.A = (S1 + S2) / Q;
        f.O = (S3 - S4) / Q;
        f.M = std::sqrt(f.O * f.O + f.A * f.A);
    }
    return f;
}

EastNorth FitModel(const SimilarityFit& f, double xb, double yb) {
    return Model(f, xb, yb);
}

TrafResult TrafPar(State& s) {
    const SimilarityFit f = FitSimilarity(s.Points);
    const int n = f.n;
    // Without a defined fit the old transformation must stay usable.
    if (!f.ok)
        throw Error(ErrorKind::Refused,
                    "Für die Passpunkttransformation werden mindestens zwei Passpunkte an "
                    "verschiedenen Positionen benötigt.");

    TrafResult r;
    r.protocol.emplace_back("Passpunkttransformation");
    double V = 0;
    for (std::size_t i = 0; i < s.Points.size(); ++i) {
        const TPt& p = s.Points[i];
        if (!UsedInFit(p))
            continue;
        const EastNorth m = Model(f, p.xb, p.yb);
        // Measured minus computed in E, computed minus measured in N: the opposite signs are
        // part of the protocol as users read it.
        const double vE = p.E - m.E;
        const double vN = m.N - p.N;
        V += vE * vE + vN * vN;
        r.protocol.push_back(Format("%4d x%6.2f y%6.2f E%12.2f N%12.2f vE%6.2f vN%6.2f",
                                    {static_cast<int>(i), p.xb, p.yb, m.E, m.N, vE, vN}));
    }
    // Divisor 2n - 2 (not the 2n - 4 of four parameters): the threshold for mp belongs to it.
    r.m0 = std::sqrt(V / (2.0 * n - 2.0));
    r.mp = std::sqrt(2.0) * r.m0;
    r.protocol.push_back(
        Format("ybs %5.0f xbs %5.0f Ys %10.2f Xs %10.2f o %10.6f a %10.6f M %10.6f m0 %10.6f "
               "mp %10.2f",
               {f.Ybs, f.Xbs, f.Ys, f.Xs, f.O, f.A, f.M, r.m0, r.mp}));
    r.status = Format("Transformation: Pixelgröße m:%10.6f m0 %10.6f mp %10.2f", {f.M, r.m0, r.mp});
    r.ok = r.mp < 2.0;

    s.TrafO = f.O;
    s.TrafA = f.A;
    s.TrafM = f.M;
    s.TrafYbs = f.Ybs;
    s.TrafXbs = f.Xbs;
    s.TrafYs = f.Ys;
    s.TrafXs = f.Xs;
    return r;
}

EastNorth Trafone(const State& s, float xb, float yb) {
    const double u = static_cast<double>(xb) - s.TrafXbs;
    const double v = static_cast<double>(yb) - s.TrafYbs;
    return {s.TrafYs + s.TrafO * u + s.TrafA * v, s.TrafXs + s.TrafA * u - s.TrafO * v};
}

ImagePos Trafback(const State& s, double X, double Y) {
    const double D = s.TrafO * s.TrafO + s.TrafA * s.TrafA;
    if (D == 0) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan};
    }
    const double dN = X - s.TrafXs;
    const double dE = Y - s.TrafYs;
    return {s.TrafXbs + (s.TrafO * dE + s.TrafA * dN) / D,
            s.TrafYbs + (s.TrafA * dE - s.TrafO * dN) / D};
}

void Trafall(State& s) {
    // Without a transformation every position maps to E = 0: nothing can be given, and the
    // geographic fields must not be filled from that meaningless origin.
    if (s.TrafO == 0 && s.TrafA == 0)
        return;
    for (TPt& p : s.Points) {
        if (p.E != 0)
            continue;
        const EastNorth m = Trafone(s, p.xb, p.yb);
        p.E = m.E;
        p.N = m.N;
        const GeoResult g = ProjectUtmToGeo(s, m.N, m.E);
        p.B = g.B;
        p.L = g.L;
        p.c = g.c;
    }
}

} // namespace korvale
