# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The fuzz targets' seeds and regressions, replayed as ordinary tests in every build: each
# fuzz_<name>.cpp is linked with a small driver (replay_main.cpp) instead of libFuzzer, and the
# test fuzz_replay_<name> runs every file of corpus/<name> and regressions/<name> once.
file(GLOB _fuzz_targets CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/fuzz_*.cpp)
include(${CMAKE_CURRENT_LIST_DIR}/core_libraries.cmake)
korvale_fuzz_core_libraries(_fuzz_libraries)
foreach(_file IN LISTS _fuzz_targets)
  get_filename_component(_name ${_file} NAME_WE)
  string(REPLACE "fuzz_" "" _short ${_name})
  set(_target replay_${_short})
  add_executable(${_target} ${_file} ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
  target_link_libraries(${_target} PRIVATE ${_fuzz_libraries})
  target_include_directories(${_target} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
  set(_seeds)
  foreach(_dir corpus/${_short} regressions/${_short})
    if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/${_dir})
      list(APPEND _seeds ${CMAKE_CURRENT_LIST_DIR}/${_dir})
    endif()
  endforeach()
  add_test(NAME fuzz_replay_${_short} COMMAND ${_target} ${_seeds})
  set_tests_properties(fuzz_replay_${_short} PROPERTIES LABELS fuzz)
endforeach()
