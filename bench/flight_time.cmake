# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The flight-time model over the plan of a 1 km x 1 km area: the whole flight, and the cut into
# battery parts on the model.
add_executable(bench_flight_time ${CMAKE_CURRENT_LIST_DIR}/flight_time.cpp)
target_link_libraries(bench_flight_time PRIVATE korvale_litchi benchmark::benchmark)
