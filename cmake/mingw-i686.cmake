# Cross-compiles for 32-bit Windows with MinGW-w64.
# The -posix compilers are used because their C++ runtime has std::thread and std::mutex (GoogleTest needs them).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(TARVOLIN_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${TARVOLIN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVOLIN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${TARVOLIN_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARVOLIN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
