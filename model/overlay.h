// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The overlay over the map copy as a display list in window client coordinates.
// Core operations append primitives; the window paints them in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvale {

using Argb = std::uint32_t;

inline constexpr Argb ColLightBlue = 0xFFADD8E6;
inline constexpr Argb ColMagenta = 0xFFFF00FF;
inline constexpr Argb ColYellow = 0xFFFFFF00;
inline constexpr Argb ColBlue = 0xFF0000FF;
inline constexpr Argb ColCyan = 0xFF00FFFF;
inline constexpr Argb ColGrey = 0xFF808080;

struct Primitive {
    enum class Kind : std::uint8_t {
        Line,   // (x1,y1)-(x2,y2) in stroke colour, 1 wide
        Circle, // outline of the circle in the box (x1,y1)-(x2,y2), stroke colour
        Disc,   // filled circle in the box (x1,y1)-(x2,y2), fill colour
        Label,  // text in the box (x1,y1)-(x2,y2), fill colour, right-aligned, centred vertically
    };
    Kind kind = Kind::Line;
    Argb stroke = 0;
    Argb fill = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::string text;
};

class Overlay {
  public:
    void Line(Argb stroke, double x1, double y1, double x2, double y2);
    void Circle(Argb stroke, double cx, double cy, double r);
    void Disc(Argb fill, double cx, double cy, double r);
    void Label(Argb fill, double x1, double y1, double x2, double y2, std::string text);
    void Clear() { items_.clear(); }
    // A primitive as another overlay holds it (copying a part of a drawing).
    void Add(const Primitive& p) { Push(p); }

    // Drawing operations that show their result on the map copy page ask for that page here;
    // the window switches to it after the operation and clears the request.
    void RequestFront() { front_ = true; }
    bool TakeFrontRequest() {
        const bool f = front_;
        front_ = false;
        return f;
    }

    const std::vector<Primitive>& Items() const { return items_; }
    std::size_t Size() const { return items_.size(); }

  private:
    // Primitives with a non-finite coordinate are dropped here, once for all callers.
    void Push(Primitive p);
    std::vector<Primitive> items_;
    bool front_ = false;
};

// Marker colour and radius of a point kind (kinds above 4 come only from project files).
Argb MarkerColour(int typ);
double MarkerRadius(int typ);

} // namespace korvale
