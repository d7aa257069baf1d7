# Cross build for Windows with mingw-w64's POSIX-thread compilers; included
# by the toolchain file of each target processor after it sets
# VANDRIX_MINGW_TRIPLE. Everything is linked statically, so the programs
# need no MinGW DLLs at run time.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VANDRIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANDRIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VANDRIX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VANDRIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
