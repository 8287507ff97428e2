# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The WPML tests read the written KMZ back on their own: libzip for the archive, pugixml for
# the XML, nlohmann-json for the profile file, not through the reader under test.
find_package(PkgConfig REQUIRED)
find_package(pugixml REQUIRED)
pkg_check_modules(KORVALE_TEST_LIBZIP REQUIRED IMPORTED_TARGET libzip)
foreach(_t test_dji_wpml_write test_dji_wpml_check test_dji_profiles test_dji_kmz_damage)
  if(TARGET ${_t})
    target_link_libraries(${_t} PRIVATE PkgConfig::KORVALE_TEST_LIBZIP pugixml::pugixml)
  endif()
endforeach()
