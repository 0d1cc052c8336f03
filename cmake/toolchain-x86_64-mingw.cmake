# Cross-build 64-bit Windows modules with MinGW-w64 (x86_64, posix threads): the
# test build for machines that cannot run 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZEL_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
