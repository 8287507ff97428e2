// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The optional extension block of a map project data file: the project's UTM zone and
// hemisphere and which control points are switched off. It follows the declared points, opened
// by an 8-byte marker, so programs that stop reading after the points load such a file as
// before, and a project in zone 32 (north) without switched-off points is written without it,
// byte for byte as ever.
#pragma once

#include <string>
#include <string_view>

#include "model/state.h"

namespace korvale {

struct ProjectData;

// Appends the block to `out` when the state needs one (a zone other than 32, the southern
// hemisphere, a switched-off control point, an elevation model or an exclusion zone); else
// leaves `out` as it is.
//
// Layout (every record an IEEE-754 double, little-endian): the 8 bytes "KVEXT001", then R (the
// number of records that follow), then zone, hemisphere (0 north, 1 south), K, and the K
// indices of the switched-off control points in ascending order; R = 3 + K.
//
// A project with an elevation model (State::DemFile) has the block in any zone, followed by the
// 8 bytes "KVDEM001", then N (the path's length in bytes, at most 4096) and N records, each one
// byte of the UTF-8 path (0..255). Readers that know only the first block stop after its R
// records and load such a file without the model.
//
// A project with exclusion zones (State::Zones) has the block in any zone, followed (after the
// elevation model's block, if any) by the 8 bytes "KVZON001", then Z (the number of zones) and
// per zone M (its corners) and M corners of four records: E, N, xb, yb. Older readers stop
// before it and load such a file without its zones.
void AppendProjectExtension(std::string& out, const State& s);

// Reads the bytes after the declared points into d (zone, hemisphere, TPt::Off of its points,
// the elevation model, the exclusion zones).
// Bytes that do not begin with the marker are ignored, as older files may carry any; a block
// that begins with the marker must be whole and valid, else Error(Damaged, "Die Projektdatei
// ist beschädigt: ..."). Without a block d keeps zone 32, north, nothing switched off.
void ReadProjectExtension(std::string_view rest, ProjectData& d);

} // namespace korvale
