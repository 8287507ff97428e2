add_executable(bench_dxf ${CMAKE_CURRENT_LIST_DIR}/dxf.cpp)
target_link_libraries(bench_dxf PRIVATE korvale_export benchmark::benchmark)
