# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# Planning of a survey area of about 1 km x 1 km with exclusion zones (lines cut, legs around).
add_executable(bench_zones ${CMAKE_CURRENT_SOURCE_DIR}/zones.cpp)
target_link_libraries(bench_zones PRIVATE korvale_planning benchmark::benchmark)
