// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/border.h"

#include <algorithm>
#include <cmath>

#include "georef/transform.h"

namespace korvale {

namespace {

// Fills BorderIdx with the indices of all points of one kind, in list order. BorderLines is
// emptied: it must never describe a ring that BorderIdx no longer holds.
void CollectKind(State& s, std::uint8_t kind) {
    s.BorderIdx.clear();
    s.BorderLines.clear();
    for (std::size_t i = 0; i < s.Points.size(); ++i)
        if (s.Points[i].Typ == kind)
            s.BorderIdx.push_back(static_cast<int>(i));
}

std::vector<TLine> Chain(const std::vector<int>& idx) {
    std::vector<TLine> lines;
    if (idx.size() >= 2)
        lines.reserve(idx.size() - 1);
    for (std::size_t k = 0; k + 1 < idx.size(); ++k)
        lines.push_back({idx[k], idx[k + 1]});
    return lines;
}

} // namespace

void SetBorderPointer(State& s, ParamPageModel& p) {
    CollectKind(s, KindBorder);
    if (!s.BorderIdx.empty())
        s.BorderIdx.push_back(s.BorderIdx.front()); // close the ring
    s.BorderLines = Chain(s.BorderIdx);
    Trafall(s);
    p.NumberBoxFlaeche.SetValue(
        PolygonArea(s, s.BorderIdx, static_cast<int>(s.BorderIdx.size()) - 1) / 10000.0);
}

void SetFreeLine(State& s) {
    CollectKind(s, KindFreeLine);
    s.FreeLines = Chain(s.BorderIdx);
    Trafall(s);
}

void CalcBorderMinMax(State& s) {
    s.BorderEMin = 1e10;
    s.BorderNMin = 1e10;
    s.BorderEMax = -1e10;
    s.BorderNMax = -1e10;
    for (const int i : s.BorderIdx) {
        if (i < 0 || static_cast<std::size_t>(i) >= s.Points.size())
            continue;
        const TPt& pt = s.Points[static_cast<std::size_t>(i)];
        if (pt.Typ != KindBorder)
            continue;
        s.BorderEMin = std::min(s.BorderEMin, pt.E);
        s.BorderNMin = std::min(s.BorderNMin, pt.N);
        s.BorderEMax = std::max(s.BorderEMax, pt.E);
        s.BorderNMax = std::max(s.BorderNMax, pt.N);
    }
}

double PolygonArea(const State& s, const std::vector<int>& idx, int h) {
    const std::size_t m =
        std::min<std::size_t>(h < 0 ? 0 : static_cast<std::size_t>(h) + 1, idx.size());
    if (m < 2)
        return 0;
    // Eastings carry the zone prefix (about 3.25e7 m), so the plain shoelace products reach
    // 1.7e14 m² and their sum cancels down to the area: a hectare would keep only two or three
    // correct digits. The area does not change when every vertex is moved by the same amount,
    // so all coordinates are taken relative to the first vertex; the differences are exact and
    // the products stay in the size of the area itself.
    const TPt& ref = s.Points[static_cast<std::size_t>(idx[0])];
    double sum = 0;
    for (std::size_t i = 0; i < m; ++i) {
        const TPt& a = s.Points[static_cast<std::size_t>(idx[i])];
        const TPt& b = s.Points[static_cast<std::size_t>(idx[(i + 1) % m])];
        sum += (a.E - ref.E) * (b.N - ref.N) - (a.N - ref.N) * (b.E - ref.E);
    }
    return std::fabs(sum) / 2.0;
}

} // namespace korvale
