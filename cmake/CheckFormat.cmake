# Fails when a C++ file of the project does not follow the house style in
# .clang-format, and names each such file. Run by the test `format`:
#   cmake -DCLANG_FORMAT=<program> -DSOURCE_DIR=<root> -P CheckFormat.cmake
if(NOT CLANG_FORMAT)
  message(FATAL_ERROR "clang-format was not found; tools/install-deps.sh installs it")
endif()
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/app/*.cpp ${SOURCE_DIR}/app/*.h
     ${SOURCE_DIR}/dedupe/*.cpp ${SOURCE_DIR}/dedupe/*.h
     ${SOURCE_DIR}/platform/*.cpp ${SOURCE_DIR}/platform/*.h
     ${SOURCE_DIR}/bench/*.cpp ${SOURCE_DIR}/bench/*.h
     ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources}
                WORKING_DIRECTORY ${SOURCE_DIR}
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE report)
# Each deviation is reported as "<file>:<line>:<column>: error: ...".
string(REGEX MATCHALL "[^\n]+:[0-9]+:[0-9]+: error" findings "${report}")
set(unformatted "")
foreach(finding IN LISTS findings)
  string(REGEX REPLACE ":[0-9]+:[0-9]+: error$" "" file "${finding}")
  list(APPEND unformatted ${file})
endforeach()
list(REMOVE_DUPLICATES unformatted)
if(NOT status EQUAL 0 AND NOT unformatted)
  message(FATAL_ERROR "clang-format failed:\n${report}")
endif()
if(unformatted)
  list(JOIN unformatted "\n  " list)
  message(FATAL_ERROR "Not formatted (run clang-format -i on them):\n  ${list}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files follow .clang-format")
