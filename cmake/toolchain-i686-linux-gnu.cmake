# 32-bit x86 Linux with Debian's multilib gcc (-m32): 32-bit pointers and
# size_t and a 4 GiB address space, as in the shipping 32-bit Windows
# program. Only the core, the file layer, the benchmark driver and their
# tests are built (no GUI). SSE2 is the least the program asks of the
# processor, as on Windows; faster paths are chosen at run time.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")

set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(VELLORAN_GUI OFF CACHE BOOL "" FORCE)

# A 64-bit kernel with IA-32 emulation runs the tests directly. Where it is
# off (some virtual machines turn it off), they run under qemu-i386. The
# 32-bit dynamic loader, itself a 32-bit program, tells which.
execute_process(COMMAND /lib/ld-linux.so.2 --version
                RESULT_VARIABLE velloran_i386_status OUTPUT_QUIET ERROR_QUIET)
if(NOT velloran_i386_status EQUAL 0)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
endif()
