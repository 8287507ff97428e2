# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# Cutting a 10,000-waypoint grid mission into battery parts, and writing the parts as one set.
add_executable(bench_mission_split ${CMAKE_CURRENT_LIST_DIR}/mission_split.cpp)
target_link_libraries(bench_mission_split PRIVATE korvale_litchi benchmark::benchmark)
