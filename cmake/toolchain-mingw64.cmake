# Cross build for 64-bit Windows with the distribution's mingw-w64 compilers
# (the posix threads variant, for std::thread), on Debian:
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
# Without Qt for Windows the window is left out (QUELM_WINDOW=OFF); the
# programs built run under Wine, which ctest uses to run the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUELM_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${QUELM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUELM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUELM_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUELM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -O2 rather than CMake's -O3: as fast here, and the test programs build in
# far less time.
set(CMAKE_C_FLAGS_RELEASE_INIT "-O2 -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O2 -DNDEBUG")

# Each program carries the C++ runtime and threads inside: one .exe to ship,
# no DLLs of the compiler beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(QUELM_WINDOW OFF CACHE BOOL "Build the window (needs Qt 6 for Windows)")
set(QUELM_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources, built with the cross compiler")

find_program(QUELM_WINE NAMES wine wine64)
if(QUELM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUELM_WINE})
endif()
