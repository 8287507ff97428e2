# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
add_executable(bench_area_import ${CMAKE_CURRENT_LIST_DIR}/area_import.cpp)
target_link_libraries(bench_area_import PRIVATE korvale_exchange benchmark::benchmark)
