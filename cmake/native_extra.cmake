# The Torvane console (torvane-console): the stand-in host's interactive front end, its unit
# tests (in torvane_tests) and its pseudo-terminal test.
file(GLOB CONSOLE_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/console*.cpp)
list(FILTER CONSOLE_SOURCES EXCLUDE REGEX "/host/console_(main|.*_win32)\\.cpp$")
add_library(torvane_console STATIC ${CONSOLE_SOURCES})
target_link_libraries(torvane_console PUBLIC torvane_host)

add_executable(torvane-console ${PROJECT_SOURCE_DIR}/host/console_main.cpp)
target_link_libraries(torvane-console PRIVATE torvane_console)

target_link_libraries(torvane_tests PRIVATE torvane_console)
