// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "litchi/orbit.h"

#include <cmath>
#include <cstddef>

#include "georef/transform.h"
#include "model/format.h"
#include "model/geodesy.h"

namespace korvale {

namespace {

bool IsIndex(int i, std::size_t size) {
    return i >= 0 && static_cast<std::size_t>(i) < size;
}

} // namespace

void Make(Torbit& o, float xb, float yb, float R, int n) {
    o.P.clear();
    o.L.clear();
    TPt centre{};
    centre.xb = xb;
    centre.yb = yb;
    centre.Typ = KindPOI;
    o.P.push_back(centre);
    if (n < 1) {
        return;
    }

    double delta = (360.0 / n) / Rho;
    // R is the radius of the polygon's inscribed circle; s its side.
    const double side = 2.0 * R * std::tan(delta / 2.0);
    if (side < 10.0) {
        // Too small to fly or to see: widen to a side of exactly 10 px.
        R = static_cast<float>(5.0 / std::tan(delta / 2.0));
    } else if (side > 500.0) {
        // Long sides cut far inside the circle: twice the corners, once.
        n *= 2;
        delta /= 2.0;
    }

    double a = 0.0;
    for (int k = 0; k < n; ++k) {
        TPt corner{};
        corner.xb = static_cast<float>(xb + R * std::sin(a));
        corner.yb = static_cast<float>(yb + R * std::cos(a));
        corner.Typ = KindFreeLine;
        o.P.push_back(corner);
        a -= delta;
    }
    for (int k = 1; k < n; ++k) {
        o.L.push_back({k, k + 1});
    }
    o.L.push_back({n, 1});
}

void Transformation(Torbit& o, const State& s) {
    for (TPt& p : o.P) {
        const EastNorth en = Trafone(s, p.xb, p.yb);
        p.E = en.E;
        p.N = en.N;
        const GeoResult g = ProjectUtmToGeo(s, p.N, p.E);
        p.B = g.B;
        p.L = g.L;
        p.c = g.c;
    }
}

void Show(const Torbit& o, Overlay& ov) {
    for (const TLine& side : o.L) {
        if (!IsIndex(side[0], o.P.size()) || !IsIndex(side[1], o.P.size())) {
            continue;
        }
        const TPt& a = o.P[static_cast<std::size_t>(side[0])];
        const TPt& b = o.P[static_cast<std::size_t>(side[1])];
        ov.Line(ColBlue, a.xb, a.yb, b.xb, b.yb);
    }
    for (std::size_t i = 0; i < o.P.size(); ++i) {
        const TPt& p = o.P[i];
        const Argb colour = MarkerColour(p.Typ);
        const double r = MarkerRadius(p.Typ);
        ov.Disc(colour, p.xb, p.yb, r);
        ov.Label(colour, p.xb, p.yb - r, p.xb + 20 + r, p.yb + r, Format("%d", {i}));
    }
}

void Makelitchi(const Torbit& o, State& s) {
    s.LitchiRecs.clear();
    s.LitchiLineOf.clear();
    if (o.P.empty()) {
        return;
    }
    const TPt& centre = o.P[0];
    // Corners 1 .. n-1: the last corner gets no waypoint, so the two sides through it are not
    // flown.
    for (std::size_t i = 1; i < o.L.size() && i + 1 < o.P.size(); ++i) {
        const TPt& here = o.P[i];
        TlitchRec r{};
        r.latitude = static_cast<float>(here.B);
        r.longitude = static_cast<float>(here.L);
        r.heading = static_cast<float>(AzDist(here, o.P[i + 1]).Az);
        r.poi_latitude = static_cast<float>(centre.B);
        r.poi_longitude = static_cast<float>(centre.L);
        s.LitchiRecs.push_back(r);
    }
}

void OrbitRelease(State& s, float downXb, float downYb, float xb, float yb, Overlay& ov) {
    const double dx = static_cast<double>(downXb) - xb;
    const double dy = static_cast<double>(downYb) - yb;
    const float R = static_cast<float>(std::sqrt(dx * dx + dy * dy));
    if (!s.Orbit) {
        s.Orbit.emplace();
    }
    Make(*s.Orbit, downXb, downYb, R, 12);
    Transformation(*s.Orbit, s);
    Show(*s.Orbit, ov);
    Makelitchi(*s.Orbit, s);
}

} // namespace korvale
