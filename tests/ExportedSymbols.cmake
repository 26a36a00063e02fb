# Checks the dynamic symbol table of the shared library: the codec class is
# there, the internal free operations are not (they are hidden).
execute_process(COMMAND nm -DC --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
foreach(required "CKestrelCode::DecodeOneMessage" "CKestrelCode::ClearDecodeMessage"
                 "CKestrelCode::EncodeInitRequest" "CKestrelCode::EncodeRankListRequest"
                 "CKestrelCode::EncodePagedRankListRequest" "CKestrelCode::EncodeTop8Request"
                 "CCode::GetContent")
  string(FIND "${symbols}" "${required}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "not exported: ${required}")
  endif()
endforeach()
foreach(hidden " ReadUInt32" " ReadInt64" " ReadTernCode" " WriteTernCode" " WriteUInt32"
               " FindCodeSegment" " MarketSuffix" " NewTextCopy")
  string(FIND "${symbols}" "${hidden}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "internal operation exported:${hidden}")
  endif()
endforeach()
message(STATUS "exported symbols as intended")
