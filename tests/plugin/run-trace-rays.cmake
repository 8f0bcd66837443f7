cmake_minimum_required(VERSION 3.25)
# Runs trace-rays and checks its exit code and output.
#   cmake -DPROGRAM=<trace-rays> [-DEMULATOR=<wine>] -DARGUMENTS=a|b|c -DEXIT_CODE=<n>
#         -DPATTERNS=regex|regex [-DSET=key|value -DCOPY=<file>] -P run-trace-rays.cmake
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
# SET=key|value: trace a copy (at COPY) of the --file with that root key set.
if(SET)
  list(FIND arguments --file at)
  math(EXPR at "${at} + 1")
  list(GET arguments ${at} source)
  file(READ "${source}" text)
  string(REPLACE "|" ";" keyValue "${SET}")
  string(JSON text SET "${text}" ${keyValue})
  file(WRITE "${COPY}" "${text}")
  list(REMOVE_AT arguments ${at})
  list(INSERT arguments ${at} "${COPY}")
endif()
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${arguments}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
message("${out}${err}")
if(NOT status STREQUAL "${EXIT_CODE}")
  message(FATAL_ERROR "trace-rays exited with ${status}, expected ${EXIT_CODE}")
endif()
string(REPLACE "|" ";" patterns "${PATTERNS}")
foreach(pattern IN LISTS patterns)
  if(NOT "${out}${err}" MATCHES "${pattern}")
    message(FATAL_ERROR "trace-rays output lacks: ${pattern}")
  endif()
endforeach()
