# 32-bit x86 Linux with Debian's multilib gcc (-m32), run here under
# qemu-i386: 32-bit pointers and size_t and a 4 GiB address space, the
# closest this machine comes to the shipping 32-bit Windows program. Only
# the core, the benchmark driver and their tests are built (no GUI).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")

set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
set(VELLORAN_GUI OFF CACHE BOOL "" FORCE)
