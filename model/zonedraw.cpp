// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/zonedraw.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace korvale {

namespace {

// Hatch lines x - y = c through the polygon, cut at its edges and kept where they run inside
// (even-odd): a concave zone is hatched only where it is.
void Hatch(const std::vector<TPt>& z, Overlay& o) {
    double lo = 1e300, hi = -1e300;
    for (const TPt& p : z) {
        lo = std::min(lo, static_cast<double>(p.xb) - p.yb);
        hi = std::max(hi, static_cast<double>(p.xb) - p.yb);
    }
    // A zone far larger than any screen would draw lines without end; it keeps its outline.
    if (!(hi - lo < 1e5))
        return;
    std::vector<double> ys;
    const double first = std::floor(lo / kZoneHatchPx) * kZoneHatchPx + kZoneHatchPx / 2;
    for (long long line = 0; first + static_cast<double>(line) * kZoneHatchPx < hi; ++line) {
        const double c = first + static_cast<double>(line) * kZoneHatchPx;
        ys.clear();
        for (std::size_t i = 0; i < z.size(); ++i) {
            const TPt& a = z[i];
            const TPt& b = z[(i + 1) % z.size()];
            const double fa = a.xb - a.yb - c, fb = b.xb - b.yb - c;
            if ((fa > 0) == (fb > 0))
                continue;
            const double t = fa / (fa - fb);
            ys.push_back(a.yb + (b.yb - a.yb) * t);
        }
        std::sort(ys.begin(), ys.end());
        for (std::size_t k = 0; k + 1 < ys.size(); k += 2)
            if (ys[k + 1] > ys[k]) // a line through a corner only touches it
                o.Line(ColZone, c + ys[k], ys[k], c + ys[k + 1], ys[k + 1]);
    }
}

} // namespace

void DisplayZones(const State& s, Overlay& o, bool openLast) {
    for (std::size_t k = 0; k < s.Zones.size(); ++k) {
        const std::vector<TPt>& z = s.Zones[k];
        const bool open = openLast && k + 1 == s.Zones.size();
        bool finite = !z.empty();
        for (const TPt& p : z)
            finite = finite && std::isfinite(p.xb) && std::isfinite(p.yb);
        if (!finite)
            continue;
        if (z.size() == 1 || open)
            for (const TPt& p : z)
                o.Circle(ColZone, p.xb, p.yb, 3);
        for (std::size_t i = 0; i + (open ? 1 : 0) < z.size() && z.size() > 1; ++i) {
            const TPt& a = z[i];
            const TPt& b = z[(i + 1) % z.size()];
            o.Line(ColZone, a.xb, a.yb, b.xb, b.yb);
        }
        if (!open && z.size() >= 3)
            Hatch(z, o);
    }
}

} // namespace korvale
