# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh staging folder, as a package build does:
# cmake -DBUILD_DIR=<build> -DSTAGE=<folder> -P stage.cmake
file(REMOVE_RECURSE "${STAGE}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD_DIR}
          --prefix /usr
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc}):\n${out}")
endif()
