// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/plan_cache.h"

#include <bit>
#include <cstdint>

#include "planning/zones.h"

namespace korvale {

namespace {

// Bit for bit: a value that moved by the last digit is another input, and a NaN that stayed
// a NaN is the same one.
bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

} // namespace

PlanCache::Inputs PlanCache::InputsOf(const State& s, double A, double V_kmh) {
    Inputs in;
    in.ring = BorderRing(s);
    in.cut = s.CutPoints;
    in.segs = s.FlightSegs;
    in.zones = StateZones(s);
    in.A = A;
    in.V = V_kmh;
    return in;
}

bool PlanCache::Same(const Inputs& a, const Inputs& b) {
    if (!SameBits(a.A, b.A) || !SameBits(a.V, b.V) || a.ring.size() != b.ring.size() ||
        a.cut.size() != b.cut.size() || a.segs != b.segs || a.zones.size() != b.zones.size())
        return false;
    for (std::size_t z = 0; z < a.zones.size(); ++z) {
        if (a.zones[z].size() != b.zones[z].size())
            return false;
        for (std::size_t i = 0; i < a.zones[z].size(); ++i)
            if (!SameBits(a.zones[z][i].E, b.zones[z][i].E) ||
                !SameBits(a.zones[z][i].N, b.zones[z][i].N))
                return false;
    }
    for (std::size_t i = 0; i < a.ring.size(); ++i)
        if (!SameBits(a.ring[i].E, b.ring[i].E) || !SameBits(a.ring[i].N, b.ring[i].N))
            return false;
    for (std::size_t i = 0; i < a.cut.size(); ++i)
        if (!SameBits(a.cut[i][0], b.cut[i][0]) || !SameBits(a.cut[i][1], b.cut[i][1]))
            return false;
    return true;
}

std::shared_ptr<const FlightPlan> PlanCache::Of(const State& s, double A, double V_kmh) {
    Inputs in = InputsOf(s, A, V_kmh);
    if (plan_ && Same(in, inputs_))
        return plan_;
    // The old plan goes first, so that a large plan and its successor are never both held.
    plan_.reset();
    auto plan = std::make_shared<const FlightPlan>(PlanOfState(s, A, V_kmh));
    ++computed_;
    inputs_ = std::move(in);
    plan_ = std::move(plan);
    return plan_;
}

void PlanCache::Clear() {
    plan_.reset();
    inputs_ = Inputs{};
}

} // namespace korvale
