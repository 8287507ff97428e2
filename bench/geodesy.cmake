# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# UTM series against GeographicLib's exact transverse Mercator, per point, in one run.
list(APPEND CMAKE_MODULE_PATH /usr/share/cmake/geographiclib)
find_package(GeographicLib REQUIRED)
add_executable(bench_geodesy ${CMAKE_CURRENT_LIST_DIR}/geodesy.cpp)
target_include_directories(bench_geodesy PRIVATE ${GeographicLib_INCLUDE_DIRS})
target_link_libraries(bench_geodesy PRIVATE korvale_model ${GeographicLib_LIBRARIES}
                      benchmark::benchmark)
