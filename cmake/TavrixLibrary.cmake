# tavrix_library(NAME DEPS...): one static library from the .cpp files of the calling folder.
# Files are globbed so that adding a file to a subsystem needs no edit here.
function(tavrix_subsystem name)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# tavrix_test_suite(NAME DEPS...): one GoogleTest executable from the *_test.cpp files of the calling folder.
function(tavrix_test_suite name)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARGN} tavrix_test_support GTest::gtest GTest::gtest_main GTest::gmock)
  # A cross-built test cannot be asked for its tests at build time; scripts/windows/test.sh lists and
  # runs them under Wine. No test reaches the internet: the cover services, on unless switched off,
  # are off for every test and for the programs it starts (the tests of those services name their
  # loopback server instead).
  if(NOT CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ENVIRONMENT TAVRIX_MUSICBRAINZ_SERVER=)
  endif()
endfunction()
