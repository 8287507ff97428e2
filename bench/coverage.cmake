# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# Coverage map of the 1 km x 1 km plan at 1 m cells (footprints and counting).
add_executable(bench_coverage ${CMAKE_CURRENT_SOURCE_DIR}/coverage.cpp)
target_link_libraries(bench_coverage PRIVATE korvale_planning benchmark::benchmark)
