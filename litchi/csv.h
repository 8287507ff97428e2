// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The Litchi mission CSV file: writing a mission in the column layout the Litchi app reads,
// and reading such a file (ours or another tool's) back into a mission, all or nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/types.h"

namespace korvale {

// The header line (without line end): the 46 column names in file order.
std::string_view LitchiCsvHeader();

// The name the file is written under: ".CSV" appended when the text holds no "." anywhere (a
// "." in a folder name counts as one).
std::string LitchiCsvFileName(const std::string& editText);

// The whole file text: the header and one line per waypoint, each ended by CR LF, no BOM.
std::string FormatLitchiCsv(const std::vector<TlitchRec>& recs);

// Writes the mission to the file named in editCVS (lengthened by LitchiCsvFileName, the new
// name written back into editCVS). The file is replaced atomically; throws Error on failure.
void WriteLitchiCVS(const std::vector<TlitchRec>& recs, std::string& editCVS);

// "" when every waypoint flies above 0 m, otherwise the warning for the status line naming
// how many waypoints have an altitude of 0 m or less.
std::string AltitudeWarning(const std::vector<TlitchRec>& recs);

// Splits the next field off `rest`. The field is the text before the first separator and rest
// becomes the text after it. Without a separator the field is the whole rest, which stays; an
// empty field (a separator at the start) yields the rest behind it. With an empty separator
// every field is the whole text.
std::string_view NextField(std::string_view& rest, std::string_view sep);

// Parses a Litchi mission file. The first line is the header; its text picks the separator
// (";" before ","), columns are taken by position. A header without Litchi's 46 columns
// (beginning latitude, longitude, altitude) is refused as "keine Litchi-Datei", a line with
// fewer than 45 or more than 46 values naming line and count. Blank lines are skipped; CR LF,
// LF, a lone CR and a last line without line end are accepted. All or nothing: returns the
// complete mission or throws Error with the conversion message and a second line naming line
// and column.
std::vector<TlitchRec> ParseLitchiCsv(std::string_view bytes);

// Reads and parses the file at `path`; throws Error on a file or conversion failure.
std::vector<TlitchRec> ReadLitchiFile(const std::string& path);

} // namespace korvale
