# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The read-back test runs Debian's interpreter, which owns python3-ezdxf; say early when the
# oracle is missing instead of letting the test fail with an import error.
execute_process(COMMAND /usr/bin/python3 -c "import ezdxf"
                RESULT_VARIABLE _korvale_ezdxf_rc OUTPUT_QUIET ERROR_QUIET)
if(NOT _korvale_ezdxf_rc EQUAL 0)
  message(WARNING "ezdxf is not importable by /usr/bin/python3 (Debian package python3-ezdxf): "
                  "test_export_dxf_readback will fail")
endif()

# The identity table compares every output of a planning run, the grid mission among them.
target_link_libraries(test_export_plan_identity PRIVATE korvale_litchi)
