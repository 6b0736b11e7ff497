# The Torvane console (the program torvane-console) in three layers, each a library linking only
# the one below it: the terminal line editor, the session that plays the host, and the drivers
# that reach the plug-in. Its unit tests are one program per layer (tests/console/<layer>/); its
# pseudo-terminal test runs the program.
torvane_sources(CONSOLE_TERMINAL_SOURCES console/terminal)
add_library(console_terminal STATIC ${CONSOLE_TERMINAL_SOURCES})
target_link_libraries(console_terminal PUBLIC torvane_utf8 torvane_text)

torvane_sources(CONSOLE_SESSION_SOURCES console/session)
add_library(console_session STATIC ${CONSOLE_SESSION_SOURCES})
target_link_libraries(console_session PUBLIC console_terminal torvane_plugin)

# The native driver, with what the stand-ins kept of the plug-in's side output (which the Wine
# driver reads too), is a library of its own: the session's tests drive the plug-in through it and
# reach nothing else of the drivers.
set(CONSOLE_NATIVE_DRIVER_SOURCES ${PROJECT_SOURCE_DIR}/console/drivers/native_driver.cpp
                                  ${PROJECT_SOURCE_DIR}/console/drivers/side_output.cpp)
add_library(console_native_driver STATIC ${CONSOLE_NATIVE_DRIVER_SOURCES})
target_link_libraries(console_native_driver PUBLIC console_session torvane_plugin torvane_host)
torvane_sources(CONSOLE_DRIVER_SOURCES console/drivers)
list(REMOVE_ITEM CONSOLE_DRIVER_SOURCES ${CONSOLE_NATIVE_DRIVER_SOURCES})
add_library(console_drivers STATIC ${CONSOLE_DRIVER_SOURCES})
target_link_libraries(console_drivers PUBLIC console_native_driver console_session torvane_plugin
                                             torvane_host util)
# --windows looks for the Windows build under the source tree unless told otherwise.
target_compile_definitions(console_drivers PRIVATE TORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

# The program: its options, and main, which wires the layers.
add_library(console_options STATIC ${PROJECT_SOURCE_DIR}/console/options.cpp)
target_link_libraries(console_options PUBLIC console_drivers)
add_executable(torvane-console ${PROJECT_SOURCE_DIR}/console/main.cpp)
target_link_libraries(torvane-console PRIVATE console_options)

# scripts/try without a terminal: its demo keeps to a registry of its own.
add_test(NAME scripts.try_demo
         COMMAND ${PROJECT_SOURCE_DIR}/tests/scripts/try_demo.sh ${CMAKE_BINARY_DIR})
set_tests_properties(scripts.try_demo PROPERTIES TIMEOUT 300)

if(NOT GTest_FOUND)
  return() # the tests below need GoogleTest
endif()
# The console's unit tests, one program per layer, each linking that layer and what it links and
# nothing above: a terminal test that reaches the session or the plug-in does not link. The
# session's tests also link the native driver, through which they drive the plug-in.
torvane_unit_tests(torvane_console_terminal_tests tests/console/terminal console_terminal)
torvane_unit_tests(torvane_console_session_tests tests/console/session console_native_driver)
torvane_unit_tests(torvane_console_drivers_tests tests/console/drivers console_drivers)
torvane_unit_tests(torvane_console_options_tests tests/console console_options)

# README.md against the plug-in's messages and the console's commands and keys.
torvane_unit_tests(torvane_readme_tests tests console_session)

# The whole console in a pseudo-terminal, as a person would use it.
torvane_sources(CONSOLE_PTY_SOURCES tests/console/pty)
add_executable(torvane_console_pty ${CONSOLE_PTY_SOURCES})
torvane_test_program(torvane_console_pty)
target_compile_definitions(torvane_console_pty PRIVATE
  TORVANE_CONSOLE_PATH="$<TARGET_FILE:torvane-console>"
  TORVANE_CONSOLE_TEST_DIR="${CMAKE_BINARY_DIR}/console-test")
target_link_libraries(torvane_console_pty PRIVATE torvane_utf8 GTest::gtest GTest::gtest_main util)
add_dependencies(torvane_console_pty torvane-console)
gtest_discover_tests(torvane_console_pty DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
