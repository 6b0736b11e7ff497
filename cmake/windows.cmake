# The Windows build: Torvane.dll, the stand-in TakeCmd.dll and the Wine test programs, all
# cross-compiled with mingw-w64 and linked with the language runtime built in.
enable_language(RC)

set(TORVANE_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
# GCC 12's -Wrestrict misfires inside libstdc++'s string code at -O3 (GCC bug 105651). Only the
# stand-in host and the test programs use std::string; the plug-in keeps the warning.
set(TORVANE_STRING_CODE_OPTIONS -Wno-restrict)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE _WIN32_WINNT=0x0601)

# The import library for the host operations, made from our own description of TakeCmd.dll.
set(TAKECMD_IMPORTS_DEF ${PROJECT_SOURCE_DIR}/cmake/takecmd_imports.def)
set(TAKECMD_IMPORTS_LIB ${CMAKE_BINARY_DIR}/libtakecmd_imports.a)
# Made inside the build folder under a plain name: dlltool names its symbols after that path.
add_custom_command(
  OUTPUT ${TAKECMD_IMPORTS_LIB}
  COMMAND ${CMAKE_DLLTOOL} --input-def ${TAKECMD_IMPORTS_DEF} --dllname TakeCmd.dll
          --output-lib libtakecmd_imports.a
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS ${TAKECMD_IMPORTS_DEF}
  COMMENT "Import library for TakeCmd.dll")
add_custom_target(takecmd_imports DEPENDS ${TAKECMD_IMPORTS_LIB})

# The commit the sources are at, for the version resource; looked up again on every build.
set(SOURCE_COMMIT_HEADER ${CMAKE_BINARY_DIR}/source_commit.h)
add_custom_target(source_commit
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DOUT=${SOURCE_COMMIT_HEADER}
          -P ${PROJECT_SOURCE_DIR}/cmake/source_commit.cmake
  BYPRODUCTS ${SOURCE_COMMIT_HEADER}
  COMMENT "The commit Torvane.dll is built from")

# Torvane.dll: everything in src/, the Windows layer included; exports by the .def file.
set(TORVANE_RESOURCE ${PROJECT_SOURCE_DIR}/src/plugin/torvane.rc)
add_library(Torvane SHARED ${TORVANE_PLUGIN_SOURCES} ${TORVANE_TEXT_SOURCES}
            ${TORVANE_WINDOWS_LAYER_SOURCES} ${TORVANE_RESOURCE}
            ${PROJECT_SOURCE_DIR}/src/plugin/torvane.def)
set_target_properties(Torvane PROPERTIES PREFIX "" OUTPUT_NAME Torvane
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set_source_files_properties(${TORVANE_RESOURCE} PROPERTIES
  INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}
  OBJECT_DEPENDS
  "${PROJECT_SOURCE_DIR}/src/plugin/torvane.manifest;${PROJECT_SOURCE_DIR}/src/plugin/version.h;${SOURCE_COMMIT_HEADER}")
add_dependencies(Torvane takecmd_imports source_commit)
target_link_options(Torvane PRIVATE ${TORVANE_STATIC_RUNTIME})
target_link_libraries(Torvane PRIVATE ${TAKECMD_IMPORTS_LIB} advapi32 user32 winmm)
# Reproducible: debug information for the release's Torvane.dll.debug (it does not change the
# code), no link time stamp, and no path of this checkout or its build folder in either file.
# Source paths become relative to the checkout, where a debugger finds them; the build folder,
# which may lie inside the checkout, comes last because the last map that matches wins.
target_compile_options(Torvane PRIVATE -g -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                       -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
target_link_options(Torvane PRIVATE -Wl,--no-insert-timestamp)
# The compiler cache's base folder would hand the compiler relative paths, which those maps do
# not match; the DLL's own sources are cached under their full paths instead.
if(TORVANE_CCACHE)
  set_target_properties(Torvane PROPERTIES CXX_COMPILER_LAUNCHER ${TORVANE_CCACHE})
endif()

# The stand-in host as TakeCmd.dll: the host operations under the host's export names, plus
# controls for the test programs.
torvane_sources(TAKECMD_SOURCES host host/windows)
add_library(TakeCmd SHARED ${TAKECMD_SOURCES} ${TORVANE_TEXT_SOURCES}
            ${PROJECT_SOURCE_DIR}/host/windows/takecmd_exports.def)
set_target_properties(TakeCmd PROPERTIES PREFIX "" OUTPUT_NAME TakeCmd
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_options(TakeCmd PRIVATE ${TORVANE_STATIC_RUNTIME})
target_compile_options(TakeCmd PRIVATE ${TORVANE_STRING_CODE_OPTIONS})

# The programs that load Torvane.dll as the host does share its loader.
torvane_sources(LOADER_SOURCES host/loader)
add_library(torvane_loader STATIC ${LOADER_SOURCES} ${PROJECT_SOURCE_DIR}/standins/utf8.cpp)
target_compile_options(torvane_loader PUBLIC ${TORVANE_STRING_CODE_OPTIONS})

# A Windows program that loads Torvane.dll next to TakeCmd.dll as the host does: <name>.exe in
# the build folder beside both DLLs, built from sources (one argument: a file, or a list in
# quotes), with the language runtime built in and linked with the libraries that follow.
function(torvane_windows_program name sources)
  add_executable(${name} ${sources})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_options(${name} PRIVATE ${TORVANE_STATIC_RUNTIME} -municode)
  target_link_libraries(${name} PRIVATE ${ARGN})
  add_dependencies(${name} Torvane TakeCmd)
endfunction()

# The Windows test programs: each tests/wine/<name>.cpp becomes <name>.exe, with what they share
# with the native build's scenario runner in tests/scenarios/runner/ (torvane_runner.exe is the
# scenario runner's Windows layer).
torvane_sources(WINE_TEST_SOURCES tests/wine)
add_library(wine_test_common STATIC
            ${PROJECT_SOURCE_DIR}/tests/scenarios/runner/runner.cpp
            ${PROJECT_SOURCE_DIR}/tests/scenarios/runner/bad_input.cpp
            ${PROJECT_SOURCE_DIR}/tests/scenarios/runner/blank_units.cpp
            ${PROJECT_SOURCE_DIR}/tests/scenarios/runner/registry_matrix.cpp
            ${PROJECT_SOURCE_DIR}/tests/scenarios/runner/transcript.cpp)
target_link_libraries(wine_test_common PUBLIC torvane_loader)
foreach(source ${WINE_TEST_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  torvane_windows_program(${name} ${source} wine_test_common advapi32 user32 version)
endforeach()

# The Torvane console's bridge: torvane-console --windows drives Torvane.dll under Wine through it.
torvane_sources(BRIDGE_SOURCES console/drivers/windows)
torvane_windows_program(torvane_console_bridge
  "${BRIDGE_SOURCES};${PROJECT_SOURCE_DIR}/console/drivers/bridge_protocol.cpp" torvane_loader user32)

# The benchmark programs for the real DLL under Wine (scripts/bench runs them): each
# bench/wine/<name>.cpp becomes <name>.exe next to Torvane.dll.
torvane_sources(WINE_BENCH_SOURCES bench/wine)
foreach(source ${WINE_BENCH_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  torvane_windows_program(${name} ${source} torvane_loader)
endforeach()
