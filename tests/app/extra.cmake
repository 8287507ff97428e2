# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The window tests drive the real window with Qt's test helpers (mouse events, signal spies).
find_package(Qt6 REQUIRED COMPONENTS Test)
foreach(_t IN ITEMS test_app_window test_app_window_mouse test_app_window_webmap
                 test_app_window_undo test_app_quality
    test_app_window_tiles test_app_window_tiles_hidpi
    test_app_window_view test_app_window_safety test_app_window_zones)
  if(TARGET ${_t})
    target_link_libraries(${_t} PRIVATE Qt6::Test)
  endif()
endforeach()
