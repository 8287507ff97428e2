# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The leak checker sees the window: in the AddressSanitizer build, a small window program that
# loses memory in a timer handler must be reported with scripts/lsan.supp in force, and the same
# program without the leak must end clean (the suppressions cover Qt's own leftovers at exit).
find_package(Qt6 REQUIRED COMPONENTS Widgets)
add_executable(leak_window ${CMAKE_CURRENT_LIST_DIR}/window_leak.cpp)
target_link_libraries(leak_window PRIVATE Qt6::Widgets)
set(_leak_env
  "QT_QPA_PLATFORM=offscreen"
  "ASAN_OPTIONS=detect_leaks=1"
  "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/scripts/lsan.supp:print_suppressions=0")
add_test(NAME leak_window_handler_reported COMMAND leak_window leak)
set_tests_properties(leak_window_handler_reported PROPERTIES ENVIRONMENT "${_leak_env}"
  PASS_REGULAR_EXPRESSION "LeakSanitizer: detected memory leaks.*LoseBytesInHandler"
  LABELS "leak")
add_test(NAME leak_window_clean COMMAND leak_window)
set_tests_properties(leak_window_clean PROPERTIES ENVIRONMENT "${_leak_env}" LABELS "leak")
