# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The installation as a user gets it. install_stage installs the build into a staging folder
# (DESTDIR) once per test run; test_install_installed starts the installed program from there.
# The desktop entry, the metainfo and the file type are checked with the freedesktop tools.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)

set(_stage ${CMAKE_CURRENT_BINARY_DIR}/install-stage)
add_test(NAME install_stage
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DSTAGE=${_stage}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/install/stage.cmake)
set_tests_properties(install_stage PROPERTIES FIXTURES_SETUP korvale_installed)

add_executable(test_install_installed ${CMAKE_CURRENT_SOURCE_DIR}/install/installed.cpp)
target_link_libraries(test_install_installed PRIVATE korvale_georef Qt6::Core Qt6::Gui GTest::gtest)
target_compile_definitions(test_install_installed PRIVATE
  KORVALE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  KORVALE_STAGE_PREFIX="${_stage}/usr"
  KORVALE_HAS_PLAN=$<BOOL:$<TARGET_EXISTS:korvale-plan>>)
gtest_discover_tests(test_install_installed DISCOVERY_TIMEOUT 120
  PROPERTIES FIXTURES_REQUIRED korvale_installed)

set(_packaging ${PROJECT_SOURCE_DIR}/packaging)
find_program(KORVALE_DESKTOP_FILE_VALIDATE desktop-file-validate)
if(KORVALE_DESKTOP_FILE_VALIDATE)
  add_test(NAME install_desktop_entry
    COMMAND ${KORVALE_DESKTOP_FILE_VALIDATE} ${_packaging}/de.korvale.Korvale.desktop)
  # The validator prints its findings and still exits 0 for hints: any output fails the test.
  set_tests_properties(install_desktop_entry PROPERTIES FAIL_REGULAR_EXPRESSION ".")
endif()
find_program(KORVALE_APPSTREAMCLI appstreamcli)
if(KORVALE_APPSTREAMCLI)
  # --no-net: a build has no network; the metainfo names no address that would need one.
  add_test(NAME install_metainfo
    COMMAND ${KORVALE_APPSTREAMCLI} validate --no-net --explain
            ${_packaging}/de.korvale.Korvale.metainfo.xml)
endif()
find_program(KORVALE_UPDATE_MIME_DATABASE update-mime-database)
if(KORVALE_UPDATE_MIME_DATABASE)
  add_test(NAME install_mime_type
    COMMAND ${CMAKE_COMMAND} -DTOOL=${KORVALE_UPDATE_MIME_DATABASE}
            -DXML=${_packaging}/de.korvale.Korvale.mime.xml
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/install-mime
            -P ${CMAKE_CURRENT_SOURCE_DIR}/install/mime.cmake)
endif()
