# Cross-compiles for 64-bit Windows with MinGW-w64 from the Debian archive
# (g++-mingw-w64-x86-64-posix: the posix thread model gives the standard
# library its threads and mutexes). Executables are linked statically, so they
# run under Wine (or on Windows) without the compiler's DLLs beside them, and
# ctest runs them through Wine.
#   cmake -S . -B build-windows -G Ninja -DQUORVEL_PURE_ONLY=ON \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

find_program(QUORVEL_WINE wine)
if(QUORVEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVEL_WINE})
endif()
