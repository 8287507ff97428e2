# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# Planning over real field outlines (combs with points along the edges, GPS-walked fields, saw
# teeth) and its growth with the number of border points.
add_executable(bench_outlines ${CMAKE_CURRENT_SOURCE_DIR}/outlines.cpp)
target_link_libraries(bench_outlines PRIVATE korvale_planning benchmark::benchmark)
