#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads a DXF drawing of the plan with ezdxf, as a CAD program would, and compares it with
what the plan holds.

Usage: dxf_check.py <file.dxf> <expected.json>

expected.json maps layer name -> entity type -> list of entities in file order:
  POINT: [x, y, z]
  LINE:  [x1, y1, z1, x2, y2, z2]
  TEXT:  {"text": "...", "insert": [x, y, z], "height": h, "rotation": r}
Coordinates are compared to 1e-6 m. Exit code 0 when everything matches; otherwise every
difference is printed and the exit code is 1.
"""

import json
import sys

import ezdxf

TOL = 1e-6


def main():
    path, expected_path = sys.argv[1], sys.argv[2]
    with open(expected_path, encoding="ascii") as f:
        expected = json.load(f)
    problems = []

    raw = open(path, "rb").read()
    if any(b > 0x7E or (b < 0x20 and b not in (0x0D, 0x0A)) for b in raw):
        problems.append("file holds bytes other than printable ASCII and CR LF")
    if raw.replace(b"\r\n", b"").find(b"\n") >= 0 or raw.replace(b"\r\n", b"").find(b"\r") >= 0:
        problems.append("a line is not ended by CR LF")
    if not raw.endswith(b"EOF\r\n"):
        problems.append("file does not end with EOF and CR LF")

    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    for err in auditor.errors:
        problems.append(f"audit error {err.code}: {err.message}")

    found = {}
    for e in doc.modelspace():
        found.setdefault(e.dxf.layer, {}).setdefault(e.dxftype(), []).append(e)

    for layer in sorted(set(found) | set(expected)):
        want_types = expected.get(layer, {})
        have_types = found.get(layer, {})
        for kind in sorted(set(want_types) | set(have_types)):
            want = want_types.get(kind, [])
            have = have_types.get(kind, [])
            where = f"{layer}/{kind}"
            if len(want) != len(have):
                problems.append(f"{where}: {len(have)} entities, expected {len(want)}")
                continue
            for i, (w, e) in enumerate(zip(want, have)):
                problems.extend(f"{where}[{i}]: {p}" for p in compare(kind, w, e))

    if problems:
        for p in problems[:50]:
            print(p)
        if len(problems) > 50:
            print(f"... and {len(problems) - 50} more")
        return 1
    return 0


def close(a, b):
    return all(abs(x - y) <= TOL for x, y in zip(a, b)) and len(a) == len(b)


def compare(kind, want, e):
    if kind == "POINT":
        got = list(e.dxf.location)
        return [] if close(got, want) else [f"location {got} != {want}"]
    if kind == "LINE":
        got = list(e.dxf.start) + list(e.dxf.end)
        return [] if close(got, want) else [f"line {got} != {want}"]
    if kind == "TEXT":
        out = []
        if e.dxf.text != want["text"]:
            out.append(f"text {e.dxf.text!r} != {want['text']!r}")
        if not close(list(e.dxf.insert), want["insert"]):
            out.append(f"insert {list(e.dxf.insert)} != {want['insert']}")
        if abs(e.dxf.height - want["height"]) > TOL:
            out.append(f"height {e.dxf.height} != {want['height']}")
        if abs(e.dxf.rotation - want["rotation"]) > TOL:
            out.append(f"rotation {e.dxf.rotation} != {want['rotation']}")
        return out
    return [f"unexpected entity type {kind}"]


if __name__ == "__main__":
    sys.exit(main())
