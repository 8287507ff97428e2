# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# korvale_fuzz_core_libraries(<var>): every core library this configuration builds (the static
# libraries korvale_* of the top-level folders, not the window's korvale_ui), so that a fuzz
# target of a new module links without a list to keep up to date.
function(korvale_fuzz_core_libraries var)
  set(_libs)
  get_property(_dirs DIRECTORY ${PROJECT_SOURCE_DIR} PROPERTY SUBDIRECTORIES)
  foreach(_dir IN LISTS _dirs)
    get_property(_targets DIRECTORY ${_dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(_t IN LISTS _targets)
      get_target_property(_type ${_t} TYPE)
      if(_type STREQUAL "STATIC_LIBRARY" AND _t MATCHES "^korvale_" AND NOT _t STREQUAL "korvale_ui")
        list(APPEND _libs ${_t})
      endif()
    endforeach()
  endforeach()
  set(${var} ${_libs} PARENT_SCOPE)
endfunction()
