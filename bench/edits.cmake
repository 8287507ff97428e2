# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# Point edits on a planned survey area of about 1 km x 1 km: the edit with its list upkeep, and
# undo plus redo.
add_executable(bench_edits ${CMAKE_CURRENT_SOURCE_DIR}/edits.cpp)
target_link_libraries(bench_edits PRIVATE korvale_planning benchmark::benchmark)
