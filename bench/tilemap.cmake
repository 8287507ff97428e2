# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The core of Cp on a tile map: the view to five control points and their fit.
add_executable(bench_tilemap ${CMAKE_CURRENT_LIST_DIR}/tilemap.cpp)
target_link_libraries(bench_tilemap PRIVATE korvale_georef benchmark::benchmark)
