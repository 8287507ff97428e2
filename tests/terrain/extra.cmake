# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The terrain tests (and the command's and the window's) write their synthetic elevation models
# with GDAL itself.
foreach(_t IN ITEMS test_terrain_gdal_model test_terrain_follow test_cli_terrain
                 test_app_pages_terrain)
  if(TARGET ${_t})
    target_link_libraries(${_t} PRIVATE PkgConfig::GDAL)
  endif()
endforeach()
