cmake_minimum_required(VERSION 3.25)
# Runs velloran-tool once and compares what it did with what it should have
# done, byte for byte. Variables (-D):
#   TOOL         the program
#   ARGS         its arguments, separated by "|"; %WORK% stands for WORK
#   WORK         a folder of this test's own, made afresh
#   EXPECT_RC    the exit code
#   EXPECT_STDOUT  a file with the exact standard output (default: none)
#   EXPECT_STDERR  the exact standard error without its final line feed (default: none)
#   OUTPUT, EXPECT_OUTPUT  a file the tool writes, and the file it must equal
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
string(REPLACE "%WORK%" "${WORK}" arguments "${ARGS}")
string(REPLACE "|" ";" arguments "${arguments}")

execute_process(COMMAND "${TOOL}" ${arguments}
  RESULT_VARIABLE rc
  OUTPUT_FILE "${WORK}/stdout"
  ERROR_FILE "${WORK}/stderr"
  TIMEOUT 30)

set(failures "")
if(NOT rc STREQUAL EXPECT_RC)
  string(APPEND failures "exit code ${rc}, expected ${EXPECT_RC}\n")
endif()

function(expect_same_bytes actual expected what)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${actual}" "${expected}"
    RESULT_VARIABLE different)
  if(different)
    file(READ "${actual}" bytes HEX)
    set(failures "${failures}${what} differs from ${expected}; it holds (hex) ${bytes}\n" PARENT_SCOPE)
  endif()
endfunction()

if(EXPECT_STDOUT)
  expect_same_bytes("${WORK}/stdout" "${EXPECT_STDOUT}" "standard output")
else()
  file(SIZE "${WORK}/stdout" size)
  if(NOT size EQUAL 0)
    string(APPEND failures "unexpected standard output\n")
  endif()
endif()

file(READ "${WORK}/stderr" stderr)
if(DEFINED EXPECT_STDERR)
  if(NOT stderr STREQUAL "${EXPECT_STDERR}\n")
    string(APPEND failures "standard error is [${stderr}], expected [${EXPECT_STDERR}]\n")
  endif()
elseif(NOT stderr STREQUAL "")
  string(APPEND failures "unexpected standard error: ${stderr}\n")
endif()

if(OUTPUT)
  string(REPLACE "%WORK%" "${WORK}" output "${OUTPUT}")
  expect_same_bytes("${output}" "${EXPECT_OUTPUT}" "${output}")
endif()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
