# The Torvane console (torvane-console): the stand-in host's interactive front end, its unit
# tests (in torvane_tests) and its pseudo-terminal test.
torvane_sources(CONSOLE_SOURCES console)
list(REMOVE_ITEM CONSOLE_SOURCES ${PROJECT_SOURCE_DIR}/console/main.cpp)
add_library(torvane_console STATIC ${CONSOLE_SOURCES})
target_link_libraries(torvane_console PUBLIC torvane_plugin util)
# --windows looks for the Windows build under the source tree unless told otherwise.
target_compile_definitions(torvane_console PRIVATE TORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

add_executable(torvane-console ${PROJECT_SOURCE_DIR}/console/main.cpp)
target_link_libraries(torvane-console PRIVATE torvane_console)

if(NOT GTest_FOUND)
  return() # the tests below need GoogleTest
endif()
target_link_libraries(torvane_tests PRIVATE torvane_console)

# The whole console in a pseudo-terminal, as a person would use it.
torvane_sources(CONSOLE_PTY_SOURCES tests/console)
add_executable(torvane_console_pty ${CONSOLE_PTY_SOURCES})
target_compile_definitions(torvane_console_pty PRIVATE
  TORVANE_CONSOLE_PATH="$<TARGET_FILE:torvane-console>"
  TORVANE_CONSOLE_TEST_DIR="${CMAKE_BINARY_DIR}/console-test")
target_link_libraries(torvane_console_pty PRIVATE torvane_standins GTest::gtest GTest::gtest_main util)
add_dependencies(torvane_console_pty torvane-console)
gtest_discover_tests(torvane_console_pty DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
