# 32-bit Windows (the classic chat client loads only x86 DLLs).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TALVO_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
