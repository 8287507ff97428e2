# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
add_executable(bench_dxf ${CMAKE_CURRENT_LIST_DIR}/dxf.cpp)
target_link_libraries(bench_dxf PRIVATE korvale_export benchmark::benchmark)
