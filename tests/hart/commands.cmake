# Tests of the command layer, and of THart end to end against the simulated
# transmitter on a pseudo-terminal.
list(APPEND HART_TEST_SOURCES
  HartDataTest.cpp
  HartCommandTest.cpp
)
