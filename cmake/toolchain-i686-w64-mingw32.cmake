# The shipping build: 32-bit Windows.
set(VELLORAN_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# The 32-bit program may use up to 4 GiB of address space on a 64-bit Windows.
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--large-address-aware")

# Only the 64-bit twin runs here (under Wine); nothing runs 32-bit programs.
