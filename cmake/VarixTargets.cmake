# A library's headers are included as "<folder>/<header>", folder as under src/, by the library
# and by what links it, and by nothing else: its include root holds only a link to its own folder.
# So an include of a library that a library may not use fails to build; a path up and out of the
# folder, which would reach past the roots, fails to configure.
function(varix_expose_headers target folder)
  get_target_property(sources ${target} SOURCES)
  foreach(source ${sources})
    file(STRINGS ${source} climbing REGEX "^#include \"\\.\\./")
    if(climbing)
      message(FATAL_ERROR "${source}: include other libraries' headers as \"<folder>/<header>\", not by \"../\"")
    endif()
  endforeach()
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# One static library per source folder; its sources are the folder's .cpp and .h files.
function(varix_add_library name)
  cmake_parse_arguments(ARG "" "" "LIBS;EXTRA_SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources} ${ARG_EXTRA_SOURCES})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  varix_expose_headers(${name} ${folder})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# Leaks are errors; undefined behaviour stops the program with its stack.
set(VARIX_SANITIZER_ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

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
