# Time of HART exchanges against hart-sim on a pseudo-terminal at 1200-baud pace,
# compared with the time their bytes need on the wire.
if(TARGET hart-sim)
  add_executable(hart_sim_bench ${CMAKE_CURRENT_LIST_DIR}/HartSimBench.cpp)
  target_link_libraries(hart_sim_bench PRIVATE hart benchmark::benchmark)
  target_compile_definitions(hart_sim_bench PRIVATE "HART_SIM_PATH=\"$<TARGET_FILE:hart-sim>\"")
  add_dependencies(hart_sim_bench hart-sim)
endif()
