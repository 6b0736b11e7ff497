# The native build: the plug-in with portable stand-ins, the stand-in host, tests, benchmarks,
# fuzz targets and the console.
file(GLOB PORTABLE_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/portable*.cpp)
add_library(torvane_plugin STATIC ${TORVANE_SOURCES} ${PORTABLE_SOURCES}
            ${PROJECT_SOURCE_DIR}/src/text/utf8.cpp)
target_include_directories(torvane_plugin PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})

# The stand-in host: every host/ file but the Windows-only ones and the front ends.
file(GLOB HOST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/*.cpp)
list(FILTER HOST_SOURCES EXCLUDE REGEX "/host/(.*_win32|takecmd_.*|console.*|runner.*)\\.cpp$")
add_library(torvane_host STATIC ${HOST_SOURCES})
target_link_libraries(torvane_host PUBLIC torvane_plugin)
# The plug-in calls the host operations and the host calls back into the plug-in's text helpers.
target_link_libraries(torvane_plugin PUBLIC torvane_host)

# Fuzz targets, built by the fuzz preset with clang's libFuzzer.
if(TORVANE_FUZZ)
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/*.cpp)
  foreach(source ${FUZZ_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE torvane_host)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endforeach()
  return() # the fuzz build holds nothing else
endif()

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB UNIT_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(torvane_tests ${UNIT_TESTS})
target_link_libraries(torvane_tests PRIVATE torvane_host GTest::gtest GTest::gtest_main)
gtest_discover_tests(torvane_tests DISCOVERY_TIMEOUT 60)

# The end-to-end scenarios: each tests/scenarios/<name>.txt is a test that drives the plug-in
# through its exports with the scenario runner and compares the transcript with the one the file
# holds. A scenario marked "#! after <other>" starts from the registry <other> leaves behind, so
# that one runs first.
file(GLOB SCENARIO_RUNNER_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/tests/scenarios/runner/*.cpp)
add_executable(torvane_runner ${SCENARIO_RUNNER_SOURCES})
target_link_libraries(torvane_runner PRIVATE torvane_host)
file(GLOB SCENARIOS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/scenarios/*.txt)
set(SCENARIO_OUTPUT ${CMAKE_BINARY_DIR}/scenarios)
file(MAKE_DIRECTORY ${SCENARIO_OUTPUT})
foreach(scenario ${SCENARIOS})
  get_filename_component(name ${scenario} NAME_WE)
  add_test(NAME scenario.${name}
           COMMAND torvane_runner ${scenario} ${SCENARIO_OUTPUT}/${name}.txt)
  set_tests_properties(scenario.${name} PROPERTIES FIXTURES_SETUP scenario.${name} TIMEOUT 60)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${scenario})
  file(STRINGS ${scenario} after_lines REGEX "^#! after ")
  foreach(line ${after_lines})
    string(REGEX REPLACE "^#! after +" "" before ${line})
    set_property(TEST scenario.${name} APPEND PROPERTY FIXTURES_REQUIRED scenario.${before})
  endforeach()
endforeach()

include(${PROJECT_SOURCE_DIR}/cmake/console.cmake)

find_package(benchmark QUIET)
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
if(benchmark_FOUND AND BENCH_SOURCES AND NOT TORVANE_SANITIZE)
  add_executable(torvane_bench ${BENCH_SOURCES})
  target_link_libraries(torvane_bench PRIVATE torvane_host benchmark::benchmark benchmark::benchmark_main)
endif()
