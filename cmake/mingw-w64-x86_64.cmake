# Cross-compiles grapho for 64-bit Windows with Debian's MinGW-w64 compilers,
# the "-posix" ones (std::thread and std::mutex, which GoogleTest uses):
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
# When Wine is installed, CTest runs the Windows programs under it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One file that runs on a bare Windows: the C++, GCC and thread runtimes are
# linked into each program.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

find_program(GRAPHO_WINE wine)
if(GRAPHO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env WINEDEBUG=-all ${GRAPHO_WINE})
endif()
