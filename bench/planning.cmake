# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# Planning run over a survey area of about 1 km x 1 km (grid, flight path, overlay primitives).
add_executable(bench_planning ${CMAKE_CURRENT_SOURCE_DIR}/planning.cpp)
target_link_libraries(bench_planning PRIVATE korvale_planning benchmark::benchmark)
