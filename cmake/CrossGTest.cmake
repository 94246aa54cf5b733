# GoogleTest built from its sources for the target of a cross build (Debian: googletest, in
# /usr/src/googletest), under the names find_package(GTest) gives.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources, for a cross build")
if(NOT EXISTS ${GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest's sources not found in ${GTEST_SOURCE_DIR} (Debian: googletest)")
endif()
# GoogleTest is built with its own warnings, not ours.
get_directory_property(our_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${our_options}")
foreach(lib gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()
