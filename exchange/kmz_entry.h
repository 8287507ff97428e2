// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading one opened entry of a KMZ (zip) archive whole, checked against its declared size and
// CRC: shared by the readers of areas and of DJI missions.
#pragma once

#include <zip.h>

#include <string>

namespace korvale {

// Reads the opened entry `f` (stat `st`) to its end and closes it. libzip checks the checksum
// only there, and a stored entry would otherwise be taken as it stands, so the text is also
// compared with the CRC of the central directory. Throws Error (Damaged) whose text begins with
// `damaged` (e.g. "Die KML-Datei 'doc.kml' in der KMZ-Datei ist beschädigt: ") and says whether
// the checksum, the unpacking or the length failed.
std::string ReadCheckedZipEntry(zip_file_t* f, const zip_stat_t& st, const std::string& damaged);

} // namespace korvale
