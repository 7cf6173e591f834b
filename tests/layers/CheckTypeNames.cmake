# Finds two headers that define a class or struct of one name at the outer level. The libraries are
# linked into one program, and two types of one name break the rule of one definition: the linker
# keeps one of their inline functions for both, silently. Run as
#   cmake -DROOT=<folder> -P CheckTypeNames.cmake
# it names each such pair and fails when it finds one.
if(NOT ROOT)
  message(FATAL_ERROR "CheckTypeNames: ROOT is not set")
endif()
file(GLOB_RECURSE headers RELATIVE ${ROOT} ${ROOT}/src/*.h)
set(found 0)
set(names)
foreach(header IN LISTS headers)
  file(STRINGS ${ROOT}/${header} lines REGEX "^(class|struct) [A-Za-z_][A-Za-z0-9_]*( final)?( *:[^;]*)? *\\{")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^(class|struct) ([A-Za-z_][A-Za-z0-9_]*).*" "\\2" name "${line}")
    if(DEFINED where_${name})
      message("${header}: ${name} is also defined in ${where_${name}}")
      math(EXPR found "${found} + 1")
    else()
      set(where_${name} ${header})
    endif()
  endforeach()
endforeach()
if(found GREATER 0)
  message(FATAL_ERROR "CheckTypeNames: ${found} type name(s) defined twice")
endif()
