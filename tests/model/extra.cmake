# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The geodesy tests compare the UTM series with GeographicLib's exact transverse Mercator.
list(APPEND CMAKE_MODULE_PATH /usr/share/cmake/geographiclib)
find_package(GeographicLib REQUIRED)
if(TARGET test_model_geodesy)
  target_include_directories(test_model_geodesy PRIVATE ${GeographicLib_INCLUDE_DIRS})
  target_link_libraries(test_model_geodesy PRIVATE ${GeographicLib_LIBRARIES})
endif()
