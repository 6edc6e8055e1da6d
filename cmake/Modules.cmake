# lumeno_module(NAME DIRS dir... LIBS lib...): a static library of every .cpp under the
# given source folders. Files named *Main.cpp are entry points and stay out.
function(lumeno_module name)
  cmake_parse_arguments(M "" "" "DIRS;LIBS" ${ARGN})
  set(sources)
  foreach(dir ${M_DIRS})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp" "${CMAKE_SOURCE_DIR}/${dir}/*.c")
    list(APPEND sources ${found})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "Main\\.cpp$")
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}/src")
  set(libs)
  foreach(lib ${M_LIBS})
    if(TARGET ${lib} OR NOT lib MATCHES "^lumeno_")
      list(APPEND libs ${lib})
    endif()
  endforeach()
  target_link_libraries(${name} PUBLIC ${libs})
endfunction()

# lumeno_test(NAME SOURCES src... LIBS lib... [TIMEOUT s]): one GoogleTest program, one
# CTest entry, run under Wine. The test runs in its own folder of the build tree.
function(lumeno_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  add_executable(test_${name} ${T_SOURCES})
  target_link_libraries(test_${name} PRIVATE ${T_LIBS} dep::gtest)
  target_include_directories(test_${name} PRIVATE "${CMAKE_SOURCE_DIR}/src" "${CMAKE_SOURCE_DIR}/tests")
  target_compile_definitions(test_${name} PRIVATE
    LUMENO_SOURCE_DIR="${CMAKE_SOURCE_DIR}" LUMENO_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set(workdir "${CMAKE_BINARY_DIR}/testrun/${name}")
  file(MAKE_DIRECTORY "${workdir}")
  add_test(NAME ${name} COMMAND test_${name} --gtest_color=no WORKING_DIRECTORY "${workdir}")
  # A program cut short (killed, crashed) may still exit with 0: a pass needs the
  # closing summary, and any failure line or non-zero exit (reported by wine-run) fails.
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];wine-run: the program ended with exit code")
endfunction()
