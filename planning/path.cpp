#include "planning/path.h"

#include <cmath>
#include <utility>

#include "georef/transform.h"
#include "model/draw.h"
#include "model/error.h"
#include "model/geodesy.h"
#include "planning/border.h"
#include "planning/grid.h"

namespace korvale {

namespace {

// More picture positions than this would fill memory with marks and take minutes to draw;
// the count box itself shows at most 10000.
constexpr double kMaxPictures = 200000;

constexpr double kMarkRadius = 2; // pixels

struct Ends {
    bool ok;
    Tpunkt S;
    Tpunkt T;
};

// Start and end of segment k in flight order: even segments from their first cut point,
// odd ones from their second.
Ends SegmentEnds(const State& s, std::size_t k) {
    const TLine& seg = s.FlightSegs[k];
    const auto n = s.CutPoints.size();
    if (seg[0] < 0 || seg[1] < 0 || static_cast<std::size_t>(seg[0]) >= n ||
        static_cast<std::size_t>(seg[1]) >= n)
        return {false, {}, {}};
    const Tpunkt& a = s.CutPoints[static_cast<std::size_t>(seg[0])];
    const Tpunkt& b = s.CutPoints[static_cast<std::size_t>(seg[1])];
    return k % 2 == 0 ? Ends{true, a, b} : Ends{true, b, a};
}

void GroundLine(const State& s, Overlay& o, const Tpunkt& a, const Tpunkt& b) {
    const ImagePos pa = Trafback(s, a[1], a[0]);
    const ImagePos pb = Trafback(s, b[1], b[0]);
    o.Line(ColYellow, pa.xb, pa.yb, pb.xb, pb.yb);
}

} // namespace

void CalcFlugWeg(State& s, ParamPageModel& p, Overlay& o) {
    if (s.CutPoints.empty())
        return;
    const double A = p.NumberBoxA.Value();
    // A photo base of 0 would lay pictures at one spot for ever.
    if (!std::isfinite(A) || !(A > 0))
        throw Error(ErrorKind::Refused,
                    "Der Bildabstand muss größer als 0 m sein (Längsüberdeckung unter 100 %).");
    double estimate = 0;
    for (std::size_t k = 0; k < s.FlightSegs.size(); ++k) {
        const Ends e = SegmentEnds(s, k);
        if (e.ok)
            estimate += Polar(e.T[0] - e.S[0], e.T[1] - e.S[1]).s / A + 1.0;
    }
    if (!(estimate <= kMaxPictures))
        throw Error(ErrorKind::Limit,
                    "Der Bildabstand ist für dieses Gebiet zu klein: zu viele Bilder.");

    double path = 0;
    long long pictures = 0;
    for (std::size_t k = 0; k < s.FlightSegs.size(); ++k) {
        const Ends e = SegmentEnds(s, k);
        if (!e.ok)
            continue;
        const PolarResult pr = Polar(e.T[0] - e.S[0], e.T[1] - e.S[1]);
        const double L = pr.s;
        path += L;
        GroundLine(s, o, e.S, e.T);
        const double dirE = std::sin(pr.t);
        const double dirN = std::cos(pr.t);
        // The position along the segment is summed up step by step, as the mission and the
        // drawing file lay out their pictures, so that all three agree on every picture.
        for (double at = 0; at <= L; at += A) {
            const ImagePos ip = Trafback(s, e.S[1] + dirN * at, e.S[0] + dirE * at);
            o.Circle(ColYellow, ip.xb, ip.yb, kMarkRadius);
            o.Disc(ColMagenta, ip.xb, ip.yb, kMarkRadius);
            ++pictures;
        }
    }

    // Connection legs join the end of each segment to the start of the next in flight order:
    // cut points 1-3, 2-4, 5-7, 6-8, ... (k = 1 or 2 modulo 4).
    const std::size_t n = s.CutPoints.size();
    for (std::size_t k = 1; k + 2 < n; k += (k % 4 == 1) ? 1 : 3) {
        const Tpunkt& a = s.CutPoints[k];
        const Tpunkt& b = s.CutPoints[k + 2];
        GroundLine(s, o, a, b);
        path += std::sqrt((b[0] - a[0]) * (b[0] - a[0]) + (b[1] - a[1]) * (b[1] - a[1]));
    }

    p.NumberBoxStreifen.SetValue(static_cast<double>(s.FlightSegs.size()));
    p.NumberBoxWeg.SetValue(path);
    p.NumberBoxBilder.SetValue(static_cast<double>(pictures));
    // Flight time from the path length as the box shows it, in minutes, without turns, climb
    // or landing. Standing still or with no path there is nothing to divide by: 0.
    const double V = p.NumberBoxV.Value();
    const double W = p.NumberBoxWeg.Value();
    p.NumberBoxFlugzeit.SetValue(V > 0 && W > 0 ? 1.0 / ((V * 1000.0) / W) * 60.0 : 0.0);
}

void FlightLines(State& s, ParamPageModel& p, Overlay& o) {
    Trafall(s);
    SetBorderPointer(s, p);
    if (s.BorderIdx.empty())
        return;
    DisplayBorderLine(s, o);
    CalcBorderMinMax(s);
    // A refused grid or path must not leave a half-made plan behind: the lists go back to
    // the plan whose statistics the page still shows.
    auto cut = s.CutPoints;
    auto segs = s.FlightSegs;
    try {
        Schnitte(s, p.NumberBoxRi.Value(), p.NumberBoxB.Value());
        CalcFlugWeg(s, p, o);
    } catch (const Error&) {
        s.CutPoints = std::move(cut);
        s.FlightSegs = std::move(segs);
        throw;
    }
}

} // namespace korvale
