# A library's headers are included as "<folder>/<header>", folder as under src/, by the library
# and by what links it, and by nothing else. Its include root holds a link to each of its public
# headers only, so an include of a library that a library may not use, or of another library's
# private header, fails to build. Its own sources include its private headers by their bare name.
# The tests, benchmarks and fuzz targets look inside every library (varix_internal_headers).
function(varix_expose_headers target folder)
  cmake_parse_arguments(ARG "" "" "PRIVATE_HEADERS" ${ARGN})
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.h ${PROJECT_SOURCE_DIR}/src/${folder}/*.def)
  set(names "")
  foreach(header ${headers})
    get_filename_component(name ${header} NAME)
    list(APPEND names ${name})
  endforeach()
  foreach(private ${ARG_PRIVATE_HEADERS})
    if(NOT private IN_LIST names)
      message(FATAL_ERROR "${target}: private header ${private} is not in src/${folder}")
    endif()
  endforeach()
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${folder})
  foreach(name ${names})
    if(NOT name IN_LIST ARG_PRIVATE_HEADERS)
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder}/${name} ${root}/${folder}/${name} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
  varix_check_includes(${target})
endfunction()

# Every include path with a ".." component is refused at build time, however it is spelled: the
# layers are kept by the include roots, and ".." would climb past them.
function(varix_check_includes target)
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "\\.(cpp|h)$")
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_includes.checked)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} "-DSOURCES=${sources}" -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMENT "Checking the include paths of ${target}"
    VERBATIM)
  add_custom_target(${target}_includes DEPENDS ${stamp})
  add_dependencies(${target} ${target}_includes)
endfunction()

# One static library per source folder; its sources are the folder's .cpp and .h files.
function(varix_add_library name)
  cmake_parse_arguments(ARG "" "" "LIBS;EXTRA_SOURCES;PRIVATE_HEADERS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources} ${ARG_EXTRA_SOURCES})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  varix_expose_headers(${name} ${folder} PRIVATE_HEADERS ${ARG_PRIVATE_HEADERS})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# Every library's folder, private headers included, for the tests, benchmarks and fuzz targets.
set(whole ${PROJECT_BINARY_DIR}/include-whole)
file(MAKE_DIRECTORY ${whole})
file(GLOB folders LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/src/*)
foreach(folder ${folders})
  if(IS_DIRECTORY ${folder})
    get_filename_component(name ${folder} NAME)
    file(CREATE_LINK ${folder} ${whole}/${name} SYMBOLIC)
  endif()
endforeach()
add_library(varix_internal_headers INTERFACE)
target_include_directories(varix_internal_headers INTERFACE ${whole})

# Leaks are errors, but for those of system libraries listed in the suppressions; undefined
# behaviour stops the program with its stack.
set(VARIX_SANITIZER_ENVIRONMENT
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan-suppressions.txt;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

# One GoogleTest executable per test folder, run under the offscreen Qt platform.
function(varix_add_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(lib ${ARG_LIBS})
    if(NOT TARGET ${lib})
      message(FATAL_ERROR "${name} links ${lib}, which is no library of this build")
    endif()
  endforeach()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE test_common ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE VARIX_DEVSIM_PATH="$<TARGET_FILE:varix-devsim>")
  add_dependencies(${name} varix-devsim)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${VARIX_SANITIZER_ENVIRONMENT}"
      TIMEOUT 120)
endfunction()
