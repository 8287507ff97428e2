// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The map project data file: the transformation and the whole point list as raw little-endian
// doubles, and the name of the map image stored beside it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/state.h"

namespace korvale {

// What a project data file holds. TrafM is not stored.
struct ProjectData {
    double TrafO = 0;
    double TrafA = 0;
    double TrafYbs = 0;
    double TrafXbs = 0;
    double TrafYs = 0;
    double TrafXs = 0;
    std::vector<TPt> Points;
    // From the optional extension block after the points (georef/project_ext.h); a file
    // without it is a zone-32 project in the north with no switched-off control point.
    int UtmZone = 32;
    bool UtmSouth = false;
    std::string DemFile;                 // the elevation model, "" for none
    std::vector<std::vector<TPt>> Zones; // exclusion zones (E, N, xb, yb of each corner)
};

// One record of the data file: a double, 8 bytes little-endian. Get reads record `record`
// (counted from 0) of `bytes`; the caller has checked that the bytes reach that far.
void PutDouble(std::string& out, double v);
double GetDouble(std::string_view bytes, std::size_t record);

// The file's bytes: TrafO, TrafA, TrafYbs, TrafXbs, TrafYs, TrafXs, number of points - 1, then
// per point B, L, E, N, c, xb, yb, Typ; every record an IEEE-754 double, little-endian on any
// host. 8 * (7 + 8 * points) bytes, followed by the extension block only for a project outside
// zone 32 north or with switched-off control points (georef/project_ext.h).
std::string EncodeProject(const State& s);

// Reads and checks the whole file before returning anything (all or nothing). Throws
// Error("Versuch hinter dem Dateiende zu lesen") when the bytes end before the header or before
// the declared points, and Error("Die Projektdatei ist beschädigt: ...") for a point count that
// is not a whole number of at least -1, a value that is not finite (NaN, infinity, a map
// position beyond single precision), or a transformation that would give a point stored
// without ground coordinates (E = 0) infinite or undefined ones on the redraw. Typ is truncated
// toward zero and keeps its low 8 bits. Bytes after the declared points are ignored unless they
// begin with the extension block's marker; such a block must be valid (else the same
// damaged-file error).
ProjectData DecodeProject(std::string_view bytes);

// EncodeProject(s) after checking that DecodeProject accepts it: a state that would not load
// again (a value that is not finite, ground coordinates the transformation cannot give) is
// refused with Error(ErrorKind::Refused) before anything is written.
std::string ProjectBytesToSave(const State& s);

// Replaces exactly the point list, the six stored transformation values, the UTM zone and
// hemisphere, the elevation model and the exclusion zones; TrafM and every other part of the
// state stay.
void ApplyProject(State& s, const ProjectData& d);

// Name of the map image of a project: in the file's own name (after the last '/'), the part up
// to and including its first '.', followed by "jpg"; a name without '.' gets "jpg" appended.
// The folder is kept as it is, dots in it included: "/home/anna.berg/Heim.dat" ->
// "/home/anna.berg/Heim.jpg", "Heim" -> "Heimjpg".
std::string ProjectImageName(const std::string& path);

// The older rule, which takes the first '.' of the whole path ("/home/anna.berg/Heim.dat" ->
// "/home/anna.jpg"). Only for opening projects saved that way, when ProjectImageName names no
// existing file.
std::string LegacyProjectImageName(const std::string& path);

// Writes ProjectBytesToSave(s) to `path`, replacing an older file atomically. Throws Error on a
// file error; an older file then stays intact.
void SaveProjectData(const State& s, const std::string& path);

// Reads and decodes the data file at `path`. Throws Error on a file error or damaged content.
ProjectData LoadProjectData(const std::string& path);

} // namespace korvale
