// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/numberbox.h"

#include <algorithm>
#include <cmath>

#include "model/format.h"

namespace korvale {

double RoundHalfEven(double v) {
    if (!std::isfinite(v))
        return v;
    const double fl = std::floor(v);
    const double diff = v - fl; // exact for every double
    if (diff < 0.5)
        return fl;
    if (diff > 0.5)
        return fl + 1;
    return std::fmod(fl, 2.0) == 0 ? fl : fl + 1;
}

NumberBox::NumberBox(Kind kind, double value, double min, double max, int decimals, bool readOnly)
    : kind_(kind), min_(std::isnan(min) ? 0 : min), max_(std::isnan(max) ? min_ : max),
      decimals_(std::max(decimals, 0)), readOnly_(readOnly) {
    if (max_ < min_)
        max_ = min_;
    value_ = std::isnan(value) ? min_ : std::clamp(value, min_, max_);
}

double NumberBox::Value() const {
    return kind_ == Kind::Integer ? RoundHalfEven(value_) : value_;
}

bool NumberBox::SetValue(double v) {
    text_.reset();
    // A NaN has no place in a range; the box keeps what it had.
    if (std::isnan(v))
        return false;
    const double nv = std::clamp(v, min_, max_);
    const bool changed = nv != value_;
    value_ = nv;
    return changed;
}

void NumberBox::SetMin(double m) {
    if (std::isnan(m))
        return;
    min_ = m;
    if (max_ < min_)
        max_ = min_;
    value_ = std::clamp(value_, min_, max_);
}

void NumberBox::SetMax(double m) {
    if (std::isnan(m))
        return;
    max_ = m;
    if (min_ > max_)
        min_ = max_;
    value_ = std::clamp(value_, min_, max_);
}

std::string NumberBox::Text() const {
    if (text_)
        return *text_;
    return FormatFixed(Value(), decimals_);
}

} // namespace korvale
