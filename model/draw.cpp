// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/draw.h"

#include <cmath>
#include <optional>

#include "model/format.h"

namespace korvale {

namespace {

struct XY {
    double x;
    double y;
};

// Joins each point of kind `kind` to the next one of that kind in list order. Points of other
// kinds in between are passed over; a segment of length 0 and a start point not below the
// window's top edge (y <= 0.01) draw nothing.
void RunningLine(const State& s, Overlay& o, std::uint8_t kind, Argb colour) {
    std::optional<XY> a;
    std::optional<XY> b;
    const auto& pts = s.Points;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        if (pts[i].Typ == kind)
            a = XY{pts[i].xb, pts[i].yb};
        if (pts[i + 1].Typ == kind)
            b = XY{pts[i + 1].xb, pts[i + 1].yb};
        if (a && b && std::hypot(b->x - a->x, b->y - a->y) > 0 && a->y > 0.01)
            o.Line(colour, a->x, a->y, b->x, b->y);
    }
}

void IndexLines(const State& s, Overlay& o, const std::vector<TLine>& lines, Argb colour) {
    o.RequestFront();
    const auto n = static_cast<long long>(s.Points.size());
    for (const TLine& l : lines) {
        if (l[0] < 0 || l[1] < 0 || l[0] >= n || l[1] >= n)
            continue;
        const TPt& p = s.Points[static_cast<std::size_t>(l[0])];
        const TPt& q = s.Points[static_cast<std::size_t>(l[1])];
        o.Line(colour, p.xb, p.yb, q.xb, q.yb);
    }
}

} // namespace

void ShowPoints(const State& s, Overlay& o) {
    o.RequestFront();
    for (std::size_t i = 0; i < s.Points.size(); ++i) {
        const TPt& p = s.Points[i];
        const Argb c = MarkerColour(p.Typ);
        const double r = MarkerRadius(p.Typ);
        o.Circle(c, p.xb, p.yb, r);
        o.Disc(c, p.xb, p.yb, r);
        // The number ends 20 + r right of the point, centred on its height.
        o.Label(c, p.xb, p.yb - r, p.xb + 20 + r, p.yb + r, Format("%d", {i}));
    }
}

void ShowBorder(const State& s, Overlay& o) {
    RunningLine(s, o, KindBorder, ColYellow);
}

void ShowFreeline(const State& s, Overlay& o) {
    RunningLine(s, o, KindFreeLine, ColBlue);
}

void DisplayBorderLine(const State& s, Overlay& o) {
    IndexLines(s, o, s.BorderLines, ColYellow);
}

void DisplayFreeline(const State& s, Overlay& o) {
    IndexLines(s, o, s.FreeLines, ColBlue);
}

} // namespace korvale
