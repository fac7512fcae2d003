# The command layer: THart, the HART data encodings, the unit, manufacturer and
# device-type tables and the response-code tables.
list(APPEND HART_SOURCES
  ExchangeTime.cpp
  HartCommand.cpp
  HartEncoding.cpp
  HartTables.cpp
  ResponseCodes.cpp
)
