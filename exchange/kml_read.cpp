// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Areas from KML (Google Earth, Google My Maps, QGIS/OGR exports) and KMZ (zipped KML).
#include <zip.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "exchange/area.h"
#include "exchange/kmz_entry.h"
#include "model/error.h"
#include "model/format.h"

namespace korvale {

namespace {

// A zipped KML larger than this is no survey area; the cap keeps a zip bomb out of memory.
constexpr zip_uint64_t kMaxKmlBytes = zip_uint64_t{256} * 1024 * 1024;

// Element names without their namespace prefix: files write "Polygon" as well as
// "kml:Polygon", and the old Google namespace is as good as the OGC one.
std::string_view LocalName(const pugi::xml_node& n) {
    const std::string_view name = n.name();
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& n, std::string_view local) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && LocalName(c) == local)
            return c;
    return {};
}

std::string Trim(std::string_view s) {
    const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!s.empty() && space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && space(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

double Number(std::string_view t) {
    double v = 0;
    // from_chars takes no leading '+', which some writers put before positive numbers.
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size())
        throw Error(ErrorKind::Damaged,
                    "Die KML-Koordinate '" + std::string(t.substr(0, 40)) + "' ist keine Zahl.");
    return v;
}

// The text of <coordinates>: tuples "lon,lat[,alt]" separated by white space. Some writers put
// a blank after the comma; white space next to a comma belongs to the tuple.
std::vector<GeoPos> Coordinates(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            const bool afterComma = !s.empty() && s.back() == ',';
            std::size_t j = i;
            while (j < text.size() && std::isspace(static_cast<unsigned char>(text[j])))
                ++j;
            const bool beforeComma = j < text.size() && text[j] == ',';
            if (!afterComma && !beforeComma)
                s += ' ';
            i = j - 1;
        } else {
            s += c;
        }
    }
    std::vector<GeoPos> out;
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t end = s.find(' ', pos);
        if (end == std::string::npos)
            end = s.size();
        const std::string_view tuple(s.data() + pos, end - pos);
        pos = end + 1;
        if (tuple.empty())
            continue;
        std::vector<std::string_view> parts;
        std::size_t p = 0;
        while (true) {
            const std::size_t c = tuple.find(',', p);
            parts.push_back(tuple.substr(p, c == std::string_view::npos ? c : c - p));
            if (c == std::string_view::npos)
                break;
            p = c + 1;
        }
        if (parts.size() < 2 || parts.size() > 3)
            throw Error(ErrorKind::Damaged, "Der KML-Koordinateneintrag '" +
                                                std::string(tuple.substr(0, 60)) +
                                                "' ist nicht Länge,Breite[,Höhe].");
        const double lon = Number(parts[0]);
        const double lat = Number(parts[1]);
        if (parts.size() == 3)
            Number(parts[2]); // the height must be a number too, but is not used
        out.push_back({lat, lon});
    }
    return out;
}

// What the walk through the document knows about the elements it is inside of, so a polygon's
// name and part number cost no search: a document of many polygons is read in linear time.
class Enclosing {
  public:
    void Enter(const pugi::xml_node& n) {
        if (n.type() != pugi::node_element)
            return;
        const std::string_view local = LocalName(n);
        if (local == "Placemark")
            placemarks_.push_back({n, Trim(Child(n, "name").child_value())});
        else if (local == "MultiGeometry")
            multis_.push_back({n, CountPolygons(n), 0});
    }

    void Leave(const pugi::xml_node& n) {
        if (!placemarks_.empty() && placemarks_.back().node == n)
            placemarks_.pop_back();
        if (!multis_.empty() && multis_.back().node == n)
            multis_.pop_back();
    }

    // The name of the nearest Placemark around the polygon, if any.
    std::string Name() const {
        return placemarks_.empty() ? std::string() : placemarks_.back().name;
    }

    // The polygon's number among the polygons of its multi-geometry (from 1), 0 when it stands
    // alone, so the parts can be offered one by one. Polygons are visited in document order,
    // so the n-th visit of a multi-geometry's child polygon is its n-th polygon.
    int Part(const pugi::xml_node& polygon) {
        if (multis_.empty() || multis_.back().node != polygon.parent())
            return 0;
        Multi& m = multis_.back();
        ++m.seen;
        return m.count > 1 ? m.seen : 0;
    }

  private:
    static int CountPolygons(const pugi::xml_node& multi) {
        int count = 0;
        for (pugi::xml_node c = multi.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element && LocalName(c) == "Polygon")
                ++count;
        return count;
    }

    struct Placemark {
        pugi::xml_node node;
        std::string name;
    };
    struct Multi {
        pugi::xml_node node;
        int count;
        int seen;
    };
    std::vector<Placemark> placemarks_;
    std::vector<Multi> multis_;
};

std::vector<GeoPos> RingOf(const pugi::xml_node& boundary) {
    const pugi::xml_node coords = Child(Child(boundary, "LinearRing"), "coordinates");
    std::string text;
    // The text may be split by comments or CDATA; every text piece counts.
    for (pugi::xml_node c = coords.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            text += c.value();
    return Coordinates(text);
}

} // namespace

std::vector<AreaPolygon> ReadAreaKml(std::string_view bytes) {
    pugi::xml_document doc;
    const pugi::xml_parse_result r = doc.load_buffer(bytes.data(), bytes.size());
    pugi::xml_node root = doc.document_element();
    if (!r || !root || LocalName(root) != "kml")
        throw Error(ErrorKind::Damaged,
                    "Die Datei ist keine KML-Datei (kein gültiges XML mit <kml> als Wurzel).");

    std::vector<AreaPolygon> out;
    // Walk the tree without recursion: a deeply nested file must not exhaust the stack.
    pugi::xml_node n = root;
    Enclosing around;
    while (n) {
        if (n.type() == pugi::node_element && LocalName(n) == "Polygon") {
            AreaPolygon a;
            a.name = around.Name();
            a.part = around.Part(n);
            std::vector<GeoPos> raw;
            std::vector<pugi::xml_node> inner;
            for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
                if (c.type() != pugi::node_element)
                    continue;
                if (LocalName(c) == "outerBoundaryIs" && raw.empty())
                    raw = RingOf(c);
                else if (LocalName(c) == "innerBoundaryIs")
                    inner.push_back(c);
            }
            const std::string what =
                a.name.empty() ? Format("Nr. %d", {out.size() + 1}) : "'" + a.name + "'";
            a.holes = static_cast<int>(inner.size());
            for (const pugi::xml_node& h : inner) {
                // A hole that cannot be read is left out and counted, as holes always were:
                // the area itself is still good.
                try {
                    a.inner.push_back(detail::CleanRing(RingOf(h), what));
                } catch (const Error&) {
                }
            }
            a.ring = detail::CleanRing(raw, what);
            out.push_back(std::move(a));
            // A polygon holds no polygon; go on after it.
        } else if (n.first_child()) {
            n = n.first_child();
            around.Enter(n);
            continue;
        }
        while (n && n != root && !n.next_sibling()) {
            around.Leave(n);
            n = n.parent();
        }
        if (!n || n == root)
            break;
        around.Leave(n);
        n = n.next_sibling();
        around.Enter(n);
    }
    if (out.empty())
        detail::ThrowNoPolygon();

    return out;
}

namespace {

// An entry's name as a message may show it: printable ASCII (zip names may be in any code
// page, or none), at most 60 characters.
std::string EntryNameShown(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (out.size() == 60) {
            out += "...";
            break;
        }
        const auto u = static_cast<unsigned char>(c);
        out += u < 0x20 || u >= 0x7F ? '?' : c;
    }
    return out;
}

} // namespace

std::vector<AreaPolygon> ReadAreaKmz(std::string_view bytes) {
    const auto notZip = [] {
        return Error(ErrorKind::Damaged,
                     "Die Datei ist keine KMZ-Datei (kein gültiges ZIP-Archiv).");
    };
    // libzip opens zero bytes as an empty archive; no zip is shorter than its end record.
    if (bytes.size() < 22)
        throw notZip();
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
    if (!src) {
        zip_error_fini(&err);
        throw notZip();
    }
    zip_t* z = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err);
    zip_error_fini(&err);
    if (!z) {
        zip_source_free(src);
        throw notZip();
    }
    struct Closer {
        zip_t* z;
        ~Closer() { zip_discard(z); }
    } closer{z};

    // Google Earth writes the main document as "doc.kml"; other writers use any name, so the
    // first .kml entry serves then.
    const zip_int64_t count = zip_get_num_entries(z, 0);
    zip_int64_t pick = zip_name_locate(z, "doc.kml", ZIP_FL_NOCASE);
    for (zip_int64_t i = 0; pick < 0 && i < count; ++i) {
        const char* name = zip_get_name(z, static_cast<zip_uint64_t>(i), 0);
        if (!name)
            continue;
        std::string lower(name);
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".kml") == 0)
            pick = i;
    }
    if (pick < 0)
        throw Error(ErrorKind::Damaged, "Die KMZ-Datei enthält keine KML-Datei.");

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(z, static_cast<zip_uint64_t>(pick), 0, &st) != 0 ||
        !(st.valid & ZIP_STAT_SIZE))
        throw notZip();
    if (st.size > kMaxKmlBytes)
        throw Error(ErrorKind::Limit, "Die KML-Datei in der KMZ-Datei ist zu groß.");
    const std::string entry = EntryNameShown(st.valid & ZIP_STAT_NAME ? st.name : "");
    zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(pick), 0);
    if (!f)
        throw Error(ErrorKind::Damaged, "Die KML-Datei '" + entry +
                                            "' in der KMZ-Datei lässt sich nicht entpacken "
                                            "(beschädigt oder verschlüsselt).");
    return ReadAreaKml(ReadCheckedZipEntry(
        f, st, "Die KML-Datei '" + entry + "' in der KMZ-Datei ist beschädigt: "));
}

} // namespace korvale
