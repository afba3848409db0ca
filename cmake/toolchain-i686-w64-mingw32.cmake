# The shipping build: 32-bit Windows, mingw-w64 with POSIX threads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(VELLORAN_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VELLORAN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELLORAN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELLORAN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELLORAN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime (libgcc, libstdc++, winpthread): the program needs no DLL
# beyond the ones Windows itself ships. The 32-bit program may use up to
# 4 GiB of address space on a 64-bit Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--large-address-aware")

# Only the 64-bit twin runs here (under Wine); nothing runs 32-bit programs.
