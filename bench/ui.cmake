# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The window's response to a click on the map copy, and the paint of a large overlay (offscreen).
if(KORVALE_BUILD_APP)
  add_executable(bench_ui ${CMAKE_CURRENT_SOURCE_DIR}/ui.cpp)
  target_link_libraries(bench_ui PRIVATE korvale_ui benchmark::benchmark)
endif()
