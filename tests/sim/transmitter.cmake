# Tests of the simulated transmitter.
list(APPEND SIM_TEST_SOURCES SimTransmitterTest.cpp)
