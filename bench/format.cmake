# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
add_executable(bench_format ${CMAKE_CURRENT_LIST_DIR}/format.cpp)
target_link_libraries(bench_format PRIVATE korvale_model benchmark::benchmark)
