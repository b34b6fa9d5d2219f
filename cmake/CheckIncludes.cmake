# Refuses every include path with a ".." component in the files named by SOURCES (a list), however
# the directive is spelled; touches STAMP when all of them pass.
#
#   cmake -DSOURCES="a.cpp;b.h" -DSTAMP=file -P CheckIncludes.cmake
cmake_minimum_required(VERSION 3.25)
set(climbing "")
foreach(source ${SOURCES})
  file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">]")
      string(REPLACE "\\" "/" path "${CMAKE_MATCH_1}")
      string(REPLACE "/" ";" components "${path}")
      if(".." IN_LIST components)
        string(APPEND climbing "\n  ${source}: ${line}")
      endif()
    endif()
  endforeach()
endforeach()
if(climbing)
  message(FATAL_ERROR "include other libraries' headers as \"<folder>/<header>\", never through \"..\":${climbing}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
