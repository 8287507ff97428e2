// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The map project's extension block: zone, hemisphere, switched-off control points.
#include "georef/project_ext.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "georef/project.h"
#include "model/error.h"
#include "model/geodesy.h"

namespace korvale {

namespace {

constexpr std::string_view kMarker{"KVEXT001", 8};
constexpr std::string_view kDemMarker{"KVDEM001", 8};
constexpr double kMaxDemPath = 4096;
constexpr int kDefaultZone = 32;

[[noreturn]] void Damaged() {
    throw Error(ErrorKind::Damaged,
                "Die Projektdatei ist beschädigt: ungültiger Erweiterungsblock (UTM-Zone oder "
                "ausgeschaltete Passpunkte).");
}

// A whole number within [lo, hi], else the block is damaged.
double Whole(double v, double lo, double hi) {
    if (!std::isfinite(v) || v != std::trunc(v) || v < lo || v > hi)
        Damaged();
    return v;
}

} // namespace

void AppendProjectExtension(std::string& out, const State& s) {
    std::vector<std::size_t> off;
    for (std::size_t i = 0; i < s.Points.size(); ++i)
        if (s.Points[i].Typ == KindControl && s.Points[i].Off)
            off.push_back(i);
    const int zone = ZoneOf(s);
    if (zone == kDefaultZone && !s.UtmSouth && off.empty() && s.DemFile.empty())
        return;
    out.append(kMarker);
    PutDouble(out, static_cast<double>(3 + off.size()));
    PutDouble(out, zone);
    PutDouble(out, s.UtmSouth ? 1.0 : 0.0);
    PutDouble(out, static_cast<double>(off.size()));
    for (std::size_t i : off)
        PutDouble(out, static_cast<double>(i));
    if (s.DemFile.empty() || static_cast<double>(s.DemFile.size()) > kMaxDemPath)
        return;
    out.append(kDemMarker);
    PutDouble(out, static_cast<double>(s.DemFile.size()));
    for (const char c : s.DemFile)
        PutDouble(out, static_cast<double>(static_cast<unsigned char>(c)));
}

void ReadProjectExtension(std::string_view rest, ProjectData& d) {
    if (rest.size() < kMarker.size() || rest.substr(0, kMarker.size()) != kMarker)
        return;
    const std::string_view body = rest.substr(kMarker.size());
    const std::size_t records = body.size() / 8;
    if (records < 1)
        Damaged();
    const double r = Whole(GetDouble(body, 0), 3, static_cast<double>(records - 1));
    const auto count = static_cast<std::size_t>(r);
    const int zone = static_cast<int>(Whole(GetDouble(body, 1), 1, 60));
    const bool south = Whole(GetDouble(body, 2), 0, 1) == 1;
    const double k = Whole(GetDouble(body, 3), 0, static_cast<double>(d.Points.size()));
    if (static_cast<std::size_t>(k) + 3 != count)
        Damaged();
    std::vector<TPt> points = d.Points;
    double previous = -1;
    for (std::size_t j = 0; j < static_cast<std::size_t>(k); ++j) {
        const double idx =
            Whole(GetDouble(body, 4 + j), 0, static_cast<double>(d.Points.size()) - 1);
        // Ascending without repeats: what the writer produces, and a check on the rest.
        if (!(idx > previous))
            Damaged();
        previous = idx;
        points[static_cast<std::size_t>(idx)].Off = true;
    }
    // The elevation model's block, right after this one's records.
    std::string dem;
    const std::string_view after = body.substr(8 * (count + 1));
    if (after.size() >= kDemMarker.size() && after.substr(0, kDemMarker.size()) == kDemMarker) {
        const std::string_view path = after.substr(kDemMarker.size());
        const std::size_t have = path.size() / 8;
        if (have < 1)
            Damaged();
        const double n =
            Whole(GetDouble(path, 0), 1, std::min(kMaxDemPath, static_cast<double>(have - 1)));
        for (std::size_t j = 0; j < static_cast<std::size_t>(n); ++j)
            // Through unsigned char: a double above 127 does not fit a signed char.
            dem.push_back(static_cast<char>(
                static_cast<unsigned char>(Whole(GetDouble(path, 1 + j), 0, 255))));
    }
    d.Points = std::move(points);
    d.UtmZone = zone;
    d.UtmSouth = south;
    d.DemFile = std::move(dem);
}

} // namespace korvale
