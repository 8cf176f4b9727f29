# 64-bit Windows, for the compatible clients that load x64 DLLs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TALVO_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
