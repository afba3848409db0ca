# The 64-bit twin of the Windows build: the same sources, run under Wine on
# this machine to test the Windows code (its kernel runs no 32-bit programs).
set(VELLORAN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# ctest and gtest_discover_tests start the test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
