# Runs one tool and checks what it did:
#   -DBEFORE="tool|arg|..."   a command run first, which must succeed (it
#                             makes the input of COMMAND)
#   -DCOMMAND="tool|arg|..."  the command line, its words apart by |
#   -DSTATUS=N                the exit status it must end with (default 0)
#   -DMATCH=regex             must occur in its standard output or error
#   -DEXPECTED=file           its standard output must equal this file
#   -DACTUAL=file             where its standard output is kept (needed
#                             with EXPECTED; a golden file is refreshed by
#                             copying it over)
if(DEFINED BEFORE)
  string(REPLACE "|" ";" BEFORE "${BEFORE}")
  execute_process(COMMAND ${BEFORE} RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "the command before failed with ${status}\n${err}")
  endif()
endif()
string(REPLACE "|" ";" COMMAND "${COMMAND}")
if(NOT DEFINED STATUS)
  set(STATUS 0)
endif()
if(DEFINED ACTUAL)
  execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_FILE ${ACTUAL}
                  ERROR_VARIABLE err)
  set(out "")
else()
  execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
endif()
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\n${out}${err}")
endif()
if(DEFINED MATCH AND NOT "${out}${err}" MATCHES "${MATCH}")
  message(FATAL_ERROR "output does not contain \"${MATCH}\":\n${out}${err}")
endif()
if(DEFINED EXPECTED)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ACTUAL} ${EXPECTED}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${ACTUAL} differs from ${EXPECTED}; when the change is "
                        "intended, refresh with the kestrel_refresh_samples target")
  endif()
endif()
