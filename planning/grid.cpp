#include "planning/grid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "model/error.h"
#include "planning/border.h"

namespace korvale {

namespace {

// Two crossings of one grid line closer than this are one crossing: the line passes through
// a vertex and meets both edges there.
constexpr double kSameCrossing = 1e-6; // metres

// A grid with more lines than this comes from a spacing far below anything a camera gives
// (or from border points scattered over a country) and would only stall the program.
constexpr double kMaxGridLines = 100000;

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A border edge relative to the centre of the bounding box.
struct LocalEdge {
    double px, py, qx, qy;
};

// Direction of the vector from `from` to `to`, counterclockwise from east, in [0, 2*pi).
double Direction(const Tpunkt& from, const Tpunkt& to) {
    const double dE = to[0] - from[0];
    const double dN = to[1] - from[1];
    if (dE == 0 && dN == 0)
        return 0;
    double phi = std::atan2(dN, dE);
    if (phi < 0)
        phi += kTwoPi;
    return phi >= kTwoPi ? 0 : phi;
}

} // namespace

IntersectResult Intersect(double x1, double y1, double x2, double y2, double x3, double y3,
                          double x4, double y4) {
    IntersectResult r{false, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::quiet_NaN()};
    const double d = (x1 - x2) * (y3 - y4) - (y1 - y2) * (x3 - x4);
    if (d == 0)
        return r;
    const double a12 = x1 * y2 - y1 * x2;
    const double a34 = x3 * y4 - y3 * x4;
    r.X = (a12 * (x3 - x4) - (x1 - x2) * a34) / d;
    r.Y = (a12 * (y3 - y4) - (y1 - y2) * a34) / d;
    // The crossing lies on the closed edge when neither end is farther from it than the
    // edge is long. Written as "not rejected" so that a NaN distance does not reject.
    const double a = std::sqrt((r.X - x1) * (r.X - x1) + (r.Y - y1) * (r.Y - y1));
    const double b = std::sqrt((r.X - x2) * (r.X - x2) + (r.Y - y2) * (r.Y - y2));
    const double c = std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
    r.hit = !(c < a) && !(c < b);
    return r;
}

void Schnitte(State& s, double Ri, double B) {
    if (!std::isfinite(B) || !(B > 0))
        throw Error(ErrorKind::Refused,
                    "Der Streifenabstand muss größer als 0 m sein (Querüberdeckung unter 100 %).");
    if (!std::isfinite(Ri))
        throw Error(ErrorKind::Refused, "Die Flugrichtung ist keine gültige Zahl.");

    const double oldEMin = s.BorderEMin, oldEMax = s.BorderEMax;
    const double oldNMin = s.BorderNMin, oldNMax = s.BorderNMax;
    CalcBorderMinMax(s);
    const double dE = s.BorderEMax - s.BorderEMin;
    const double dN = s.BorderNMax - s.BorderNMin;
    const double Ec = (s.BorderEMin + s.BorderEMax) / 2.0;
    const double Nc = (s.BorderNMin + s.BorderNMax) / 2.0;
    const bool haveBox = dE >= 0 && dN >= 0;

    if (Ri == 0)
        Ri = 0.01;
    const double alpha = Ri / Rho;
    const double ux = std::cos(alpha), uy = std::sin(alpha); // along the lines
    const double vx = -uy, vy = ux;                          // across the lines

    // The edges are taken relative to the box centre: crossings computed from eastings with
    // the zone prefix would carry products of 1e14 and lose the last centimetre.
    std::vector<LocalEdge> edges;
    double tMin = std::numeric_limits<double>::infinity();
    double tMax = -tMin;
    if (haveBox) {
        edges.reserve(s.BorderLines.size());
        const auto inside = [&](int i) {
            return i >= 0 && static_cast<std::size_t>(i) < s.Points.size();
        };
        for (const TLine& l : s.BorderLines) {
            if (!inside(l[0]) || !inside(l[1]))
                continue;
            const TPt& P = s.Points[static_cast<std::size_t>(l[0])];
            const TPt& Q = s.Points[static_cast<std::size_t>(l[1])];
            const LocalEdge e{P.E - Ec, P.N - Nc, Q.E - Ec, Q.N - Nc};
            edges.push_back(e);
            for (const double t : {e.px * vx + e.py * vy, e.qx * vx + e.qy * vy}) {
                tMin = std::min(tMin, t);
                tMax = std::max(tMax, t);
            }
        }
    }

    // Grid lines are numbered by j; j = 0 ... 2n is the grid over the widened box, lying at
    // the offset e0 + j * B across the line direction. For areas that reach farther across
    // the lines than that (long narrow areas flown across their length) lines are added
    // before and after at the same spacing, until the band of half a spacing on either side
    // of the outermost lines holds the whole area.
    const double e0 = -(dE / 2.0 + 100.0);
    long long first = 0, last = -1;
    if (!edges.empty() && std::isfinite(tMin) && std::isfinite(tMax)) {
        const double nReal = (std::max(dE, dN) + 100.0) / B;
        const double lo = std::min(e0, tMin - B);
        const double hi = std::max(e0 + 2.0 * nReal * B, tMax + B);
        if (!((hi - lo) / B + 1.0 <= kMaxGridLines)) {
            s.BorderEMin = oldEMin, s.BorderEMax = oldEMax;
            s.BorderNMin = oldNMin, s.BorderNMax = oldNMax;
            throw Error(ErrorKind::Limit,
                        "Der Streifenabstand ist für dieses Gebiet zu klein: zu viele Fluglinien.");
        }
        const auto n = static_cast<long long>(std::trunc(nReal));
        last = 2 * n;
        while (e0 + static_cast<double>(first) * B - B / 2.0 > tMin)
            --first;
        while (e0 + static_cast<double>(last) * B + B / 2.0 < tMax)
            ++last;
    }

    s.CutPoints.clear();
    s.FlightSegs.clear();
    s.BorderEMax += 100;
    s.BorderEMin -= 100;
    s.BorderNMax += 100;
    s.BorderNMin -= 100;

    const double h = dN / 2.0 + 100.0;
    std::vector<Tpunkt> crossings; // of one grid line, local coordinates, in edge order
    double phi0 = 0;
    for (long long j = first; j <= last; ++j) {
        const double e = e0 + static_cast<double>(j) * B;
        const double sx = -h * ux + e * vx, sy = -h * uy + e * vy;
        const double tx = h * ux + e * vx, ty = h * uy + e * vy;

        crossings.clear();
        for (const LocalEdge& g : edges) {
            const IntersectResult r = Intersect(g.px, g.py, g.qx, g.qy, sx, sy, tx, ty);
            if (!r.hit || !std::isfinite(r.X) || !std::isfinite(r.Y))
                continue;
            const bool seen = std::any_of(crossings.begin(), crossings.end(), [&](const Tpunkt& c) {
                return std::fabs(c[0] - r.X) < kSameCrossing &&
                       std::fabs(c[1] - r.Y) < kSameCrossing;
            });
            if (!seen)
                crossings.push_back({r.X, r.Y});
        }
        // A line through a vertex may still keep an unpaired crossing; it has no partner on
        // this line and must not be paired with a crossing of another line.
        if (crossings.size() % 2 == 1)
            crossings.pop_back();

        // Consecutive crossings in edge order form one segment.
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) {
            const int a = static_cast<int>(s.CutPoints.size());
            s.CutPoints.push_back({Ec + crossings[k][0], Nc + crossings[k][1]});
            s.CutPoints.push_back({Ec + crossings[k + 1][0], Nc + crossings[k + 1][1]});
            s.FlightSegs.push_back({a, a + 1});
            // Every segment is made to point the way of the first one, so that flying them
            // alternately forwards and backwards gives a serpentine path.
            const double phi = Direction(s.CutPoints[a + 1], s.CutPoints[a]);
            if (s.FlightSegs.size() == 1) {
                phi0 = phi;
                continue;
            }
            const double diff = std::fabs(phi - phi0);
            if (std::min(diff, kTwoPi - diff) > 0.1)
                std::swap(s.CutPoints[a], s.CutPoints[a + 1]);
        }
    }
}

} // namespace korvale
