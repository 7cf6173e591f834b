# Proves that a library's include roots refuse the headers of the libraries above it, and of those
# beside it on the same floor: each probe is one source holding one include, compiled as a target
# that links only the library named, and it must fail for that header alone; the probes of a header
# below must compile. Run as
#   cmake -DBUILD=<build folder> -DPROBES=<target|header|refused-or-seen;...> -P CheckLayerRoots.cmake
# it names each probe whose result is not the one expected, and fails when it finds one.
if(NOT BUILD OR NOT PROBES)
  message(FATAL_ERROR "CheckLayerRoots: BUILD or PROBES is not set")
endif()
# The compiler's refusal is read in its English words, whatever the language the tests run under.
set(ENV{LC_ALL} C)
set(found 0)
set(checked 0)
foreach(probe IN LISTS PROBES)
  string(REPLACE "|" ";" fields "${probe}")
  list(GET fields 0 target)
  list(GET fields 1 header)
  list(GET fields 2 expected)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD} --target ${target}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(FIND "${output}" "${header}: No such file" refusal)
  if(expected STREQUAL "refused")
    if(result EQUAL 0 OR refusal EQUAL -1)
      message("${target}: ${header} is not refused")
      math(EXPR found "${found} + 1")
    endif()
  elseif(NOT result EQUAL 0)
    message("${target}: ${header} does not compile:\n${output}")
    math(EXPR found "${found} + 1")
  endif()
  math(EXPR checked "${checked} + 1")
endforeach()
if(found GREATER 0)
  message(FATAL_ERROR "CheckLayerRoots: ${found} of ${checked} probe(s) wrong")
endif()
message("CheckLayerRoots: ${checked} probe(s) as expected")
