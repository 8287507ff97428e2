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
// hemisphere, or a switched-off control point); else leaves `out` as it is.
//
// Layout (every record an IEEE-754 double, little-endian): the 8 bytes "KVEXT001", then R (the
// number of records that follow), then zone, hemisphere (0 north, 1 south), K, and the K
// indices of the switched-off control points in ascending order; R = 3 + K.
//
// A project with an elevation model (State::DemFile) has the block in any zone, followed by the
// 8 bytes "KVDEM001", then N (the path's length in bytes, at most 4096) and N records, each one
// byte of the UTF-8 path (0..255). Readers that know only the first block stop after its R
// records and load such a file without the model.
void AppendProjectExtension(std::string& out, const State& s);

// Reads the bytes after the declared points into d (zone, hemisphere, TPt::Off of its points,
// the elevation model).
// Bytes that do not begin with the marker are ignored, as older files may carry any; a block
// that begins with the marker must be whole and valid, else Error(Damaged, "Die Projektdatei
// ist beschädigt: ..."). Without a block d keeps zone 32, north, nothing switched off.
void ReadProjectExtension(std::string_view rest, ProjectData& d);

} // namespace korvale
