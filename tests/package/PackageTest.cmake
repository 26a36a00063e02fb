# Installs the built package into a fresh prefix, then builds and runs the
# consumer project against it, once with find_package and once with
# pkg-config.
#   -DBUILD_DIR -DWORK_DIR -DCONSUMER_DIR -DLIBDIR -DGENERATOR -DCXX -DCXX_FLAGS -DLINKER_FLAGS
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(status)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}")
  endif()
  message(STATUS "${out}")
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The library carries its major version as SONAME.
file(GLOB versioned ${prefix}/${LIBDIR}/libKestrelUtils.so.*.*.*)
if(NOT EXISTS ${prefix}/${LIBDIR}/libKestrelUtils.so.0 OR NOT versioned)
  message(FATAL_ERROR "libKestrelUtils.so.0 and its full version are not installed")
endif()

# The installed library exports no private member of CKestrelCode and no
# symbol that carries a standard-library type.
execute_process(COMMAND nm -DC --defined-only ${prefix}/${LIBDIR}/libKestrelUtils.so.0
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(status OR NOT symbols MATCHES "CKestrelCode::DecodeOneMessage")
  message(FATAL_ERROR "cannot read the installed library's symbols")
endif()
foreach(hidden "std::" "CKestrelCode::DecodeFrame" "CKestrelCode::DecodeQuoteUpdateData"
               "CKestrelCode::GetFloat")
  string(FIND "${symbols}" "${hidden}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "the installed library exports ${hidden}")
  endif()
endforeach()
# The internal headers stay in the tree.
if(EXISTS ${prefix}/include/KestrelUtils/codec OR NOT EXISTS ${prefix}/include/KestrelUtils/KestrelResult.hpp)
  message(FATAL_ERROR "the installed headers are not the exported ones")
endif()
# The documents, and the tools' man pages where the tools were built.
if(NOT EXISTS ${prefix}/share/doc/KestrelUtils/README.md OR
   NOT EXISTS ${prefix}/share/doc/KestrelUtils/docs/message-reference.md)
  message(FATAL_ERROR "the documents are not installed under share/doc/KestrelUtils")
endif()
foreach(tool kestrel-dump kestrel-sim)
  if(EXISTS ${prefix}/bin/${tool} AND NOT EXISTS ${prefix}/share/man/man1/${tool}.1)
    message(FATAL_ERROR "${tool} is installed without its man page")
  endif()
endforeach()

foreach(mode find_package pkg-config)
  set(build ${WORK_DIR}/consumer-${mode})
  set(use_pkg_config OFF)
  if(mode STREQUAL pkg-config)
    set(use_pkg_config ON)
  endif()
  run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${prefix}/${LIBDIR}/pkgconfig
      ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${build} -G ${GENERATOR}
      -DCMAKE_PREFIX_PATH=${prefix} -DUSE_PKG_CONFIG=${use_pkg_config}
      -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
      "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")
  run(${CMAKE_COMMAND} --build ${build})
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR} ${build}/consumer)
endforeach()
