# Test helpers shared by every subsystem's tests (kept beside the code in <dir>/tests).
if(TARNEL_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
if(TARNEL_BUILD_BENCHMARKS)
  find_package(benchmark QUIET)
endif()

# tarnel_add_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2)
# Builds a GoogleTest executable and registers each of its tests with CTest.
# The shared main (tests/support/TestMain.cpp) makes tests run headless on
# SDL's dummy drivers and points TARNEL_BIN_DIR at build/bin.
function(tarnel_add_test name)
  if(NOT TARNEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/TestMain.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    TARNEL_TEST_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    TARNEL_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 60)
endfunction()
