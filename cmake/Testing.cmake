# Window tests press keys and wait for windows through QTest; a build without the windows has
# none.
if(BUILD_WINDOWS)
  find_package(Qt6 REQUIRED COMPONENTS Test)
endif()

# add_test_program(NAME SOURCES file... [LIBRARIES target...] [WINDOWS] [TEST_PREFIX text]
#                  [DISCOVERY_TIMEOUT seconds] [TIMEOUT seconds])
#
# A GoogleTest program and its tests, each test one CTest test named Suite.Name (after
# TEST_PREFIX). Every test program can use the helpers of shared/testing. WINDOWS gives it the
# main function of window tests, which runs the tests inside a QApplication on the offscreen
# platform (unless another is chosen); the others get GoogleTest's own main. Listing the tests
# runs the program at build time, for 60 seconds at most unless DISCOVERY_TIMEOUT says otherwise;
# TIMEOUT ends a test that runs longer.
function(add_test_program name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "WINDOWS" "TEST_PREFIX;DISCOVERY_TIMEOUT;TIMEOUT"
                        "SOURCES;LIBRARIES")
  if(arg_UNPARSED_ARGUMENTS OR NOT arg_SOURCES)
    message(FATAL_ERROR "add_test_program(${name}): unknown arguments or no SOURCES")
  endif()
  if(arg_WINDOWS AND NOT BUILD_WINDOWS)
    message(FATAL_ERROR "add_test_program(${name}): WINDOWS in a build without the windows")
  endif()
  add_executable(${name} ${arg_SOURCES})
  if(arg_WINDOWS)
    target_link_libraries(${name} PRIVATE shared_window_test_main)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE shared_testing ${arg_LIBRARIES})

  if(CMAKE_CROSSCOMPILING)
    # Listing the tests would run the program at build time, through the emulator: one CTest
    # test for the whole program instead (wine starts once, not once for each test).
    add_test(NAME ${arg_TEST_PREFIX}${name} COMMAND ${name} --gtest_brief=1)
    if(arg_TIMEOUT)
      set_tests_properties(${arg_TEST_PREFIX}${name} PROPERTIES TIMEOUT ${arg_TIMEOUT})
    endif()
    return()
  endif()

  set(discovery ${arg_DISCOVERY_TIMEOUT})
  if(NOT discovery)
    set(discovery 60)
  endif()
  set(options DISCOVERY_TIMEOUT ${discovery})
  if(arg_TEST_PREFIX)
    list(APPEND options TEST_PREFIX ${arg_TEST_PREFIX})
  endif()
  if(arg_TIMEOUT)
    list(APPEND options PROPERTIES TIMEOUT ${arg_TIMEOUT})
  endif()
  gtest_discover_tests(${name} ${options})
endfunction()
