# The work of one monitoring tick with long recordings: adding a point to both
# charts and repainting them, saving the data log, memory per sample.
add_executable(monitor_bench ${CMAKE_CURRENT_LIST_DIR}/MonitorBench.cpp)
target_link_libraries(monitor_bench PRIVATE chart services benchmark::benchmark)
