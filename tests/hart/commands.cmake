# Tests of the command layer, and of THart end to end against the simulated
# transmitter on a pseudo-terminal.
list(APPEND HART_TEST_SOURCES
  HartDataTest.cpp
  HartCommandTest.cpp
  ExchangeTimeTest.cpp
)
if(UNIX)
  list(APPEND HART_TEST_SOURCES HartEndToEndTest.cpp)
endif()
# The end-to-end test also starts the hart-sim program; the test program is made
# below this file, so the definition is attached once the folder is read.
if(TARGET hart-sim)
  cmake_language(DEFER CALL target_compile_definitions hart_tests PRIVATE
    "HART_SIM_PATH=\"$<TARGET_FILE:hart-sim>\"")
  cmake_language(DEFER CALL add_dependencies hart_tests hart-sim)
endif()
