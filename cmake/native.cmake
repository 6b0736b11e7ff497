# The native build: the plug-in with the stand-ins for the Windows services, the stand-in host,
# tests, benchmarks, fuzz targets and the console.

# The bounded UTF-16 helpers, shared by the plug-in, the stand-ins and the host.
add_library(torvane_text STATIC ${TORVANE_TEXT_SOURCES})

# The conversions between UTF-16 and the UTF-8 of terminals and files, kept with the stand-ins
# but a library of its own: the console's terminal layer needs them and nothing else of those.
set(UTF8_SOURCES ${PROJECT_SOURCE_DIR}/standins/utf8.cpp)
add_library(torvane_utf8 STATIC ${UTF8_SOURCES})

# The stand-ins for the Windows services (registry, key state, sounds, message box, ...).
torvane_sources(STANDIN_SOURCES standins)
list(REMOVE_ITEM STANDIN_SOURCES ${UTF8_SOURCES})
add_library(torvane_standins STATIC ${STANDIN_SOURCES})
target_link_libraries(torvane_standins PUBLIC torvane_utf8 torvane_text)

# The stand-in host: the seven host operations, variables and captured output.
torvane_sources(HOST_SOURCES host host/native)
add_library(torvane_host STATIC ${HOST_SOURCES})
target_link_libraries(torvane_host PUBLIC torvane_text)

# The plug-in, calling the host's operations and the stand-ins' services.
add_library(torvane_plugin STATIC ${TORVANE_PLUGIN_SOURCES})
target_link_libraries(torvane_plugin PUBLIC torvane_host torvane_standins torvane_text)

# Fuzz targets, built by the fuzz preset with clang's libFuzzer.
if(TORVANE_FUZZ)
  torvane_sources(FUZZ_SOURCES fuzz)
  foreach(source ${FUZZ_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE torvane_plugin)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endforeach()
  return() # the fuzz build holds nothing else
endif()

enable_testing()
# The unit tests and the console's terminal tests need GoogleTest; the console and the scenarios
# do not, so scripts/try builds without it.
find_package(GTest QUIET)
# A test program's own code is compiled without optimisation, which takes a third of the time of
# -O2 for code made of GoogleTest's macros and runs as fast where it matters: the code under test
# keeps its build's optimisation. GoogleTest's header, which every test file includes, is parsed
# once for all test programs (a precompiled header the first one makes) instead of once per file.
# Every test program is told where the tests find their checked-in data (tests/golden) and
# README.md; the same definitions are what lets them share the header.
function(torvane_test_program target)
  target_compile_options(${target} PRIVATE -O0)
  target_compile_definitions(${target} PRIVATE TORVANE_TESTS_DIR="${PROJECT_SOURCE_DIR}/tests")
  get_property(maker GLOBAL PROPERTY TORVANE_TEST_PCH)
  if(maker)
    target_precompile_headers(${target} REUSE_FROM ${maker})
  else()
    target_precompile_headers(${target} PRIVATE <gtest/gtest.h> <string> <vector>)
    set_property(GLOBAL PROPERTY TORVANE_TEST_PCH ${target})
  endif()
endfunction()
if(GTest_FOUND)
  include(GoogleTest)
  # The unit tests of one folder of tests/ as one program, linked with the libraries given (the
  # layer the folder mirrors, which brings those below it) and nothing above them: a test that
  # reaches up a layer does not link, as in the code.
  function(torvane_unit_tests name folder)
    torvane_sources(sources ${folder})
    add_executable(${name} ${sources})
    torvane_test_program(${name})
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endfunction()
  torvane_unit_tests(torvane_standins_tests tests/standins torvane_standins torvane_text)
  torvane_unit_tests(torvane_plugin_tests tests/plugin torvane_plugin)
else()
  message(STATUS "GoogleTest not found: the unit tests and the console's terminal tests are not built")
endif()

# The end-to-end scenarios: each tests/scenarios/<name>.txt is a test that drives the plug-in
# through its exports with the scenario runner and compares the transcript with the one the file
# holds. A scenario marked "#! after <other>" starts from the registry <other> leaves behind, so
# that one runs first, and its test's name says so: when <other> fails, ctest lists it as
# "scenario.<name> (after <other>) (Not Run)".
torvane_sources(SCENARIO_RUNNER_SOURCES tests/scenarios/runner)
add_executable(torvane_runner ${SCENARIO_RUNNER_SOURCES})
target_link_libraries(torvane_runner PRIVATE torvane_plugin)
file(GLOB SCENARIOS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/scenarios/*.txt)
set(SCENARIO_OUTPUT ${CMAKE_BINARY_DIR}/scenarios)
file(MAKE_DIRECTORY ${SCENARIO_OUTPUT})
foreach(scenario ${SCENARIOS})
  get_filename_component(name ${scenario} NAME_WE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${scenario})
  file(STRINGS ${scenario} after_lines REGEX "^#! after ")
  set(befores "")
  foreach(line ${after_lines})
    string(REGEX REPLACE "^#! after +" "" before ${line})
    list(APPEND befores ${before})
  endforeach()
  set(test scenario.${name})
  if(befores)
    list(JOIN befores ", " joined)
    string(APPEND test " (after ${joined})")
  endif()
  add_test(NAME "${test}" COMMAND torvane_runner ${scenario} ${SCENARIO_OUTPUT}/${name}.txt)
  set_tests_properties("${test}" PROPERTIES FIXTURES_SETUP scenario.${name} TIMEOUT 60)
  foreach(before ${befores})
    set_property(TEST "${test}" APPEND PROPERTY FIXTURES_REQUIRED scenario.${before})
  endforeach()
endforeach()
# torvane_runner --update writes a scenario back as the transcript it got; on material of the
# runner's own, so that a change of what the plug-in prints fails the scenarios, not this.
add_test(NAME scenario-runner.update
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/scenarios/runner/update_check.sh
                 $<TARGET_FILE:torvane_runner>
                 ${PROJECT_SOURCE_DIR}/tests/scenarios/runner/update_material.txt
                 ${CMAKE_BINARY_DIR}/runner-update)

# scripts/mutate's own checks, which build nothing: its exit status, the work folders it refuses,
# its copy next to links, and a signal that ends it ending what it started.
add_test(NAME scripts.mutate COMMAND ${PROJECT_SOURCE_DIR}/tests/scripts/mutate_test.py)
set_tests_properties(scripts.mutate PROPERTIES TIMEOUT 120)

include(${PROJECT_SOURCE_DIR}/cmake/console.cmake)

find_package(benchmark QUIET)
torvane_sources(BENCH_SOURCES bench)
if(benchmark_FOUND AND BENCH_SOURCES AND NOT TORVANE_SANITIZE)
  add_executable(torvane_bench ${BENCH_SOURCES})
  target_link_libraries(torvane_bench PRIVATE torvane_plugin benchmark::benchmark benchmark::benchmark_main)
endif()
