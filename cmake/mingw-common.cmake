# Shared part of the two MinGW-w64 toolchains. The including file sets
# TALVO_MINGW_TRIPLE (i686-w64-mingw32 or x86_64-w64-mingw32) first.
#
# The posix-thread compilers are used because only they give libstdc++ its
# full thread support; the price is libwinpthread, which is linked statically
# below together with libstdc++ and libgcc, so the DLL and the host need no
# runtime DLLs beside the system's own.

set(CMAKE_SYSTEM_NAME Windows)

find_program(TALVO_MINGW_CXX NAMES ${TALVO_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(TALVO_MINGW_CC NAMES ${TALVO_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(TALVO_MINGW_RC NAMES ${TALVO_MINGW_TRIPLE}-windres REQUIRED)
set(CMAKE_C_COMPILER ${TALVO_MINGW_CC})
set(CMAKE_CXX_COMPILER ${TALVO_MINGW_CXX})
set(CMAKE_RC_COMPILER ${TALVO_MINGW_RC})

# Libraries and headers come from the cross sysroot only; build tools from the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TALVO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(_talvo_static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_talvo_static_runtime}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_talvo_static_runtime}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_talvo_static_runtime}")

