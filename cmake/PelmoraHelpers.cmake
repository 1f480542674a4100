# Warnings are applied per target so that third-party code is never compiled with them.
function(project_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# One executable per test file, each GoogleTest case registered with ctest.
# add_unit_test(name SOURCES a.cpp ... [LIBS lib ...] [QT_MAIN] [ONE_AT_A_TIME])
# QT_MAIN links a main() that creates a QApplication on the offscreen platform. ONE_AT_A_TIME
# keeps ctest from running two of the program's cases at once, for cases that share a file
# beside the executable (a window's settings file).
function(add_unit_test name)
  cmake_parse_arguments(ARG "QT_MAIN;ONE_AT_A_TIME" "" "SOURCES;LIBS" ${ARGN})
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
endfunction()

# One benchmark executable per file; benchmarks never run under ctest.
function(add_pelmora_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  project_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark_main)
endfunction()
