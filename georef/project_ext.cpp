// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The map project's extension block: zone, hemisphere, switched-off control points.
#include "georef/project_ext.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "georef/project.h"
#include "model/error.h"
#include "model/geodesy.h"

namespace korvale {

namespace {

constexpr std::string_view kMarker{"KVEXT001", 8};
constexpr std::string_view kDemMarker{"KVDEM001", 8};
constexpr std::string_view kZoneMarker{"KVZON001", 8};
constexpr std::size_t kZoneCornerRecords = 4; // E, N, xb, yb
constexpr double kMaxDemPath = 4096;
constexpr int kDefaultZone = 32;

[[noreturn]] void Damaged() {
    throw Error(ErrorKind::Damaged,
                "Die Projektdatei ist beschädigt: ungültiger Erweiterungsblock (UTM-Zone oder "
                "ausgeschaltete Passpunkte).");
}

[[noreturn]] void ZonesDamaged() {
    throw Error(ErrorKind::Damaged,
                "Die Projektdatei ist beschädigt: ungültiger Block der Sperrflächen.");
}

// A whole number within [lo, hi], else the block is damaged.
double Whole(double v, double lo, double hi) {
    if (!std::isfinite(v) || v != std::trunc(v) || v < lo || v > hi)
        Damaged();
    return v;
}

// The zones' block, if `bytes` begin with it: Z, then per zone M and M corners of four records.
std::vector<std::vector<TPt>> ReadZones(std::string_view bytes) {
    std::vector<std::vector<TPt>> zones;
    if (bytes.size() < kZoneMarker.size() || bytes.substr(0, kZoneMarker.size()) != kZoneMarker)
        return zones;
    const std::string_view body = bytes.substr(kZoneMarker.size());
    const std::size_t have = body.size() / 8;
    if (have < 1)
        ZonesDamaged();
    // Counts are checked against the records that are there before anything is reserved.
    const auto whole = [](double v, double hi) {
        if (!std::isfinite(v) || v != std::trunc(v) || v < 0 || v > hi)
            ZonesDamaged();
        return static_cast<std::size_t>(v);
    };
    const std::size_t count = whole(GetDouble(body, 0), static_cast<double>(have - 1));
    std::size_t r = 1;
    zones.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        if (r >= have)
            ZonesDamaged();
        const std::size_t m =
            whole(GetDouble(body, r),
                  static_cast<double>(have - r - 1) / static_cast<double>(kZoneCornerRecords));
        ++r;
        std::vector<TPt> z(m);
        for (TPt& p : z) {
            const double E = GetDouble(body, r), N = GetDouble(body, r + 1);
            const double x = GetDouble(body, r + 2), y = GetDouble(body, r + 3);
            constexpr double kMaxMap = std::numeric_limits<float>::max();
            if (!std::isfinite(E) || !std::isfinite(N) || !(std::fabs(x) <= kMaxMap) ||
                !(std::fabs(y) <= kMaxMap))
                ZonesDamaged();
            p.E = E, p.N = N;
            p.xb = static_cast<float>(x), p.yb = static_cast<float>(y);
            r += kZoneCornerRecords;
        }
        zones.push_back(std::move(z));
    }
    return zones;
}

} // namespace

void AppendProjectExtension(std::string& out, const State& s) {
    std::vector<std::size_t> off;
    for (std::size_t i = 0; i < s.Points.size(); ++i)
        if (s.Points[i].Typ == KindControl && s.Points[i].Off)
            off.push_back(i);
    const int zone = ZoneOf(s);
    if (zone == kDefaultZone && !s.UtmSouth && off.empty() && s.DemFile.empty() && s.Zones.empty())
        return;
    out.append(kMarker);
    PutDouble(out, static_cast<double>(3 + off.size()));
    PutDouble(out, zone);
    PutDouble(out, s.UtmSouth ? 1.0 : 0.0);
    PutDouble(out, static_cast<double>(off.size()));
    for (std::size_t i : off)
        PutDouble(out, static_cast<double>(i));
    if (!s.DemFile.empty() && static_cast<double>(s.DemFile.size()) <= kMaxDemPath) {
        out.append(kDemMarker);
        PutDouble(out, static_cast<double>(s.DemFile.size()));
        for (const char c : s.DemFile)
            PutDouble(out, static_cast<double>(static_cast<unsigned char>(c)));
    }
    if (s.Zones.empty())
        return;
    out.append(kZoneMarker);
    PutDouble(out, static_cast<double>(s.Zones.size()));
    for (const std::vector<TPt>& z : s.Zones) {
        PutDouble(out, static_cast<double>(z.size()));
        for (const TPt& p : z)
            for (const double v : {p.E, p.N, static_cast<double>(p.xb), static_cast<double>(p.yb)})
                PutDouble(out, v);
    }
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
    std::string_view after = body.substr(8 * (count + 1));
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
        after = path.substr(8 * (static_cast<std::size_t>(n) + 1));
    }
    std::vector<std::vector<TPt>> zones = ReadZones(after);
    d.Points = std::move(points);
    d.UtmZone = zone;
    d.UtmSouth = south;
    d.DemFile = std::move(dem);
    d.Zones = std::move(zones);
}

} // namespace korvale
