// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "terrain/elevation.h"

#include <algorithm>
#include <cmath>

namespace korvale {

std::vector<double> ElevationModel::SampleFractions(GroundPos a, GroundPos b) const {
    const double len = std::hypot(b.E - a.E, b.N - a.N);
    const double cell = CellSizeM();
    const auto n = static_cast<std::size_t>(
        std::max(1.0, std::ceil(cell > 0 && std::isfinite(cell) ? len / cell : 1.0)));
    std::vector<double> t(n + 1);
    for (std::size_t k = 0; k <= n; ++k)
        t[k] = static_cast<double>(k) / static_cast<double>(n);
    return t;
}

} // namespace korvale
