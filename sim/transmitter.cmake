# The simulated transmitter: device model, its adapter to the in-process line,
# the pseudo-terminal server and the hart-sim program.
target_sources(sim PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/SimTransmitter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/SimTransmitterPeer.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/SimUnits.cpp
)
if(UNIX)
  target_sources(sim PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/SimPtyServer.cpp)
  add_executable(hart-sim ${CMAKE_CURRENT_SOURCE_DIR}/HartSimMain.cpp)
  target_link_libraries(hart-sim PRIVATE sim)
endif()
