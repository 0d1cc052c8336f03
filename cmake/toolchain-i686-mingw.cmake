# Cross-build 32-bit Windows modules with MinGW-w64 (i686, posix threads): the
# shipped program.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZEL_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
