# Paint time of the chart with long curves: every segment versus the column envelope.
add_executable(chart_bench ${CMAKE_CURRENT_LIST_DIR}/ChartPaintBench.cpp)
target_link_libraries(chart_bench PRIVATE chart benchmark::benchmark)
