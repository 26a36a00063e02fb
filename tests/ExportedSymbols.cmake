# Checks the dynamic symbol table of the shared library against the list in
# ExportedSymbols.txt: every listed symbol must be exported, and nothing else
# may be (the internal operations stay hidden). The list is the library's
# exported interface; an intended change of that interface changes the list.
#   -DLIBRARY=path -DLIST=path
cmake_policy(VERSION 3.25)
execute_process(COMMAND nm -DC --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
# "0000000000012340 T CCode::GetLength()" -> "CCode::GetLength()"
string(REGEX REPLACE "(^|\n)[0-9a-fA-F]* *[A-Za-z] " "\\1" symbols "${symbols}")
string(REPLACE ";" "\\;" symbols "${symbols}")
string(REPLACE "\n" ";" exported "${symbols}")
list(REMOVE_ITEM exported "")
file(STRINGS ${LIST} listed)
set(unexpected ${exported})
list(REMOVE_ITEM unexpected ${listed})
set(missing ${listed})
list(REMOVE_ITEM missing ${exported})
if(unexpected OR missing)
  list(JOIN unexpected "\n  " unexpected)
  list(JOIN missing "\n  " missing)
  message(FATAL_ERROR "exported but not listed:\n  ${unexpected}\n"
                      "listed but not exported:\n  ${missing}")
endif()
# No exported symbol may carry a standard-library type: hosts built with
# another standard library, or another ABI of it, must link.
set(with_std ${exported})
list(FILTER with_std INCLUDE REGEX "std::")
if(with_std)
  list(JOIN with_std "\n  " with_std)
  message(FATAL_ERROR "exported symbols that carry standard-library types:\n  ${with_std}")
endif()
list(LENGTH exported count)
message(STATUS "${count} exported symbols, as listed")
