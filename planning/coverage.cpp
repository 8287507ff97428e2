// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/coverage.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "model/error.h"
#include "model/format.h"

namespace korvale {

namespace {

constexpr double kRho = 180.0 / 3.14159265358979323846;

bool Finite(PlanPt p) {
    return std::isfinite(p.E) && std::isfinite(p.N);
}

// A position in cell units from the grid's corner: the centre of cell (c, r) is at
// (c + 0.5, r + 0.5). Working in small local numbers keeps the eastings' zone prefix out of
// every product.
struct Local {
    double x, y;
};

// First and last index whose centre (i + 0.5) lies in [lo, hi], clamped to 0 .. n - 1; empty
// when first > last.
std::pair<long long, long long> CentresIn(double lo, double hi, long long n) {
    const double first = std::ceil(lo - 0.5), last = std::floor(hi - 0.5);
    const long long f = first < 0 ? 0 : static_cast<long long>(std::min(first, 9e18));
    const long long l =
        last >= static_cast<double>(n - 1) ? n - 1 : static_cast<long long>(std::max(last, -1.0));
    return {f, l};
}

// Sets every cell whose centre lies inside the ring (even-odd, half-open in the north) to
// `value`. The crossings of one row are few, so a sort per row is cheap.
void FillRing(const std::vector<Local>& ring, CoverageGrid& g, std::uint16_t value) {
    if (ring.size() < 3)
        return;
    double yMin = ring[0].y, yMax = ring[0].y;
    for (const Local& p : ring) {
        yMin = std::min(yMin, p.y);
        yMax = std::max(yMax, p.y);
    }
    const auto [r0, r1] = CentresIn(yMin, yMax, g.rows);
    std::vector<double> xs;
    for (long long r = r0; r <= r1; ++r) {
        const double y = static_cast<double>(r) + 0.5;
        xs.clear();
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const Local& a = ring[i];
            const Local& b = ring[(i + 1) % ring.size()];
            if ((a.y <= y) != (b.y <= y))
                xs.push_back(a.x + (y - a.y) / (b.y - a.y) * (b.x - a.x));
        }
        std::sort(xs.begin(), xs.end());
        std::uint16_t* row =
            g.count.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(g.cols);
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
            const auto [c0, c1] = CentresIn(xs[k], xs[k + 1], g.cols);
            for (long long c = c0; c <= c1; ++c)
                row[c] = value;
        }
    }
}

// Adds one to every cell inside the area whose centre lies in the convex quadrilateral (its
// edges included). No-data cells and full cells stay as they are: one comparison for both.
void CountQuad(const std::array<Local, 4>& q, CoverageGrid& g) {
    double yMin = q[0].y, yMax = q[0].y;
    for (const Local& p : q) {
        yMin = std::min(yMin, p.y);
        yMax = std::max(yMax, p.y);
    }
    const auto [r0, r1] = CentresIn(yMin, yMax, g.rows);
    for (long long r = r0; r <= r1; ++r) {
        const double y = static_cast<double>(r) + 0.5;
        double xl = HUGE_VAL, xr = -HUGE_VAL;
        for (std::size_t i = 0; i < 4; ++i) {
            const Local& a = q[i];
            const Local& b = q[(i + 1) % 4];
            if (y < std::min(a.y, b.y) || y > std::max(a.y, b.y))
                continue;
            if (a.y == b.y) { // an edge along the row: both its ends are on it
                xl = std::min({xl, a.x, b.x});
                xr = std::max({xr, a.x, b.x});
                continue;
            }
            const double x = a.x + (y - a.y) / (b.y - a.y) * (b.x - a.x);
            xl = std::min(xl, x);
            xr = std::max(xr, x);
        }
        if (!(xl <= xr))
            continue;
        const auto [c0, c1] = CentresIn(xl, xr, g.cols);
        std::uint16_t* row =
            g.count.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(g.cols);
        for (long long c = c0; c <= c1; ++c)
            if (row[c] < CoverageMaxCount)
                ++row[c];
    }
}

void RefuseRing(const std::vector<PlanPt>& ring) {
    for (const PlanPt& p : ring)
        if (!Finite(p))
            throw Error(ErrorKind::Refused,
                        "Die Abdeckung kann nicht berechnet werden: ein Eckpunkt des Gebiets hat "
                        "keine gültigen Koordinaten.");
}

} // namespace

std::vector<Footprint> PictureFootprints(const FlightPlan& plan, const FootprintCamera& cam,
                                         const std::vector<double>& heightsM) {
    const auto positive = [](double v) { return std::isfinite(v) && v > 0; };
    if (!positive(cam.lengthM) || !positive(cam.widthM) || !positive(cam.heightM))
        throw Error(ErrorKind::Refused,
                    "Die Bildgröße am Boden und die Flughöhe müssen größer als 0 sein.\n"
                    "Bitte zuerst die Kameradaten berechnen (\"Calc Raster\").");
    if (!heightsM.empty() && heightsM.size() != plan.pictures.size())
        throw Error(ErrorKind::Internal, "Zu jedem Bild gehört genau eine Höhe über Grund.");
    const double ri = cam.Ri / kRho;
    std::vector<Footprint> out;
    out.reserve(plan.pictures.size());
    for (std::size_t i = 0; i < plan.pictures.size(); ++i) {
        const Picture& pic = plan.pictures[i];
        double ue = std::cos(ri), un = std::sin(ri);
        if (pic.line < plan.lines.size()) {
            const FlightLine& l = plan.lines[pic.line];
            const double de = l.end.E - l.start.E, dn = l.end.N - l.start.N;
            const double len = std::hypot(de, dn);
            if (len > 0) {
                ue = de / len;
                un = dn / len;
            }
        }
        double scale = 1;
        if (!heightsM.empty()) {
            if (!positive(heightsM[i]))
                throw Error(ErrorKind::Refused,
                            Format("Bild %d liegt nicht über dem Gelände (Höhe über Grund %.1f m); "
                                   "seine Bodenabdeckung ist nicht bestimmt.",
                                   {i + 1, heightsM[i]}));
            scale = heightsM[i] / cam.heightM;
        }
        const double hl = cam.lengthM / 2 * scale, hw = cam.widthM / 2 * scale;
        // Along the flight (ue, un), across it (-un, ue).
        const double ae = ue * hl, an = un * hl, ce = -un * hw, cn = ue * hw;
        const PlanPt p = pic.at;
        out.push_back({PlanPt{p.E - ae - ce, p.N - an - cn}, PlanPt{p.E + ae - ce, p.N + an - cn},
                       PlanPt{p.E + ae + ce, p.N + an + cn}, PlanPt{p.E - ae + ce, p.N - an + cn}});
    }
    return out;
}

Coverage ComputeCoverage(const std::vector<PlanPt>& outer,
                         const std::vector<std::vector<PlanPt>>& excluded,
                         const std::vector<Footprint>& footprints, double cellM) {
    if (!std::isfinite(cellM) || !(cellM > 0))
        throw Error(ErrorKind::Refused,
                    "Die Zellgröße der Abdeckungskarte muss eine Zahl größer als 0 m sein.");
    if (outer.size() < 3)
        throw Error(ErrorKind::Refused,
                    "Für die Abdeckung fehlt das Gebiet: es braucht mindestens drei Grenzpunkte.");
    RefuseRing(outer);
    for (const auto& r : excluded)
        RefuseRing(r);

    double eMin = outer[0].E, eMax = eMin, nMin = outer[0].N, nMax = nMin;
    for (const PlanPt& p : outer) {
        eMin = std::min(eMin, p.E);
        eMax = std::max(eMax, p.E);
        nMin = std::min(nMin, p.N);
        nMax = std::max(nMax, p.N);
    }
    Coverage cov;
    CoverageGrid& g = cov.grid;
    g.cellM = cellM;
    g.E0 = std::floor(eMin / cellM) * cellM;
    g.N0 = std::floor(nMin / cellM) * cellM;
    const double cols = std::max(1.0, std::ceil((eMax - g.E0) / cellM));
    const double rows = std::max(1.0, std::ceil((nMax - g.N0) / cellM));
    // GeoTIFF sizes are ints; the memory is the real limit long before.
    if (!(cols < INT_MAX / 2) || !(rows < INT_MAX / 2))
        throw Error(ErrorKind::Limit,
                    Format("Die Abdeckungskarte hätte %.0f x %.0f Zellen; das sind zu viele.\n"
                           "Bitte eine größere Zellgröße wählen.",
                           {cols, rows}));
    RefuseBeyondMemory(cols * rows * sizeof(std::uint16_t));
    g.cols = static_cast<int>(cols);
    g.rows = static_cast<int>(rows);
    g.count.assign(static_cast<std::size_t>(g.cols) * static_cast<std::size_t>(g.rows),
                   CoverageNoData);

    const auto local = [&](const std::vector<PlanPt>& ring) {
        std::vector<Local> l;
        l.reserve(ring.size());
        for (const PlanPt& p : ring)
            l.push_back({(p.E - g.E0) / cellM, (p.N - g.N0) / cellM});
        return l;
    };
    FillRing(local(outer), g, 0);
    for (const auto& r : excluded)
        FillRing(local(r), g, CoverageNoData);

    for (const Footprint& f : footprints) {
        std::array<Local, 4> q;
        bool ok = true;
        for (std::size_t k = 0; k < 4; ++k) {
            ok = ok && Finite(f[k]);
            q[k] = {(f[k].E - g.E0) / cellM, (f[k].N - g.N0) / cellM};
        }
        if (ok) // a picture without a position sees nothing
            CountQuad(q, g);
    }

    CoverageStats& st = cov.stats;
    std::size_t n1 = 0, n2 = 0, n5 = 0, n9 = 0;
    int minCount = INT_MAX;
    for (const std::uint16_t v : g.count) {
        if (v == CoverageNoData)
            continue;
        ++st.cellsInArea;
        n1 += v >= 1;
        n2 += v >= 2;
        n5 += v >= 5;
        n9 += v >= 9;
        minCount = std::min(minCount, static_cast<int>(v));
    }
    if (st.cellsInArea == 0)
        throw Error(ErrorKind::Refused,
                    Format("Das Gebiet enthält keine Zelle der Abdeckungskarte (Zellgröße %s m).\n"
                           "Bitte eine kleinere Zellgröße wählen.",
                           {cellM}));
    const double all = static_cast<double>(st.cellsInArea);
    st.atLeast1Pct = 100.0 * static_cast<double>(n1) / all;
    st.atLeast2Pct = 100.0 * static_cast<double>(n2) / all;
    st.atLeast5Pct = 100.0 * static_cast<double>(n5) / all;
    st.atLeast9Pct = 100.0 * static_cast<double>(n9) / all;
    st.minCount = minCount;
    return cov;
}

double CoverageCellFor(const std::vector<PlanPt>& ring, double wantedM, double maxCells) {
    if (ring.empty())
        return wantedM;
    double eMin = ring[0].E, eMax = eMin, nMin = ring[0].N, nMax = nMin;
    for (const PlanPt& p : ring) {
        eMin = std::min(eMin, p.E), eMax = std::max(eMax, p.E);
        nMin = std::min(nMin, p.N), nMax = std::max(nMax, p.N);
    }
    double cell = wantedM;
    const auto cells = [&](double c) {
        return std::ceil((eMax - eMin) / c + 1) * std::ceil((nMax - nMin) / c + 1);
    };
    for (double decade = 1; cells(cell) > maxCells && decade < 1e7; decade *= 10)
        for (const double step : {1.0, 2.0, 5.0})
            if (cells(cell) > maxCells && step * decade > cell)
                cell = step * decade;
    return cell;
}

int CoverageClassOf(std::uint16_t count) {
    if (count == CoverageNoData)
        return -1;
    if (count == 0)
        return 0;
    if (count <= 2)
        return 1;
    if (count <= 4)
        return 2;
    if (count <= 8)
        return 3;
    return 4;
}

std::string CoverageStatsText(const CoverageStats& s, double cellM) {
    return Format("Abdeckung (Zelle %s m): ≥1 Bild %.1f %%, ≥2 %.1f %%, ≥5 %.1f %%, ≥9 %.1f %%, "
                  "Minimum %d",
                  {FormatGeneral(cellM), s.atLeast1Pct, s.atLeast2Pct, s.atLeast5Pct, s.atLeast9Pct,
                   s.minCount});
}

} // namespace korvale
