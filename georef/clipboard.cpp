// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Clipboard text to control point.
#include "georef/clipboard.h"

#include <algorithm>
#include <cmath>

#include "model/convert.h"
#include "model/error.h"
#include "model/geodesy.h"

namespace korvale {

const char* const kClipboardFormatHint =
    "In der Zwischenablage wird „Breite, Länge“ erwartet, z. B. 48.1234, 11.5678";

void AddGeoControlPoint(State& s, double B, double L, float xb, float yb) {
    // Out-of-range angles would give a control point far off any map and spoil the fit.
    constexpr const char* badPosition =
        "Die Zwischenablage enthält keine gültige Position: die Breite muss zwischen -90 und "
        "90, die Länge zwischen -180 und 180 Grad liegen.";
    if (!(std::fabs(B) <= 90.0 && std::fabs(L) <= 180.0))
        throw Error(ErrorKind::Refused, badPosition);
    // The first control point of a project without ground coordinates chooses the zone; the
    // state keeps its zone unless the point is added.
    const int zoneBefore = s.UtmZone;
    const bool southBefore = s.UtmSouth;
    AdoptZone(s, B, L);
    const UtmResult u = GeoToProjectUtm(s, B, L);
    if (!std::isfinite(u.X) || !std::isfinite(u.Y)) {
        s.UtmZone = zoneBefore;
        s.UtmSouth = southBefore;
        throw Error(ErrorKind::Refused, badPosition);
    }

    TPt p;
    p.B = B;
    p.L = L;
    p.E = u.Y;
    p.N = u.X;
    p.c = 0;
    p.xb = xb;
    p.yb = yb;
    p.Typ = KindControl;
    s.Points.push_back(p);
}

bool ReadClipboardPoint(State& s, std::string_view text, float xb, float yb) {
    if (text.empty())
        return false;

    const auto commas = std::count(text.begin(), text.end(), ',');
    const char decimal = commas > 1 ? ',' : '.';

    // The separating comma: the second one when "," is also the decimal separator, else the
    // only one. None (or a lone comma in front) leaves an empty latitude, which then fails
    // with the conversion message like any other text that is not two numbers.
    std::size_t split = std::string_view::npos;
    if (commas > 1)
        split = text.find(',', text.find(',') + 1);
    else if (commas == 1 && text.front() != ',')
        split = text.find(',');

    const std::string_view latText =
        split == std::string_view::npos ? std::string_view{} : text.substr(0, split);
    const std::string_view lonText =
        split == std::string_view::npos ? text : text.substr(split + 1);

    // The conversion message names the text; the second line says what the clipboard must
    // hold, since the user did not type that text but copied it elsewhere.
    double B = 0;
    double L = 0;
    try {
        B = StrToFloat(latText, decimal);
        L = StrToFloat(lonText, decimal);
    } catch (const Error& e) {
        if (e.kind() != ErrorKind::Conversion)
            throw;
        throw Error(ErrorKind::Conversion, std::string(e.what()) + "\n" + kClipboardFormatHint);
    }

    AddGeoControlPoint(s, B, L, xb, yb);
    return true;
}

} // namespace korvale
