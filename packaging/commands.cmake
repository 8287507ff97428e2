# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The two commands share their --help and --version machinery: the help text is generated from
# the command's man page (one list of options for both), the version and build from the tree.
#   korvale_command(<target> <man page>)
# gives <target> the headers <page>_help.h (kHelpText) and korvale_buildinfo.h
# (kKorvaleVersion, kKorvaleBuild), e.g. korvale_plan_help.h for korvale-plan.1.
set(KORVALE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(_korvale_packaging_dir ${CMAKE_CURRENT_LIST_DIR})

add_custom_target(korvale_buildinfo
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
          -DOUT=${KORVALE_GENERATED_DIR}/korvale_buildinfo.h
          -P ${_korvale_packaging_dir}/buildinfo.cmake
  BYPRODUCTS ${KORVALE_GENERATED_DIR}/korvale_buildinfo.h
  COMMENT "Version und Build"
  VERBATIM)

function(korvale_command target manpage)
  get_filename_component(_page ${manpage} NAME_WE)
  string(MAKE_C_IDENTIFIER "${_page}_help" _id)
  set(_header ${KORVALE_GENERATED_DIR}/${_id}.h)
  add_custom_command(OUTPUT ${_header}
    COMMAND ${CMAKE_COMMAND} -DMAN=${manpage} -DOUT=${_header} -DSYMBOL=kHelpText
            -P ${_korvale_packaging_dir}/man2help.cmake
    DEPENDS ${manpage} ${_korvale_packaging_dir}/man2help.cmake
    COMMENT "Hilfetext aus ${_page}"
    VERBATIM)
  target_sources(${target} PRIVATE ${_header})
  target_include_directories(${target} PRIVATE ${KORVALE_GENERATED_DIR})
  add_dependencies(${target} korvale_buildinfo)
endfunction()
