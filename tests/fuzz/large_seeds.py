#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes large, well-formed seeds for the fuzz targets of the area and mission readers.

libFuzzer mutates inputs of about the size of its seeds; the seeds in corpus/ are small real
files, so the fuzzer never sees a polygon of thousands of corners or a file of thousands of
polygons, where quadratic work would show. These seeds are generated (not stored) so that the
repository stays small:

    tests/fuzz/large_seeds.py <folder>     writes <folder>/kml, <folder>/geojson, <folder>/litchi_csv
"""
import math
import os
import sys


def ring(cx, cy, r, n, phase=0.0):
    # A star-shaped ring: concave, never self-intersecting, closed.
    pts = []
    for k in range(n):
        a = 2 * math.pi * k / n + phase
        rr = r * (1.0 if k % 2 == 0 else 0.6)
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a) * 0.7))
    pts.append(pts[0])
    return pts


def kml_coords(pts):
    return " ".join("%.9f,%.9f,0" % p for p in pts)


def kml_polygon(pts, holes=()):
    inner = "".join(
        "<innerBoundaryIs><LinearRing><coordinates>%s</coordinates></LinearRing></innerBoundaryIs>"
        % kml_coords(h) for h in holes)
    return ("<Polygon><outerBoundaryIs><LinearRing><coordinates>%s</coordinates></LinearRing>"
            "</outerBoundaryIs>%s</Polygon>" % (kml_coords(pts), inner))


def kml_doc(body):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<kml xmlns="http://www.opengis.net/kml/2.2">'
            "<Document>%s</Document></kml>\n" % body)


def geo_ring(pts):
    return "[" + ",".join("[%.9f,%.9f]" % p for p in pts) + "]"


def litchi_csv(n):
    header = ("latitude,longitude,altitude(m),heading(deg),curvesize(m),rotationdir,gimbalmode,"
              "gimbalpitchangle," +
              ",".join("actiontype%d,actionparam%d" % (k, k) for k in range(1, 16)) +
              ",altitudemode,speed(m/s),poi_latitude,poi_longitude,poi_altitude(m),"
              "poi_altitudemode,photo_timeinterval,photo_distinterval")
    lines = [header]
    for i in range(n):
        lat = 48.0 + i * 1e-5
        lon = 11.0 + (i % 50) * 1e-5
        actions = ",".join("1,0.00" if k == 0 else "-1,0.00" for k in range(15))
        lines.append("%10.6f,%10.6f,%10.3f,%10.4f,%5.1f,%10.4f,%2d,%5.1f,%s,%d,%5.1f,%10.6f,"
                     "%10.6f,%10.3f,%5d,%5d,%4.0f" %
                     (lat, lon, 40.0, i % 360, 0.2, 0, 2, -90.0, actions, 0, 4.2, 0, 0, 0, 0, 2, -1))
    return "\r\n".join(lines) + "\r\n"


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    seeds = {
        "kml": {
            # one polygon of many corners, one with many holes, many polygons in one
            # MultiGeometry and in many Placemarks, deeply nested folders
            "corners_5000.kml": kml_doc("<Placemark><name>Stern</name>%s</Placemark>" %
                                        kml_polygon(ring(11.0, 48.0, 0.01, 5000))),
            "holes_500.kml": kml_doc("<Placemark>%s</Placemark>" % kml_polygon(
                ring(11.0, 48.0, 0.05, 40),
                [ring(11.0 + 0.0015 * (k % 25 - 12), 48.0 + 0.0012 * (k // 25 - 10), 0.0004, 8)
                 for k in range(500)])),
            "multigeometry_2000.kml": kml_doc("<Placemark><MultiGeometry>%s</MultiGeometry>"
                                              "</Placemark>" % "".join(
                                                  kml_polygon(ring(11.0 + 0.001 * (k % 50), 48.0 +
                                                                   0.001 * (k // 50), 0.0004, 6))
                                                  for k in range(2000))),
            "placemarks_2000.kml": kml_doc("".join(
                "<Placemark><name>P%d</name>%s</Placemark>" %
                (k, kml_polygon(ring(11.0 + 0.001 * k, 48.0, 0.0004, 5))) for k in range(2000))),
            "folders_500.kml": kml_doc("<Folder>" * 500 + "<Placemark>%s</Placemark>" %
                                       kml_polygon(ring(11.0, 48.0, 0.001, 12)) + "</Folder>" * 500),
        },
        "geojson": {
            "corners_5000.geojson": '{"type":"Polygon","coordinates":[%s]}' %
            geo_ring(ring(11.0, 48.0, 0.01, 5000)),
            "multipolygon_2000.geojson": '{"type":"MultiPolygon","coordinates":[%s]}' % ",".join(
                "[%s]" % geo_ring(ring(11.0 + 0.001 * (k % 50), 48.0 + 0.001 * (k // 50), 0.0004, 6))
                for k in range(2000)),
            "features_2000.geojson": '{"type":"FeatureCollection","features":[%s]}' % ",".join(
                '{"type":"Feature","properties":{"name":"F%d"},"geometry":{"type":"Polygon",'
                '"coordinates":[%s]}}' % (k, geo_ring(ring(11.0 + 0.001 * k, 48.0, 0.0004, 5)))
                for k in range(2000)),
            "nested_500.geojson": '{"type":"GeometryCollection","geometries":[' * 500 +
            '{"type":"Polygon","coordinates":[%s]}' % geo_ring(ring(11.0, 48.0, 0.001, 12)) +
            "]}" * 500,
        },
        "litchi_csv": {
            "waypoints_3000.csv": litchi_csv(3000),
        },
    }
    for target, files in seeds.items():
        folder = os.path.join(out, target)
        os.makedirs(folder, exist_ok=True)
        for name, text in files.items():
            with open(os.path.join(folder, name), "w", encoding="utf-8", newline="") as f:
                f.write(text)


if __name__ == "__main__":
    main()
