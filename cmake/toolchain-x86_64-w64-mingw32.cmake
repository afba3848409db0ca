# The 64-bit twin of the Windows build: the same sources, run under 64-bit
# Wine. It stands in for the shipping 32-bit build's tests on a machine
# whose kernel runs no 32-bit programs, where 32-bit Wine cannot start.
set(VELLORAN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# ctest and gtest_discover_tests start the test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
