// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Survey areas from other programs: the polygons of a KML, KMZ or GeoJSON file in WGS84, so
// the window can take one of them as the area border.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvale {

// A position in WGS84, decimal degrees.
struct GeoPos {
    double lat = 0;
    double lon = 0;
};

// One candidate area: the outer ring of a polygon (closing vertex removed, consecutive
// repeats dropped, at least 3 distinct corners, in the file's own order), the polygon's name
// if the file gives one, which part of a multi-polygon it is (1, 2, ... ; 0 for a plain
// polygon) and how many holes it has (they are not part of the ring). The holes whose ring
// is well formed (cleaned as the outer ring) are kept in `inner`, to be left out of the area
// as exclusion zones; the others are only counted.
struct AreaPolygon {
    std::string name;
    int part = 0;
    int holes = 0;
    std::vector<GeoPos> ring;
    std::vector<std::vector<GeoPos>> inner;
};

// The holes of the polygon that could not be read (holes - inner.size()).
inline int DroppedHoles(const AreaPolygon& a) {
    return a.holes - static_cast<int>(a.inner.size());
}

// Readers of the bytes of one file. Each returns every polygon of the file in document order
// (the parts of a multi-polygon one by one) or throws Error, all or nothing:
//   Damaged  the bytes are not what the format needs (no XML/KML, no zip, no JSON, a
//            coordinate that is no number);
//   Refused  the file holds no polygon, a ring with fewer than 3 distinct corners, a
//            coordinate outside WGS84 degrees (|lat| > 90, |lon| > 180, not finite) or a
//            coordinate system other than WGS84.
// Heights (third coordinates) are read over and ignored.
std::vector<AreaPolygon> ReadAreaKml(std::string_view bytes);
std::vector<AreaPolygon> ReadAreaKmz(std::string_view bytes);
std::vector<AreaPolygon> ReadAreaGeoJson(std::string_view bytes);

enum class AreaFormat { Unknown, Kml, Kmz, GeoJson };
// The format named by the file's extension (.kml, .kmz, .geojson, .json; any case).
AreaFormat AreaFormatOf(const std::string& path);

// The largest area file read unless the caller sets another limit: a survey area of a few
// thousand corners is some hundred kilobytes.
inline constexpr std::uint64_t kAreaFileLimitBytes = std::uint64_t{256} * 1024 * 1024;

// Reads the file by its extension; a message names the file on a second line. An unknown
// extension is refused before the file is read; a file that is no regular file, or larger
// than `maxBytes`, is refused before its bytes are parsed (see ReadFileBytes).
std::vector<AreaPolygon> ReadAreaFile(const std::string& path);
std::vector<AreaPolygon> ReadAreaFile(const std::string& path, std::uint64_t maxBytes);

// A short German label of a candidate for a choice list: its name (or "Polygon <n>" with n
// counted from 1), the part of a multi-polygon, the number of corners and of holes.
std::string AreaLabel(const AreaPolygon& a, std::size_t index);

namespace detail {
// Checks one ring as read (closing vertex may be present) and returns it cleaned; throws the
// Refused errors described above. `what` names the polygon in the message.
std::vector<GeoPos> CleanRing(const std::vector<GeoPos>& raw, const std::string& what);
// The refusal for a file without any polygon.
[[noreturn]] void ThrowNoPolygon();
} // namespace detail

} // namespace korvale
