// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of a number box as a plain value: range clamp, integer or float kind, decimals,
// read-only. The window's widget shows and edits such a value but never rounds it.
#pragma once

#include <optional>
#include <string>

namespace korvale {

class NumberBox {
  public:
    enum class Kind { Float, Integer };

    NumberBox() = default; // Float, value 0, Min 0, Max 100, 0 decimals
    NumberBox(Kind kind, double value, double min, double max, int decimals = 0,
              bool readOnly = false);

    // The value handed out: exact for a float box; for an integer box rounded to the nearest
    // whole number, halves to the even neighbour.
    double Value() const;
    // The stored value, unrounded.
    double Raw() const { return value_; }
    // Writes a value, clamped to [Min, Max]; drops a text set by SetText. Returns whether
    // the stored value changed. A NaN is not stored: the box keeps its value, returns false.
    bool SetValue(double v);

    double Min() const { return min_; }
    double Max() const { return max_; }
    // Changing a bound clamps the stored value into the new range. A minimum above Max
    // (or a maximum below Min) moves the other bound along; a NaN bound is ignored.
    void SetMin(double m);
    void SetMax(double m);

    int Decimals() const { return decimals_; }
    Kind GetKind() const { return kind_; }
    bool ReadOnly() const { return readOnly_; }

    // The text shown: the text set by SetText if any, else the value with Decimals places
    // (an integer box shows its rounded value).
    std::string Text() const;
    // Shows a text instead of the formatted value (the stored value is left alone).
    void SetText(std::string text) { text_ = std::move(text); }

  private:
    Kind kind_ = Kind::Float;
    double value_ = 0;
    double min_ = 0;
    double max_ = 100;
    int decimals_ = 0;
    bool readOnly_ = false;
    std::optional<std::string> text_;
};

// Round to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double v);

} // namespace korvale
