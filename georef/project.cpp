// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Map project data file: encoding, checked decoding and the image name.
#include "georef/project.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "georef/project_ext.h"
#include "georef/transform.h"
#include "model/error.h"
#include "model/fileio.h"

namespace korvale {

namespace {

constexpr std::size_t RecordSize = 8;
constexpr std::size_t HeaderRecords = 7;
constexpr std::size_t PointRecords = 8;
constexpr std::size_t HeaderBytes = HeaderRecords * RecordSize;
constexpr std::size_t PointBytes = PointRecords * RecordSize;

[[noreturn]] void Damaged(const char* what) {
    throw Error(ErrorKind::Damaged, std::string("Die Projektdatei ist beschädigt: ") + what);
}

[[noreturn]] void PastEnd() {
    throw Error(ErrorKind::Damaged, "Versuch hinter dem Dateiende zu lesen");
}

double Finite(double v) {
    if (!std::isfinite(v))
        Damaged("ungültiger Zahlenwert.");
    return v;
}

float MapPosition(double v) {
    // Narrowing a double beyond the float range is undefined; such a value is no map position.
    if (!std::isfinite(v) || std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max()))
        Damaged("ungültige Kartenposition.");
    return static_cast<float>(v);
}

std::uint8_t Kind(double v) {
    // The kind is stored as a whole number; what counts is the low 8 bits of the value truncated
    // toward zero. fmod is exact, so any finite value gives the right bits without an integer
    // conversion that could overflow.
    if (!std::isfinite(v))
        Damaged("ungültige Punktart.");
    double low = std::fmod(std::trunc(v), 256.0);
    if (low < 0)
        low += 256.0;
    return static_cast<std::uint8_t>(low);
}

std::string::size_type NameStart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string ImageNameFrom(const std::string& path, std::string::size_type from) {
    const auto dot = path.find('.', from);
    if (dot == std::string::npos)
        return path + "jpg";
    return path.substr(0, dot + 1) + "jpg";
}

// The redraw after a load gives every point stored with E = 0 its ground coordinates from the
// loaded transformation. A transformation that makes them infinite or undefined (a huge scale
// applied to a far map position) would put a state in the window that saves as a file no load
// accepts; such a file is as damaged as one with such values stored.
void CheckGroundCoordinates(const ProjectData& d) {
    State s;
    ApplyProject(s, d);
    Trafall(s);
    for (const TPt& p : s.Points) {
        for (double v : {p.E, p.N, p.B, p.L, p.c}) {
            if (!std::isfinite(v))
                Damaged("die Transformation ergibt ungültige Koordinaten.");
        }
    }
}

} // namespace

void PutDouble(std::string& out, double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFFu));
}

double GetDouble(std::string_view bytes, std::size_t record) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i)
        bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[record * 8 + i]))
                << (8 * i);
    return std::bit_cast<double>(bits);
}

std::string EncodeProject(const State& s) {
    std::string out;
    out.reserve(HeaderBytes + PointBytes * s.Points.size());
    for (double v : {s.TrafO, s.TrafA, s.TrafYbs, s.TrafXbs, s.TrafYs, s.TrafXs})
        PutDouble(out, v);
    PutDouble(out, static_cast<double>(s.Points.size()) - 1.0);
    for (const TPt& p : s.Points) {
        for (double v : {p.B, p.L, p.E, p.N, p.c, static_cast<double>(p.xb),
                         static_cast<double>(p.yb), static_cast<double>(p.Typ)})
            PutDouble(out, v);
    }
    AppendProjectExtension(out, s);
    return out;
}

ProjectData DecodeProject(std::string_view bytes) {
    if (bytes.size() < HeaderBytes)
        PastEnd();

    ProjectData d;
    d.TrafO = Finite(GetDouble(bytes, 0));
    d.TrafA = Finite(GetDouble(bytes, 1));
    d.TrafYbs = Finite(GetDouble(bytes, 2));
    d.TrafXbs = Finite(GetDouble(bytes, 3));
    d.TrafYs = Finite(GetDouble(bytes, 4));
    d.TrafXs = Finite(GetDouble(bytes, 5));

    // Record 7 is the number of points minus one, written as a whole number.
    const double last = GetDouble(bytes, 6);
    if (!std::isfinite(last) || last != std::trunc(last) || last < -1.0)
        Damaged("ungültige Punktanzahl.");
    const std::size_t available = (bytes.size() - HeaderBytes) / PointBytes; // whole points
    if (last + 1.0 > static_cast<double>(available))
        PastEnd();
    const auto count = static_cast<std::size_t>(last + 1.0);

    d.Points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t r = HeaderRecords + i * PointRecords;
        TPt p;
        p.B = Finite(GetDouble(bytes, r + 0));
        p.L = Finite(GetDouble(bytes, r + 1));
        p.E = Finite(GetDouble(bytes, r + 2));
        p.N = Finite(GetDouble(bytes, r + 3));
        p.c = Finite(GetDouble(bytes, r + 4));
        p.xb = MapPosition(GetDouble(bytes, r + 5));
        p.yb = MapPosition(GetDouble(bytes, r + 6));
        p.Typ = Kind(GetDouble(bytes, r + 7));
        d.Points.push_back(p);
    }
    ReadProjectExtension(bytes.substr(HeaderBytes + count * PointBytes), d);
    CheckGroundCoordinates(d);
    return d;
}

std::string ProjectBytesToSave(const State& s) {
    std::string bytes = EncodeProject(s);
    try {
        DecodeProject(bytes);
    } catch (const Error& e) {
        const std::string why = e.what();
        const auto colon = why.find(": ");
        throw Error(ErrorKind::Refused,
                    "Das Projekt enthält Werte, mit denen es sich nicht wieder laden ließe; es "
                    "wurde nicht gespeichert.\n" +
                        (colon == std::string::npos ? why : why.substr(colon + 2)));
    }
    return bytes;
}

void ApplyProject(State& s, const ProjectData& d) {
    s.Points = d.Points;
    s.TrafO = d.TrafO;
    s.TrafA = d.TrafA;
    s.TrafYbs = d.TrafYbs;
    s.TrafXbs = d.TrafXbs;
    s.TrafYs = d.TrafYs;
    s.TrafXs = d.TrafXs;
    s.UtmZone = d.UtmZone;
    s.UtmSouth = d.UtmSouth;
    s.DemFile = d.DemFile;
    s.Zones = d.Zones;
}

std::string ProjectImageName(const std::string& path) {
    return ImageNameFrom(path, NameStart(path));
}

std::string LegacyProjectImageName(const std::string& path) {
    return ImageNameFrom(path, 0);
}

void SaveProjectData(const State& s, const std::string& path) {
    WriteFileAtomic(path, ProjectBytesToSave(s));
}

ProjectData LoadProjectData(const std::string& path) {
    return DecodeProject(ReadFileBytes(path));
}

} // namespace korvale
