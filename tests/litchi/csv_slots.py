#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the fifteen action slots of every waypoint of a Litchi CSV, read by Python's csv
module: one line per waypoint, "type param" pairs separated by blanks, the type as an integer
and the parameter with two decimals. Blank lines are skipped, as Litchi does."""
import csv
import sys

with open(sys.argv[1], newline="", encoding="utf-8") as f:
    rows = [r for r in csv.reader(f) if any(c.strip() for c in r)]
out = []
for row in rows[1:]:
    slots = row[8:38]
    out.append(" ".join(f"{int(float(slots[i]))} {float(slots[i + 1]):.2f}"
                        for i in range(0, 30, 2)))
print("\n".join(out))
