# What both Windows builds share: mingw-w64 with POSIX threads for the triple
# the including toolchain file names in VELLORAN_MINGW_TRIPLE, finding
# libraries and headers only in that target's root, and a static runtime
# (libgcc, libstdc++, winpthread) so the program needs no DLL beyond the ones
# Windows itself ships.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VELLORAN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELLORAN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELLORAN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELLORAN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
