# One static library per source folder; its sources are the folder's .cpp and .h files.
function(varix_add_library name)
  cmake_parse_arguments(ARG "" "" "LIBS;EXTRA_SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources} ${ARG_EXTRA_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# Leaks are errors; undefined behaviour stops the program with its stack.
set(VARIX_SANITIZER_ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

# One GoogleTest executable per test folder, run under the offscreen Qt platform.
function(varix_add_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  set(libs)
  foreach(lib ${ARG_LIBS})
    if(TARGET ${lib})
      list(APPEND libs ${lib})
    endif()
  endforeach()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE test_common ${libs})
  if(TARGET varix-devsim)
    target_compile_definitions(${name} PRIVATE VARIX_DEVSIM_PATH="$<TARGET_FILE:varix-devsim>")
    add_dependencies(${name} varix-devsim)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${VARIX_SANITIZER_ENVIRONMENT}"
      TIMEOUT 120)
endfunction()
