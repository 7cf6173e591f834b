# Finds the includes that would reach round the layers' include roots: a relative include
# ("../app/MainFrame.h" resolves beside the file, whatever the roots) and a Qt header by its
# module path (<QtWidgets/QMessageBox> resolves through the shared Qt folder, whatever modules the
# library links). Either would let a lower layer use a higher one. Run as
#   cmake -DROOT=<folder> -P CheckIncludes.cmake
# it names each such line and fails when it finds one.
if(NOT ROOT)
  message(FATAL_ERROR "CheckIncludes: ROOT is not set")
endif()
file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/src/*.cpp ${ROOT}/src/*.h ${ROOT}/tests/*.cpp
     ${ROOT}/tests/*.h ${ROOT}/tools/*.cpp ${ROOT}/tools/*.h ${ROOT}/bench/*.cpp ${ROOT}/bench/*.h)
set(found 0)
foreach(file IN LISTS files)
  if(file MATCHES "^tests/data/")
    continue()
  endif()
  file(STRINGS ${ROOT}/${file} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*[\"<]\\.")
      message("${file}: relative include: ${line}")
      math(EXPR found "${found} + 1")
    elseif(line MATCHES "#[ \t]*include[ \t]*<Qt[A-Za-z]+/")
      message("${file}: Qt header by its module path: ${line}")
      math(EXPR found "${found} + 1")
    endif()
  endforeach()
endforeach()
if(found GREATER 0)
  message(FATAL_ERROR "CheckIncludes: ${found} include(s) reach round the layers")
endif()
