# 32-bit Windows (the classic chat client loads only x86 DLLs).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TALVO_MINGW_TRIPLE i686-w64-mingw32)

# SSE2 is the floor for 32-bit x86 as it is for 64-bit (every processor the
# client still runs on has it), so the DLL runs the byte scanner's
# sixteen-at-a-time path. The host calls our exports with the stack aligned
# to 4 bytes only; the compiler otherwise assumes 16 and may spill SSE
# registers with aligned stores, so functions that need more realign the
# stack themselves.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
