# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/format and scripts/check-style: prints the project's C++ sources (*.cpp,
# *.h), NUL-separated: the files git tracks, or in a copy without git every such file outside
# build folders.
korvale_sources() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z -- '*.cpp' '*.h'
  else
    find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -type f -print0
  fi
}
