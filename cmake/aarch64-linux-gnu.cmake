# Cross-compiles grapho for 64-bit ARM Linux with Debian's AArch64 compilers:
#   cmake -S . -B build-aarch64 --toolchain cmake/aarch64-linux-gnu.cmake
# When qemu-user is installed, CTest runs the ARM programs under it, with the
# target's C and C++ libraries from /usr/aarch64-linux-gnu.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(GRAPHO_QEMU qemu-aarch64)
if(GRAPHO_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${GRAPHO_QEMU} -L /usr/aarch64-linux-gnu)
endif()
