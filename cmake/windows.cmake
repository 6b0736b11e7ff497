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
add_custom_command(
  OUTPUT ${TAKECMD_IMPORTS_LIB}
  COMMAND ${CMAKE_DLLTOOL} --input-def ${TAKECMD_IMPORTS_DEF} --dllname TakeCmd.dll
          --output-lib ${TAKECMD_IMPORTS_LIB}
  DEPENDS ${TAKECMD_IMPORTS_DEF}
  COMMENT "Import library for TakeCmd.dll")
add_custom_target(takecmd_imports DEPENDS ${TAKECMD_IMPORTS_LIB})

# Torvane.dll: the plug-in's sources with the real Windows services, taken from an archive so
# that the exports named in the .def file pull in what they need, and the entry routine.
file(GLOB WIN32_PLATFORM_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/win32*.cpp)
add_library(torvane_plugin STATIC ${TORVANE_SOURCES} ${WIN32_PLATFORM_SOURCES})
target_include_directories(torvane_plugin PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})

add_library(Torvane SHARED
            ${PROJECT_SOURCE_DIR}/src/plugin/dll_main.cpp
            ${PROJECT_SOURCE_DIR}/src/plugin/torvane.rc
            ${PROJECT_SOURCE_DIR}/src/plugin/torvane.def)
set_target_properties(Torvane PROPERTIES PREFIX "" OUTPUT_NAME Torvane
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/plugin/torvane.rc PROPERTIES
                            OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/src/plugin/torvane.manifest)
add_dependencies(Torvane takecmd_imports)
target_link_options(Torvane PRIVATE ${TORVANE_STATIC_RUNTIME})
target_link_libraries(Torvane PRIVATE torvane_plugin ${TAKECMD_IMPORTS_LIB} advapi32 user32 winmm)

# The stand-in host as TakeCmd.dll: the host operations under the host's export names, plus
# controls for the test programs.
file(GLOB TAKECMD_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/*.cpp)
list(FILTER TAKECMD_SOURCES EXCLUDE REGEX "/host/(.*_native|console.*|runner.*|plugin_loader_win32)\\.cpp$")
add_library(TakeCmd SHARED
            ${TAKECMD_SOURCES}
            ${PROJECT_SOURCE_DIR}/src/text/wtext.cpp
            ${PROJECT_SOURCE_DIR}/src/text/utf8.cpp
            ${PROJECT_SOURCE_DIR}/host/takecmd_exports.def)
set_target_properties(TakeCmd PROPERTIES PREFIX "" OUTPUT_NAME TakeCmd
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_include_directories(TakeCmd PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_options(TakeCmd PRIVATE ${TORVANE_STATIC_RUNTIME})
target_compile_options(TakeCmd PRIVATE ${TORVANE_STRING_CODE_OPTIONS})

# The Windows test programs: each tests/wine/<name>.cpp becomes <name>.exe, with what they share
# with the native build's scenario runner in tests/scenarios/runner/ (torvane_runner.exe is the
# scenario runner's Windows layer).
file(GLOB WINE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/wine/*.cpp)
add_library(wine_test_common STATIC
            ${PROJECT_SOURCE_DIR}/tests/scenarios/runner/runner.cpp
            ${PROJECT_SOURCE_DIR}/tests/scenarios/runner/transcript.cpp
            ${PROJECT_SOURCE_DIR}/host/plugin_loader_win32.cpp
            ${PROJECT_SOURCE_DIR}/src/text/utf8.cpp)
target_include_directories(wine_test_common PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_compile_options(wine_test_common PUBLIC ${TORVANE_STRING_CODE_OPTIONS})
foreach(source ${WINE_TEST_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_options(${name} PRIVATE ${TORVANE_STATIC_RUNTIME} -municode)
  target_link_libraries(${name} PRIVATE wine_test_common advapi32 user32 version)
  add_dependencies(${name} Torvane TakeCmd)
endforeach()

# The Torvane console's bridge: torvane-console --windows drives Torvane.dll under Wine through it.
add_executable(torvane_console_bridge ${PROJECT_SOURCE_DIR}/host/console_bridge_win32.cpp
               ${PROJECT_SOURCE_DIR}/host/plugin_loader_win32.cpp)
set_target_properties(torvane_console_bridge PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_include_directories(torvane_console_bridge PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_compile_options(torvane_console_bridge PRIVATE ${TORVANE_STRING_CODE_OPTIONS})
target_link_options(torvane_console_bridge PRIVATE ${TORVANE_STATIC_RUNTIME} -municode)
target_link_libraries(torvane_console_bridge PRIVATE user32)
add_dependencies(torvane_console_bridge Torvane TakeCmd)
