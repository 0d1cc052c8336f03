# Shared part of the MinGW-w64 toolchain files; the including file sets ZEL_TRIPLE
# and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${ZEL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZEL_TRIPLE}-windres)
set(CMAKE_AR           /usr/bin/${ZEL_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${ZEL_TRIPLE}-ranlib CACHE FILEPATH "")

# Exact single precision for fades, gains and filters; the x87 default keeps extra bits.
# (x86_64 uses SSE for floating point anyway; the flags change nothing there.)
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# libgcc and libstdc++ go inside every module; all modules share msvcrt.dll's heap.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

set(CMAKE_FIND_ROOT_PATH /usr/${ZEL_TRIPLE})
if(DEFINED ENV{ZEL_DEPS_PREFIX})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{ZEL_DEPS_PREFIX})
endif()
if(ZEL_DEPS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ZEL_DEPS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
