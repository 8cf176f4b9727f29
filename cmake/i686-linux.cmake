# 32-bit x86 Linux with Debian's cross compiler (crossbuild-essential-i386).
# The classic chat client loads only 32-bit DLLs; this build runs the same
# 32-bit code here, under qemu-i386, to catch integer and pointer width
# assumptions that a static check of the Windows DLL cannot.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TALVO_I686_TRIPLE i686-linux-gnu)
set(TALVO_I686_SYSROOT /usr/${TALVO_I686_TRIPLE})

find_program(TALVO_I686_CXX NAMES ${TALVO_I686_TRIPLE}-g++ REQUIRED)
find_program(TALVO_I686_CC NAMES ${TALVO_I686_TRIPLE}-gcc REQUIRED)
set(CMAKE_C_COMPILER ${TALVO_I686_CC})
set(CMAKE_CXX_COMPILER ${TALVO_I686_CXX})

# SSE2 is the floor for 32-bit x86 as it is for 64-bit, so the byte scanner's
# sixteen-at-a-time path is the one that runs here and under test; the
# compiler's own default (i686) would leave only its one-at-a-time path.
# Floating point then uses the same SSE registers and rounding as the 64-bit
# build instead of the x87's wider ones.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# Libraries and headers come from the cross tree only; build tools from the
# build machine.
set(CMAKE_FIND_ROOT_PATH ${TALVO_I686_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and the programs they start run through the user-mode emulator, which
# finds the 32-bit loader in the cross tree. The loader would then take the
# C library named in the machine's own library cache, which may be another
# build (/lib32 of libc6-i386) than the loader's: threads and fork hang with
# that pair. The library path puts the cross tree's C library first.
find_program(TALVO_QEMU_I386 NAMES qemu-i386 qemu-i386-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TALVO_QEMU_I386} -L ${TALVO_I686_SYSROOT}
                                  -E LD_LIBRARY_PATH=${TALVO_I686_SYSROOT}/lib)
