# Helpers shared by every component's CMakeLists.

# Our own code builds with warnings on and none allowed.
function(kit_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()

# A library of our own code; the project root is its include root.
function(kit_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  kit_warnings(${name})
endfunction()

set(KIT_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(KIT_WINE_ENV
  WINEPREFIX=${KIT_WINE_PREFIX}
  WINEDEBUG=-all
  "WINEDLLOVERRIDES=mscoree,mshtml=")

# Every Wine test needs the run's prefix; this setup test makes it once.
function(kit_add_wine_prefix_fixture)
  add_test(NAME wine_prefix COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix ${KIT_WINE_PREFIX})
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine LABELS wine)
endfunction()

# A GoogleTest binary. On Linux each case is a CTest test (label unit);
# built for Windows the whole binary is one test run under Wine (label wine),
# since every Wine process start is costly.
function(kit_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kit_warnings(${name})
  if(KIT_WIN32)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} gmock gtest_main)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      LABELS wine FIXTURES_REQUIRED wine ENVIRONMENT "${KIT_WINE_ENV}" TIMEOUT 600)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name} PROPERTIES LABELS unit DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
