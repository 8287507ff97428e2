# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# Heights above ground for a 1 km x 1 km plan over a 1 m elevation model of 2000 x 2000 cells.
add_executable(bench_terrain ${CMAKE_CURRENT_SOURCE_DIR}/terrain.cpp)
target_link_libraries(bench_terrain PRIVATE korvale_terrain PkgConfig::GDAL
                      benchmark::benchmark)
