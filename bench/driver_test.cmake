# Runs velloran-dedupe on small files and checks its exit codes, messages and
# output. Invoked by CTest: cmake -DDRIVER=... -DWORK=... [-DEMULATOR=...] -P
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(run_driver in out expected_code expected_stdout expected_stderr)
  execute_process(COMMAND ${EMULATOR} "${DRIVER}" "${in}" "${out}"
                  RESULT_VARIABLE code OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
  string(STRIP "${stdout}" stdout)
  string(STRIP "${stderr}" stderr)
  if(NOT code STREQUAL "${expected_code}")
    message(FATAL_ERROR "${in} -> ${out}: exit ${code}, expected ${expected_code}\n${stdout}\n${stderr}")
  endif()
  if(NOT stdout MATCHES "${expected_stdout}")
    message(FATAL_ERROR "${in}: printed \"${stdout}\", expected \"${expected_stdout}\"")
  endif()
  if(NOT stderr MATCHES "${expected_stderr}")
    message(FATAL_ERROR "${in}: reported \"${stderr}\", expected \"${expected_stderr}\"")
  endif()
endfunction()

function(expect_file path expected_hex)
  file(READ "${path}" content HEX)
  if(NOT content STREQUAL "${expected_hex}")
    message(FATAL_ERROR "${path} holds ${content}, expected ${expected_hex}")
  endif()
endfunction()

# Repeats: survivors written with CR LF, exit 0.
file(WRITE "${WORK}/names.txt" "a\nb\na\nc\nb\n")
run_driver("${WORK}/names.txt" "${WORK}/out.txt" 0 "^$" "^$")
expect_file("${WORK}/out.txt" "610d0a620d0a630d0a")

# No repeats: the message, nothing written, exit 3.
file(WRITE "${WORK}/plain.txt" "Apple\napple\n")
run_driver("${WORK}/plain.txt" "${WORK}/none.txt" 3 "^No duplicates found in .*plain.txt$" "^$")
if(EXISTS "${WORK}/none.txt")
  message(FATAL_ERROR "a file without repeats was written")
endif()

# The source as its own output.
file(WRITE "${WORK}/self.txt" "x\nx\ny\n")
run_driver("${WORK}/self.txt" "${WORK}/self.txt" 0 "^$" "^$")
expect_file("${WORK}/self.txt" "780d0a790d0a")

# Failures: one line naming the path, exit 1, nothing left behind.
run_driver("${WORK}/missing.txt" "${WORK}/out2.txt" 1 "^$" "^[^\n]*missing.txt[^\n]*$")
run_driver("${WORK}/names.txt" "${WORK}/no folder/out.txt" 1 "^$" "^[^\n]*no folder[^\n]*$")

# Past a file-size limit: an ordinary failure with its message.
if(NOT EMULATOR AND NOT CMAKE_HOST_WIN32)
  set(many "repeat\nrepeat\n")
  foreach(i RANGE 400)
    string(APPEND many "line ${i} of those that pass the limit\n")
  endforeach()
  file(WRITE "${WORK}/big.txt" "${many}")
  execute_process(COMMAND sh -c "ulimit -f 4 && exec \"$0\" \"$@\"" "${DRIVER}"
                          "${WORK}/big.txt" "${WORK}/big-out.txt"
                  RESULT_VARIABLE code ERROR_VARIABLE stderr)
  if(NOT code STREQUAL "1" OR NOT stderr MATCHES "big-out.txt\": File too large")
    message(FATAL_ERROR "past the file-size limit: exit ${code}, reported \"${stderr}\"")
  endif()
  file(REMOVE "${WORK}/big.txt")
endif()
file(GLOB left RELATIVE "${WORK}" "${WORK}/*")
list(SORT left)
if(NOT left STREQUAL "names.txt;out.txt;plain.txt;self.txt")
  message(FATAL_ERROR "unexpected files left: ${left}")
endif()
file(REMOVE_RECURSE "${WORK}")
