# Warnings are applied per target so that third-party code is never compiled with them.
function(project_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# One executable per test file, each GoogleTest case registered with ctest.
# add_unit_test(name SOURCES a.cpp ... [LIBS lib ...] [QT_MAIN] [ONE_AT_A_TIME] [LABELS label ...])
# QT_MAIN links a main() that creates a QApplication on the offscreen platform. ONE_AT_A_TIME
# keeps ctest from running two of the program's cases at once, for cases that share a file
# beside the executable (a window's settings file). LABELS are ctest labels of every case, which
# scripts/test selects sets of tests by (ctest -L):
#   exact     the rounding and drawing tests that run once more in a clang build;
#   parallel  the tests of the parts that run on several threads, run once more under
#             ThreadSanitizer.
# The target tests_<label> builds the executables of a label.
function(add_unit_test name)
  cmake_parse_arguments(ARG "QT_MAIN;ONE_AT_A_TIME" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  project_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock pelmora_test_support)
  if(ARG_QT_MAIN)
    target_link_libraries(${name} PRIVATE pelmora_qt_test_main)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  # Where the sample XYZ files are; the environment variable PELMORA_CORPUS_DIR overrides it.
  target_compile_definitions(${name} PRIVATE PELMORA_CORPUS_DIR_DEFAULT="${PELMORA_CORPUS_DIR}")
  set(lock)
  if(ARG_ONE_AT_A_TIME)
    set(lock RESOURCE_LOCK ${name})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    # Qt's dialogs remember folders in the user's configuration: tests keep theirs apart. (Each
    # variable is a property of its own: a list value would be split into properties.)
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               ENVIRONMENT_MODIFICATION "XDG_CONFIG_HOME=set:${CMAKE_BINARY_DIR}/test-config" ${lock})
  if(ARG_LABELS)
    label_discovered_tests(${name} ${ARG_LABELS})
  endif()
  foreach(label ${ARG_LABELS})
    if(NOT TARGET tests_${label})
      add_custom_target(tests_${label})
    endif()
    add_dependencies(tests_${label} ${name})
  endforeach()
endfunction()

# Gives every case that gtest_discover_tests finds in the executable `name` the ctest labels that
# follow. The discovery's own PROPERTIES cannot carry more than one label (a list value is split
# into properties), so a script that ctest reads after the discovery sets them on the list of
# cases the discovery leaves in ${name}_TESTS; an executable not built has no cases to label.
function(label_discovered_tests name)
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake")
  file(CONFIGURE OUTPUT "${script}" CONTENT [=[
if(DEFINED @name@_TESTS)
  set_tests_properties(${@name@_TESTS} PROPERTIES LABELS "@ARGN@")
endif()
]=] @ONLY)
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()

# One benchmark executable per file; benchmarks never run under ctest.
function(add_pelmora_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  project_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark_main)
endfunction()
