// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Control points from clipboard text: "latitude, longitude" in decimal degrees, as a web map
// copies a position, turned into a control point at a map position.
#pragma once

#include <string_view>

#include "model/state.h"

namespace korvale {

// Reads `text` (the clipboard's text) as a latitude and a longitude and appends a control
// point (Typ 1) at map position (xb, yb) with B, L and the E, N of the project's UTM zone; c
// stays 0. While no point has ground coordinates (a new project), this point chooses the zone
// and hemisphere (State::UtmZone, UtmSouth) from its own position; a project with ground
// coordinates keeps its zone (the window shows ZoneWarning for a point far outside it).
//
// Text rules: the two numbers are separated by a comma, blanks around each number are
// allowed. A text with more than one comma uses "," as decimal separator and its second comma
// separates the numbers ("48,1, 11,5"); otherwise "." is the decimal separator and the one
// comma separates them ("48.1, 11.5"). No thousands separators.
//
// Returns false for an empty text (no point). A text that does not split into two numbers
// throws Error with the conversion message of the part that failed ("'<part>' ist kein
// gültiger Gleitkommawert") and, as a second line, kClipboardFormatHint; a latitude outside -90..90
// or a longitude outside -180..180 throws Error too. On a throw s.Points is unchanged. No
// process-wide number format is touched: the decimal separator applies to this read alone.
//
// Contract for the window: when the clipboard holds no text, do not call. After a call that
// returns (true or false) write the empty text back to the clipboard, so that one copied
// position makes one control point; after a throw leave the clipboard's text as it is, so the
// user can correct the copy and press again.
bool ReadClipboardPoint(State& s, std::string_view text, float xb, float yb);

// The step after the text was read: appends a control point at map position (xb, yb) with
// latitude B and longitude L converted to the project's UTM zone, the zone chosen as above.
// Throws Error (Refused) for angles out of range; then s.Points is unchanged.
void AddGeoControlPoint(State& s, double B, double L, float xb, float yb);

// What the clipboard must hold, with an example: the second line of a conversion message.
extern const char* const kClipboardFormatHint;

} // namespace korvale
