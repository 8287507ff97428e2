# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The project file type compiles into a MIME database and claims the project's data files:
# cmake -DTOOL=<update-mime-database> -DXML=<type> -DWORK=<folder> -P mime.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/packages")
file(COPY "${XML}" DESTINATION "${WORK}/packages")
# The tool refuses a malformed type; its note that the folder is not searched is no finding.
execute_process(COMMAND ${TOOL} "${WORK}" RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "update-mime-database: ${rc} ${err}")
endif()
file(READ "${WORK}/globs2" globs)
foreach(line "60:application/x-korvale-project:trafpar.dat"
             "10:application/x-korvale-project:*.dat")
  string(FIND "${globs}" "${line}" at)
  if(at LESS 0)
    message(FATAL_ERROR "globs2 lacks ${line}:\n${globs}")
  endif()
endforeach()
