# The Torvane console (the program torvane-console) in three layers, each a library linking only
# the one below it: the terminal line editor, the session that plays the host, and the drivers
# that reach the plug-in. The console's unit tests are in torvane_console_tests; its
# pseudo-terminal test runs the program.
torvane_sources(CONSOLE_TERMINAL_SOURCES console/terminal)
add_library(console_terminal STATIC ${CONSOLE_TERMINAL_SOURCES})
target_link_libraries(console_terminal PUBLIC torvane_utf8 torvane_text)

torvane_sources(CONSOLE_SESSION_SOURCES console/session)
add_library(console_session STATIC ${CONSOLE_SESSION_SOURCES})
target_link_libraries(console_session PUBLIC console_terminal torvane_plugin)

torvane_sources(CONSOLE_DRIVER_SOURCES console/drivers)
add_library(console_drivers STATIC ${CONSOLE_DRIVER_SOURCES})
target_link_libraries(console_drivers PUBLIC console_session torvane_plugin torvane_host util)
# --windows looks for the Windows build under the source tree unless told otherwise.
target_compile_definitions(console_drivers PRIVATE TORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

# The program: its options, and main, which wires the layers.
add_library(console_options STATIC ${PROJECT_SOURCE_DIR}/console/options.cpp)
target_link_libraries(console_options PUBLIC console_drivers)
add_executable(torvane-console ${PROJECT_SOURCE_DIR}/console/main.cpp)
target_link_libraries(torvane-console PRIVATE console_options)

# scripts/try without a terminal: its demo keeps to a registry of its own.
add_test(NAME console.try_demo
         COMMAND ${PROJECT_SOURCE_DIR}/tests/console/try_demo.sh ${CMAKE_BINARY_DIR})
set_tests_properties(console.try_demo PROPERTIES TIMEOUT 300)

if(NOT GTest_FOUND)
  return() # the tests below need GoogleTest
endif()
# The console's unit tests, which start from the plug-in's world (tests/plugin/world.h).
torvane_unit_tests(torvane_console_tests tests/unit console_options)
target_include_directories(torvane_console_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/plugin)

# README.md against the plug-in's messages and the console's commands and keys.
torvane_unit_tests(torvane_readme_tests tests console_session)

# The whole console in a pseudo-terminal, as a person would use it.
torvane_sources(CONSOLE_PTY_SOURCES tests/console)
add_executable(torvane_console_pty ${CONSOLE_PTY_SOURCES})
torvane_test_program(torvane_console_pty)
target_compile_definitions(torvane_console_pty PRIVATE
  TORVANE_CONSOLE_PATH="$<TARGET_FILE:torvane-console>"
  TORVANE_CONSOLE_TEST_DIR="${CMAKE_BINARY_DIR}/console-test")
target_link_libraries(torvane_console_pty PRIVATE torvane_standins GTest::gtest GTest::gtest_main util)
add_dependencies(torvane_console_pty torvane-console)
gtest_discover_tests(torvane_console_pty DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
