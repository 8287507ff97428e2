# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
add_executable(bench_litchi_csv ${CMAKE_CURRENT_LIST_DIR}/litchi_csv.cpp)
target_link_libraries(bench_litchi_csv PRIVATE korvale_litchi benchmark::benchmark)
