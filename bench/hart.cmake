# CPU cost of one link transaction on the instant simulated line.
add_executable(hart_bench ${CMAKE_CURRENT_LIST_DIR}/HartComBench.cpp)
target_link_libraries(hart_bench PRIVATE hart sim benchmark::benchmark)
