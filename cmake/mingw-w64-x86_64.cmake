# 64-bit Windows (x86-64): every double operation runs in SSE registers.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(RUK_MINGW_TARGET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
