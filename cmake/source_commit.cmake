# Run as a script (cmake -DSOURCE=DIR -DOUT=FILE [-DCOMMIT=SHA] -P source_commit.cmake) before
# Torvane.dll's resource is compiled: writes FILE, a header that defines TORVANE_SOURCE_COMMIT as
# the commit the sources in DIR are at, followed by " with changes not committed" when the work
# tree differs from it (untracked files too), or as "unknown" outside a git checkout. The version
# resource carries it, so that a release zip's DLL tells whether it was built from a clean commit.
# COMMIT, when given, is that commit: DIR is then an export of it (scripts/package), which holds
# no git data. FILE changes only when the text does, so the resource is compiled again only then.
if(COMMIT)
  set(text "${COMMIT}")
else()
  execute_process(COMMAND git -C ${SOURCE} rev-parse --verify HEAD
                  OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(failed)
    set(text "unknown")
  else()
    execute_process(COMMAND git -C ${SOURCE} --no-optional-locks status --porcelain
                    OUTPUT_VARIABLE changes RESULT_VARIABLE failed ERROR_QUIET)
    if(failed OR NOT changes STREQUAL "")
      set(text "${commit} with changes not committed")
    else()
      set(text "${commit}")
    endif()
  endif()
endif()
file(WRITE ${OUT}.new "#define TORVANE_SOURCE_COMMIT \"${text}\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUT}.new ${OUT})
file(REMOVE ${OUT}.new)
