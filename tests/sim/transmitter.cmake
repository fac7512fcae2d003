# Tests of the simulated transmitter.
list(APPEND SIM_TEST_SOURCES SimTransmitterTest.cpp)
if(UNIX)
  list(APPEND SIM_TEST_SOURCES SimPtyServerTest.cpp)
endif()
