add_executable(bench_area_import ${CMAKE_CURRENT_LIST_DIR}/area_import.cpp)
target_link_libraries(bench_area_import PRIVATE korvale_exchange benchmark::benchmark)
