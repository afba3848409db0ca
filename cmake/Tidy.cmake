# The checks of .clang-tidy over every source this build compiles, as one
# test per group of folders (tidy.<group>), so that `ctest -j` spreads them
# over the cores. tools/tidy checks the files and remembers those that
# passed with the same content and headers, so a repeated run checks only
# what changed. Labelled `tidy` and `slow` (the quick preset leaves them out).
find_program(VELLORAN_CLANG_TIDY NAMES clang-tidy-14)
set(velloran_tidy_groups
  "core:(dedupe|bench)/"
  "os:platform/([^/]+|os/.+)$"
  "gui:(platform/gui|app)/"
  "unit_tests:tests/(unit|files|support|fuzz)/"
  "gui_tests:tests/(handlers|qt|x11)/")
foreach(group IN LISTS velloran_tidy_groups)
  string(REGEX REPLACE ":.*" "" name ${group})
  string(REGEX REPLACE "^[^:]*:" "" folders ${group})
  if(VELLORAN_CLANG_TIDY)
    add_test(NAME tidy.${name}
             COMMAND ${CMAKE_SOURCE_DIR}/tools/tidy ${CMAKE_BINARY_DIR}
                     "^${CMAKE_SOURCE_DIR}/${folders}" -j 1)
  else()
    add_test(NAME tidy.${name} COMMAND ${CMAKE_COMMAND} -E false)
  endif()
  # Started first, as they take longest.
  set_tests_properties(tidy.${name} PROPERTIES LABELS "tidy;slow" TIMEOUT 900 COST 10000)
endforeach()
if(NOT VELLORAN_CLANG_TIDY)
  message(WARNING "clang-tidy-14 not found; tools/install-deps.sh installs clang-tidy")
endif()
