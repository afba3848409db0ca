# The checks of .clang-tidy over every source of this build (the test
# `tidy`), with tools/tidy: on every core, each file on its own, and a file
# that passed with the same content, headers and command is not checked
# again, so a repeated run checks only what changed. Labelled `slow`, which
# the quick preset leaves out.
find_program(VELLORAN_CLANG_TIDY NAMES clang-tidy-14)
if(VELLORAN_CLANG_TIDY)
  cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
  add_test(NAME tidy
           COMMAND ${CMAKE_SOURCE_DIR}/tools/tidy ${CMAKE_BINARY_DIR}
                   "^${CMAKE_SOURCE_DIR}/(app|dedupe|platform|bench|tests)/" -j ${cores})
  set_tests_properties(tidy PROPERTIES LABELS "tidy;slow" TIMEOUT 1200 PROCESSORS ${cores})
else()
  add_test(NAME tidy COMMAND ${CMAKE_COMMAND} -E false)
  message(WARNING "clang-tidy-14 not found; tools/install-deps.sh installs clang-tidy")
endif()
