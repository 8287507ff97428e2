# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# Writing the DJI Fly mission (every picture a waypoint, in parts) of a 1 km² plan as KMZ.
add_executable(bench_wpml ${CMAKE_CURRENT_LIST_DIR}/wpml.cpp)
target_link_libraries(bench_wpml PRIVATE korvale_dji benchmark::benchmark)
target_compile_definitions(bench_wpml PRIVATE KORVALE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
