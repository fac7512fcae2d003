# Toolchain for cross-building the Qt-free layers (hart, sim, ports and their tests)
# for 64-bit Windows with Debian's MinGW-w64, POSIX threads variant:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW-w64.cmake -DCALVISTA_QT=OFF
# Test programs run under Wine (scripts/wine-run) in a prefix below the build folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CALVISTA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CALVISTA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CALVISTA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${CALVISTA_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CALVISTA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs carry their runtime (libstdc++, libgcc, winpthread), so they run
# under Wine or on a bare Windows without the compiler's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest runs every test program through Wine, in the build's private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ${CMAKE_BINARY_DIR}/wine)

# ccache where the machine has it: the cross compiler is not wrapped by default.
find_program(CALVISTA_CCACHE ccache)
if(CALVISTA_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${CALVISTA_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CALVISTA_CCACHE})
endif()
