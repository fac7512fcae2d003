# Toolchain for cross-building for 64-bit Windows with Debian's MinGW-w64, POSIX
# threads variant. The Qt-free layers (hart, sim, ports and their tests):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW-w64.cmake -DCALVISTA_QT=OFF
# The whole program against a Qt cross-built by scripts/windows-qt:
#   ... -DCALVISTA_MINGW_SHARED_RUNTIME=ON -DCALVISTA_QT_PREFIX=<that Qt>
# Test programs run under Wine (scripts/wine-run) in a prefix below the build folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CALVISTA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CALVISTA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CALVISTA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${CALVISTA_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CALVISTA_MINGW})
# A Windows Qt is searched for only below the find roots: its prefix is one.
if(CALVISTA_QT_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${CALVISTA_QT_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${CALVISTA_QT_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs carry their runtime (libstdc++, libgcc, winpthread), so they run
# under Wine or on a bare Windows without the compiler's DLLs beside them.
# With Qt the runtime is shared instead (its DLLs go beside the programs): Qt's
# DLLs and the programs must use one C++ runtime, not one copy each.
if(NOT CALVISTA_MINGW_SHARED_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()

# CTest runs every test program through Wine, in the build's private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ${CMAKE_BINARY_DIR}/wine)

# ccache where the machine has it: the cross compiler is not wrapped by default.
find_program(CALVISTA_CCACHE ccache)
if(CALVISTA_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${CALVISTA_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CALVISTA_CCACHE})
endif()
