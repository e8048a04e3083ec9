# Cross build for Windows with Debian's mingw-w64, included by the toolchain
# file of one target (mingw-w64-i686.cmake, mingw-w64-x86_64.cmake), which sets
# RUK_MINGW_TARGET to its triplet first. The POSIX thread model
# (g++-mingw-w64-*-posix) is the one whose libstdc++ has std::thread. Every
# program is linked statically with the GCC and C++ run-time libraries, so
# that it needs only the DLLs every Windows has (KERNEL32, USER32, msvcrt).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${RUK_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RUK_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${RUK_MINGW_TARGET}-windres)

# Libraries and headers only from the cross environment; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${RUK_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ ${RUK_MINGW_LINKER_FLAGS}")
