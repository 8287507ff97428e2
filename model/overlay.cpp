// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/overlay.h"

#include <cmath>
#include <utility>

namespace korvale {

void Overlay::Push(Primitive p) {
    if (!std::isfinite(p.x1) || !std::isfinite(p.y1) || !std::isfinite(p.x2) ||
        !std::isfinite(p.y2))
        return;
    items_.push_back(std::move(p));
}

void Overlay::Line(Argb stroke, double x1, double y1, double x2, double y2) {
    Primitive p;
    p.kind = Primitive::Kind::Line;
    p.stroke = stroke;
    p.x1 = x1;
    p.y1 = y1;
    p.x2 = x2;
    p.y2 = y2;
    Push(std::move(p));
}

namespace {

// A circle's primitive holds the square that bounds it.
Primitive CircleBox(Primitive::Kind kind, double cx, double cy, double r) {
    Primitive p;
    p.kind = kind;
    p.x1 = cx - r;
    p.y1 = cy - r;
    p.x2 = cx + r;
    p.y2 = cy + r;
    return p;
}

} // namespace

void Overlay::Circle(Argb stroke, double cx, double cy, double r) {
    Primitive p = CircleBox(Primitive::Kind::Circle, cx, cy, r);
    p.stroke = stroke;
    Push(std::move(p));
}

void Overlay::Disc(Argb fill, double cx, double cy, double r) {
    Primitive p = CircleBox(Primitive::Kind::Disc, cx, cy, r);
    p.fill = fill;
    Push(std::move(p));
}

void Overlay::Label(Argb fill, double x1, double y1, double x2, double y2, std::string text) {
    Primitive p;
    p.kind = Primitive::Kind::Label;
    p.fill = fill;
    p.x1 = x1;
    p.y1 = y1;
    p.x2 = x2;
    p.y2 = y2;
    p.text = std::move(text);
    Push(std::move(p));
}

Argb MarkerColour(int typ) {
    switch (typ) {
    case 0:
        return ColLightBlue;
    case 1:
        return ColMagenta;
    case 2:
        return ColYellow;
    case 3:
        return ColBlue;
    case 4:
        return ColCyan;
    default:
        return ColGrey;
    }
}

double MarkerRadius(int typ) {
    return typ == 4 ? 10 : 5;
}

} // namespace korvale
