// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "planning/plan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <span>

#include <unistd.h>

#include "model/error.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "planning/grid.h"
#include "planning/ringgeom.h"
#include "planning/ringindex.h"
#include "planning/zones.h"

namespace korvale {

namespace {

using ring::Vec;

// A vertex closer to a grid line than this lies on it: the grid line along a border edge
// must see both ends of the edge on the line, whatever the rounding of the rotation.
constexpr double kOnLine = 1e-7; // metres

// Two crossings of one grid line closer than this are one (as the planning always had it).
constexpr double kSameCrossing = 1e-6; // metres

struct Crossing {
    double t; // position along the grid line
    double X; // local coordinates
    double Y;
    std::size_t edge;
};

// One inside piece of one grid line.
struct Piece {
    Crossing lo, hi; // lo.t < hi.t
    long long line;
};

std::vector<Vec> Local(const std::vector<PlanPt>& ringPts, double Ec, double Nc) {
    std::vector<Vec> v;
    v.reserve(ringPts.size());
    for (const PlanPt& p : ringPts)
        v.push_back({p.E - Ec, p.N - Nc});
    return v;
}

// The inside pieces of the grid line at offset e across the direction (u, v).
// The closed area meets the line where it meets the line moved a hair to either side; the
// two sets are found with the half-open rule (each vertex belongs to the side it is not on),
// which counts a vertex on the line once, and their union adds the edges lying on the line.
std::vector<Piece> LinePieces(const std::vector<Vec>& ring, const std::vector<double>& across,
                              bool keepEdgeDirection, double e, double sx, double sy, double tx,
                              double ty, double ux, double uy, long long line,
                              std::vector<Crossing>& up, std::vector<Crossing>& down,
                              std::span<const std::uint32_t> edges) {
    const std::size_t n = ring.size();
    up.clear();
    down.clear();
    for (const std::uint32_t edge : edges) {
        const std::size_t i = edge, k = (i + 1) % n;
        double aP = across[i], aQ = across[k];
        if (std::fabs(aP - e) <= kOnLine)
            aP = e;
        if (std::fabs(aQ - e) <= kOnLine)
            aQ = e;
        const bool u = (aP <= e) != (aQ <= e);
        const bool d = (aP < e) != (aQ < e);
        if (!u && !d)
            continue;
        Vec P = ring[i], Q = ring[k];
        double X, Y;
        if (aP == e) {
            X = P.x, Y = P.y;
        } else if (aQ == e) {
            X = Q.x, Y = Q.y;
        } else {
            // The crossing as it has always been computed, so that convex areas keep their
            // cut points to the last bit; a concave ring takes its edges in one fixed
            // direction, so that its plan does not depend on the ring's orientation.
            if (!keepEdgeDirection && (P.x > Q.x || (P.x == Q.x && P.y > Q.y)))
                std::swap(P, Q), std::swap(aP, aQ);
            const IntersectResult r = Intersect(P.x, P.y, Q.x, Q.y, sx, sy, tx, ty);
            X = r.X, Y = r.Y;
            if (!std::isfinite(X) || !std::isfinite(Y)) {
                const double f = (e - aP) / (aQ - aP);
                X = P.x + (Q.x - P.x) * f;
                Y = P.y + (Q.y - P.y) * f;
            }
        }
        const Crossing c{X * ux + Y * uy, X, Y, i};
        if (u)
            up.push_back(c);
        if (d)
            down.push_back(c);
    }
    std::vector<Piece> pieces;
    for (std::vector<Crossing>* list : {&up, &down}) {
        std::sort(list->begin(), list->end(), [](const Crossing& a, const Crossing& b) {
            return a.t < b.t || (a.t == b.t && (a.X < b.X || (a.X == b.X && a.Y < b.Y)));
        });
        for (std::size_t k = 0; k + 1 < list->size(); k += 2)
            pieces.push_back({(*list)[k], (*list)[k + 1], line});
    }
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece& a, const Piece& b) { return a.lo.t < b.lo.t; });
    std::vector<Piece> merged;
    for (const Piece& p : pieces) {
        if (!merged.empty() && p.lo.t <= merged.back().hi.t + 1e-9) {
            if (p.hi.t > merged.back().hi.t)
                merged.back().hi = p.hi;
        } else {
            merged.push_back(p);
        }
    }
    // A line that only touches a corner has no piece to fly.
    std::erase_if(merged, [](const Piece& p) {
        return std::fabs(p.hi.X - p.lo.X) < kSameCrossing &&
               std::fabs(p.hi.Y - p.lo.Y) < kSameCrossing;
    });
    return merged;
}

// The zones that may meet the area (their box overlaps the ring's), in local coordinates.
std::vector<std::vector<Vec>> LocalZones(const ZoneList& zones, const std::vector<Vec>& ring,
                                         double Ec, double Nc) {
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
    for (const Vec& p : ring)
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x),
        y1 = std::max(y1, p.y);
    std::vector<std::vector<Vec>> out;
    for (const std::vector<PlanPt>& z : zones) {
        std::vector<Vec> v = Local(z, Ec, Nc);
        double zx0 = std::numeric_limits<double>::infinity(), zy0 = zx0, zx1 = -zx0, zy1 = -zx0;
        for (const Vec& p : v)
            zx0 = std::min(zx0, p.x), zy0 = std::min(zy0, p.y), zx1 = std::max(zx1, p.x),
            zy1 = std::max(zy1, p.y);
        if (v.size() >= 3 && zx0 <= x1 && zx1 >= x0 && zy0 <= y1 && zy1 >= y0)
            out.push_back(std::move(v));
    }
    return out;
}

// Cuts the pieces of the grid line at offset e (points t * u + e * v) where they meet a zone:
// what is left are the parts outside every zone, their new ends on a zone's border.
void CutOut(std::vector<Piece>& pieces, const std::vector<std::vector<Vec>>& zones, double e,
            double ux, double uy) {
    const Vec o{-uy * e, ux * e}, d{ux, uy};
    for (const std::vector<Vec>& z : zones) {
        double t0 = 0, t1 = 0;
        if (pieces.empty() || !ring::Span(z, o, d, t0, t1) || !(t1 > t0))
            continue;
        const auto at = [&](double t) {
            return Crossing{t, o.x + t * ux, o.y + t * uy, std::numeric_limits<std::size_t>::max()};
        };
        std::vector<Piece> kept;
        for (const Piece& p : pieces) {
            if (p.hi.t <= t0 || p.lo.t >= t1) {
                kept.push_back(p);
                continue;
            }
            if (p.lo.t < t0)
                kept.push_back({p.lo, at(t0), p.line});
            if (p.hi.t > t1)
                kept.push_back({at(t1), p.hi, p.line});
        }
        pieces = std::move(kept);
    }
    std::erase_if(pieces, [](const Piece& p) {
        return std::fabs(p.hi.X - p.lo.X) < kSameCrossing &&
               std::fabs(p.hi.Y - p.lo.Y) < kSameCrossing;
    });
}

bool Overlap(const Piece& a, const Piece& b) {
    return std::min(a.hi.t, b.hi.t) - std::max(a.lo.t, b.lo.t) > 0;
}

// Boustrophedon cells: a block runs on while each grid line holds exactly one piece that
// overlaps, along the lines, exactly one piece of the line before and is the only one that
// does. Where a notch splits the area or two arms join, the number of pieces changes and new
// blocks begin, so each side of a notch is flown serpentine on its own before the other,
// and consecutive lines of a block lie side by side.
std::vector<std::vector<Piece>> Blocks(const std::vector<std::vector<Piece>>& lines) {
    std::vector<std::vector<Piece>> blocks;
    std::vector<std::size_t> prevBlock; // block of each piece of the previous line
    const std::vector<Piece>* prev = nullptr;
    for (const std::vector<Piece>& cur : lines) {
        std::vector<std::size_t> curBlock(cur.size());
        for (std::size_t c = 0; c < cur.size(); ++c) {
            std::size_t hits = 0, which = 0;
            if (prev)
                for (std::size_t p = 0; p < prev->size(); ++p)
                    if (Overlap(cur[c], (*prev)[p]))
                        ++hits, which = p;
            bool joins = hits == 1;
            if (joins) {
                std::size_t back = 0;
                for (const Piece& q : cur)
                    back += Overlap(q, (*prev)[which]) ? 1 : 0;
                joins = back == 1;
            }
            if (joins) {
                curBlock[c] = prevBlock[which];
                blocks[curBlock[c]].push_back(cur[c]);
            } else {
                curBlock[c] = blocks.size();
                blocks.push_back({cur[c]});
            }
        }
        prevBlock = std::move(curBlock);
        prev = cur.empty() ? nullptr : &cur;
    }
    return blocks;
}

void RefuseBadPhotoBase(double A) {
    // A photo base of 0 would lay pictures at one spot for ever.
    if (!std::isfinite(A) || !(A > 0))
        throw Error(ErrorKind::Refused,
                    "Der Bildabstand muss größer als 0 m sein (Längsüberdeckung unter 100 %).");
}

double Gap(const PlanPt& a, const Vec& b) {
    return std::hypot(b.x - a.E, b.y - a.N);
}

} // namespace

double MemoryBudget() {
    const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || size <= 0)
        return 2.0 * 1024 * 1024 * 1024; // unknown: a modest machine
    return static_cast<double>(pages) * static_cast<double>(size) / 2.0;
}

void RefuseBeyondMemory(double bytes) {
    const double budget = MemoryBudget();
    if (!(bytes <= budget))
        throw Error(ErrorKind::Limit,
                    Format("Zu wenig Arbeitsspeicher: der Plan bräuchte etwa %d MB, erlaubt sind "
                           "%d MB (die Hälfte des Arbeitsspeichers dieses Rechners).",
                           {static_cast<long long>(std::min(bytes, 1e18) / 1048576.0),
                            static_cast<long long>(budget / 1048576.0)}) +
                        "\nBitte den Bildabstand vergrößern, das Gebiet verkleinern oder "
                        "weniger Grenzpunkte setzen.");
}

std::vector<PlannedLine> PlanGridLines(const std::vector<PlanPt>& ringPts, const GridFrame& f) {
    return PlanGridLines(ringPts, f, {});
}

std::vector<PlannedLine> PlanGridLines(const std::vector<PlanPt>& ringPts, const GridFrame& f,
                                       const ZoneList& zoneList) {
    double B = f.B, Ri = f.Ri;
    if (!std::isfinite(B) || !(B > 0))
        throw Error(ErrorKind::Refused,
                    "Der Streifenabstand muss größer als 0 m sein (Querüberdeckung unter 100 %).");
    if (!std::isfinite(Ri))
        throw Error(ErrorKind::Refused, "Die Flugrichtung ist keine gültige Zahl.");
    const double dE = f.EMax - f.EMin, dN = f.NMax - f.NMin;
    const double Ec = (f.EMin + f.EMax) / 2.0, Nc = (f.NMin + f.NMax) / 2.0;
    if (!(dE >= 0 && dN >= 0))
        return {};

    RefuseBeyondMemory(static_cast<double>(ringPts.size()) * 256.0);
    // Edges of length 0 (a corner clicked twice) cross nothing and are left out.
    std::vector<Vec> ring = ring::Cleaned(Local(ringPts, Ec, Nc));
    // Fewer than three corners, or all on one straight line, enclose nothing to fly.
    if (ring.size() < 3)
        return {};
    bool flat = true;
    for (std::size_t i = 2; i < ring.size() && flat; ++i)
        flat = (ring[1].x - ring[0].x) * (ring[i].y - ring[0].y) ==
               (ring[1].y - ring[0].y) * (ring[i].x - ring[0].x);
    if (flat)
        return {};
    if (ring::SelfIntersecting(ring))
        throw Error(ErrorKind::Refused,
                    "Die Gebietsgrenze kreuzt sich selbst: dafür gibt es keinen Flugplan.\n"
                    "Bitte die Grenzpunkte der Reihe nach um das Gebiet herum setzen.");
    ring = ring::PlanningRing(std::move(ring)).ring;
    const std::vector<std::vector<Vec>> zones = LocalZones(zoneList, ring, Ec, Nc);
    // Around a zone the lines fly in blocks, as around a notch.
    const bool convex = zones.empty() && ring::IsConvex(ring);

    if (Ri == 0)
        Ri = 0.01;
    const double alpha = Ri / Rho;
    const double ux = std::cos(alpha), uy = std::sin(alpha); // along the lines
    const double vx = -uy, vy = ux;                          // across the lines

    std::vector<double> across(ring.size());
    double tMin = std::numeric_limits<double>::infinity(), tMax = -tMin;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        across[i] = ring[i].x * vx + ring[i].y * vy;
        tMin = std::min(tMin, across[i]);
        tMax = std::max(tMax, across[i]);
    }

    // Grid lines j = 0 ... 2n lie over the widened box at the offset e0 + j * B across the
    // line direction; lines are added before and after at the same spacing until the band of
    // half a spacing on either side of the outermost lines holds the whole area.
    const double e0 = -(dE / 2.0 + 100.0);
    const double nReal = (std::max(dE, dN) + 100.0) / B;
    const double lo = std::min(e0, tMin - B);
    const double hi = std::max(e0 + 2.0 * nReal * B, tMax + B);
    if (!((hi - lo) / B + 1.0 <= static_cast<double>(MaxGridLines)))
        throw Error(ErrorKind::Limit,
                    "Der Streifenabstand ist für dieses Gebiet zu klein: zu viele Fluglinien.");
    long long first = 0;
    long long last = 2 * static_cast<long long>(std::trunc(nReal));
    while (e0 + static_cast<double>(first) * B - B / 2.0 > tMin)
        --first;
    while (e0 + static_cast<double>(last) * B + B / 2.0 < tMax)
        ++last;

    const double h = dN / 2.0 + 100.0;
    // Each line meets only the edges that reach it, in ring order as the whole ring has them.
    const ring::EdgeBands bands =
        ring::EdgesByBand(across, e0 + static_cast<double>(first) * B, B,
                          static_cast<std::size_t>(last - first + 1), kOnLine);
    std::vector<std::vector<Piece>> lines;
    lines.reserve(static_cast<std::size_t>(last - first + 1));
    std::vector<Crossing> up, down;
    bool anyPiece = false, anyLeft = false;
    for (long long j = first; j <= last; ++j) {
        const double e = e0 + static_cast<double>(j) * B;
        const double sx = -h * ux + e * vx, sy = -h * uy + e * vy;
        const double tx = h * ux + e * vx, ty = h * uy + e * vy;
        // Lines beyond the area meet nothing; they keep their place so gaps stay gaps.
        if (e < tMin - kOnLine || e > tMax + kOnLine)
            lines.emplace_back();
        else
            lines.push_back(LinePieces(ring, across, convex, e, sx, sy, tx, ty, ux, uy, j, up, down,
                                       bands.Of(static_cast<std::size_t>(j - first))));
        if (!zones.empty()) {
            anyPiece = anyPiece || !lines.back().empty();
            CutOut(lines.back(), zones, e, ux, uy);
            anyLeft = anyLeft || !lines.back().empty();
        }
    }
    if (anyPiece && !anyLeft)
        throw Error(ErrorKind::Refused, kZonesCoverAreaText);

    std::vector<PlannedLine> out;
    const auto emit = [&](const Piece& p, bool along, int block) {
        const Crossing& s = along ? p.lo : p.hi;
        const Crossing& t = along ? p.hi : p.lo;
        out.push_back({{Ec + s.X, Nc + s.Y}, {Ec + t.X, Nc + t.Y}, p.line, block, along});
    };

    if (convex) {
        // One block in grid order. As always, the crossing met first along the ring starts
        // the first line, and the lines are flown alternately from there.
        bool along = true, haveFirst = false;
        for (const std::vector<Piece>& l : lines)
            for (const Piece& p : l) {
                if (!haveFirst) {
                    along = p.lo.edge <= p.hi.edge;
                    haveFirst = true;
                }
                emit(p, along, 0);
                along = !along;
            }
        return out;
    }

    // Blocks are flown one after the other: the first from its first line in the grid
    // direction, each further one the nearest to where the last ended, entered at the nearest
    // of its four corners (first or last line, either end). Distances within a millimetre
    // count as equal and the earlier block wins, so rounding never decides.
    std::vector<std::vector<Piece>> blocks = Blocks(lines);
    std::vector<bool> done(blocks.size(), false);
    PlanPt at{};
    for (std::size_t flown = 0; flown < blocks.size(); ++flown) {
        std::size_t best = 0;
        bool bestAsc = true, bestAlong = true;
        if (flown == 0) {
            best = 0;
        } else {
            double bestGap = std::numeric_limits<double>::infinity();
            for (std::size_t b = 0; b < blocks.size(); ++b) {
                if (done[b])
                    continue;
                for (const bool asc : {true, false}) {
                    const Piece& p = asc ? blocks[b].front() : blocks[b].back();
                    for (const bool along : {true, false}) {
                        const Crossing& c = along ? p.lo : p.hi;
                        const double g = Gap({at.E - Ec, at.N - Nc}, {c.X, c.Y});
                        if (g < bestGap - 1e-3) {
                            bestGap = g, best = b, bestAsc = asc, bestAlong = along;
                        }
                    }
                }
            }
        }
        done[best] = true;
        const auto& bl = blocks[best];
        bool along = bestAlong;
        for (std::size_t k = 0; k < bl.size(); ++k) {
            emit(bestAsc ? bl[k] : bl[bl.size() - 1 - k], along, static_cast<int>(flown));
            along = !along;
        }
        at = out.back().end;
    }
    return out;
}

double AddLegLengths(double path, const std::vector<FlightLeg>& legs) {
    for (const FlightLeg& leg : legs)
        for (std::size_t i = 0; i + 1 < leg.points.size(); ++i) {
            const PlanPt& a = leg.points[i];
            const PlanPt& b = leg.points[i + 1];
            path += std::sqrt((b.E - a.E) * (b.E - a.E) + (b.N - a.N) * (b.N - a.N));
        }
    return path;
}

LegRouter::LegRouter(const std::vector<PlanPt>& ringPts, const ZoneList& zones)
    : Er_(ringPts.empty() ? 0 : ringPts.front().E), Nr_(ringPts.empty() ? 0 : ringPts.front().N) {
    const std::vector<Vec> cleaned = ring::Cleaned(Local(ringPts, Er_, Nr_));
    // Straight where that stays inside (always so in a convex area), else the shortest way
    // inside around the notch.
    if (cleaned.size() < 3 || ring::SelfIntersecting(cleaned))
        return;
    ring::Simplification s = ring::PlanningRing(cleaned);
    merged_ = s.merged;
    std::vector<std::vector<Vec>> local = LocalZones(zones, s.ring, Er_, Nr_);
    zones_ = !local.empty();
    if (zones_ || !ring::IsConvex(s.ring))
        ways_ = std::make_unique<ring::InsidePaths>(std::move(s.ring), std::move(local));
}

LegRouter::~LegRouter() = default;

std::vector<FlightLeg> LegRouter::Legs(const std::vector<PlannedLine>& lines) {
    std::vector<FlightLeg> legs;
    legs.reserve(lines.size());
    for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
        const PlanPt a = lines[k].end, b = lines[k + 1].start;
        FlightLeg leg;
        if (ways_) {
            const Vec va{a.E - Er_, a.N - Nr_}, vb{b.E - Er_, b.N - Nr_};
            std::vector<Vec> way = zones_ ? ways_->Route(va, vb) : ways_->Way(va, vb);
            if (way.empty())
                throw Error(ErrorKind::Refused, kZonesSplitAreaText);
            for (const Vec& p : way)
                leg.points.push_back({p.x + Er_, p.y + Nr_});
            leg.points.front() = a; // the ends exactly as the lines have them
            leg.points.back() = b;
        } else {
            leg.points = {a, b};
        }
        legs.push_back(std::move(leg));
    }
    return legs;
}

std::vector<FlightLeg> PlanLegs(const std::vector<PlanPt>& ringPts,
                                const std::vector<PlannedLine>& lines) {
    return LegRouter(ringPts).Legs(lines);
}

std::vector<FlightLeg> PlanLegs(const std::vector<PlanPt>& ringPts, const ZoneList& zones,
                                const std::vector<PlannedLine>& lines) {
    return LegRouter(ringPts, zones).Legs(lines);
}

FlightPlan CompletePlan(const std::vector<PlanPt>& ringPts, const std::vector<PlannedLine>& lines,
                        double A, double V) {
    return CompletePlan(ringPts, {}, lines, A, V);
}

FlightPlan CompletePlan(const std::vector<PlanPt>& ringPts, const ZoneList& zones,
                        const std::vector<PlannedLine>& lines, double A, double V) {
    RefuseBadPhotoBase(A);
    FlightPlan plan;
    double estimate = 0;
    for (const PlannedLine& l : lines)
        estimate += Polar(l.end.E - l.start.E, l.end.N - l.start.N).s / A + 1.0;
    if (!std::isfinite(estimate))
        throw Error(ErrorKind::Refused, "Eine Fluglinie hat ungültige Koordinaten.");
    if (!(estimate <= static_cast<double>(MaxPictures)))
        throw Error(ErrorKind::Limit,
                    Format("Zu viele Bilder: der Plan hätte über %d Bildpositionen (Grenze %d).",
                           {static_cast<long long>(std::min(estimate, 1e18)), MaxPictures}) +
                        "\nBitte den Bildabstand vergrößern oder das Gebiet verkleinern.");
    // Each picture costs about a kilobyte over a whole run (its position, waypoint, mark on
    // the map and lines in the files); each border corner a few hundred bytes.
    RefuseBeyondMemory(estimate * 1024.0 + static_cast<double>(ringPts.size()) * 256.0);
    plan.pictures.reserve(static_cast<std::size_t>(estimate));

    double path = 0;
    plan.lines.reserve(lines.size());
    for (const PlannedLine& l : lines) {
        const PolarResult pr = Polar(l.end.E - l.start.E, l.end.N - l.start.N);
        const double L = pr.s;
        path += L;
        FlightLine fl{l.start, l.end, l.gridLine, l.block, l.alongGrid, 0, 0, false, {}};
        fl.firstPicture = plan.pictures.size();
        const double dirE = std::sin(pr.t);
        const double dirN = std::cos(pr.t);
        // The position along the line is summed up step by step; the map, the drawing file
        // and the mission have always laid their pictures so, and agree on every one.
        double lastAt = -1;
        // NOLINTNEXTLINE(clang-analyzer-security.FloatLoopCounter): the sum is the rule
        for (double at = 0; at <= L; at += A) {
            plan.pictures.push_back(
                {{l.start.E + dirE * at, l.start.N + dirN * at}, plan.lines.size()});
            lastAt = at;
        }
        fl.pictureCount = plan.pictures.size() - fl.firstPicture;
        fl.endPicture = lastAt != L;
        fl.endPictureAt = {l.start.E + dirE * L, l.start.N + dirN * L};
        plan.lines.push_back(fl);
    }

    LegRouter router(ringPts, zones);
    plan.legs = router.Legs(lines);
    plan.totals.mergedCorners = router.Merged();
    path = AddLegLengths(path, plan.legs);

    plan.totals.strips = plan.lines.size();
    plan.totals.pathM = path;
    plan.totals.pictures = plan.pictures.size();
    // Standing still or with no path there is nothing to divide by: 0.
    plan.totals.flightMin = V > 0 && path > 0 ? 1.0 / ((V * 1000.0) / path) * 60.0 : 0.0;
    const std::vector<Vec> ring = ring::Cleaned(Local(
        ringPts, ringPts.empty() ? 0 : ringPts.front().E, ringPts.empty() ? 0 : ringPts.front().N));
    plan.totals.areaHa = ring.size() >= 3 ? std::fabs(ring::TwiceArea(ring)) / 2.0 / 10000.0 : 0;
    return plan;
}

FlightPlan PlanFlight(const std::vector<PlanPt>& ring, double Ri, double B, double A, double V) {
    GridFrame f{1e10, -1e10, 1e10, -1e10, Ri, B};
    for (const PlanPt& p : ring) {
        f.EMin = std::min(f.EMin, p.E), f.EMax = std::max(f.EMax, p.E);
        f.NMin = std::min(f.NMin, p.N), f.NMax = std::max(f.NMax, p.N);
    }
    RefuseBadPhotoBase(A); // before laying any line
    return CompletePlan(ring, PlanGridLines(ring, f), A, V);
}

std::vector<PlanPt> BorderRing(const State& s) {
    std::vector<PlanPt> ringPts;
    ringPts.reserve(s.BorderLines.size());
    for (const TLine& l : s.BorderLines) {
        if (l[0] < 0 || l[1] < 0 || static_cast<std::size_t>(l[0]) >= s.Points.size() ||
            static_cast<std::size_t>(l[1]) >= s.Points.size())
            continue;
        const TPt& p = s.Points[static_cast<std::size_t>(l[0])];
        ringPts.push_back({p.E, p.N});
    }
    return ringPts;
}

std::vector<PlannedLine> StateLines(const State& s) {
    std::vector<PlannedLine> lines;
    lines.reserve(s.FlightSegs.size());
    const std::size_t n = s.CutPoints.size();
    for (std::size_t k = 0; k < s.FlightSegs.size(); ++k) {
        const TLine& seg = s.FlightSegs[k];
        if (seg[0] < 0 || seg[1] < 0 || static_cast<std::size_t>(seg[0]) >= n ||
            static_cast<std::size_t>(seg[1]) >= n)
            continue;
        const Tpunkt& a = s.CutPoints[static_cast<std::size_t>(seg[0])];
        const Tpunkt& b = s.CutPoints[static_cast<std::size_t>(seg[1])];
        const bool even = k % 2 == 0;
        // The lists do not keep grid numbers and blocks; they read as unknown (-1).
        lines.push_back({even ? PlanPt{a[0], a[1]} : PlanPt{b[0], b[1]},
                         even ? PlanPt{b[0], b[1]} : PlanPt{a[0], a[1]}, -1, -1, even});
    }
    return lines;
}

FlightPlan PlanOfState(const State& s, double A, double V) {
    return CompletePlan(BorderRing(s), StateZones(s), StateLines(s), A, V);
}

bool SegmentInside(const std::vector<PlanPt>& ringPts, PlanPt a, PlanPt b) {
    if (ringPts.empty())
        return false;
    const double Er = ringPts.front().E, Nr = ringPts.front().N;
    return ring::SegmentInside(ring::Cleaned(Local(ringPts, Er, Nr)), {a.E - Er, a.N - Nr},
                               {b.E - Er, b.N - Nr});
}

} // namespace korvale
