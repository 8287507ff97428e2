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

# The count GeoTIFF is read back with GDAL's command-line tools and nlohmann-json.
if(TARGET test_terrain_coverage_tiff)
  find_package(nlohmann_json 3 REQUIRED)
  target_link_libraries(test_terrain_coverage_tiff PRIVATE nlohmann_json::nlohmann_json)
endif()
