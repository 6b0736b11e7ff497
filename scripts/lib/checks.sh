# What the check scripts share (sourced by scripts/wine-test and scripts/package-check; by
# scripts/package for the version): PASS and FAIL lines with their count, comparison with an
# expected list, the checks of a built Torvane.dll's imports and exports against the lists in
# tests/wine/expected/, and the version of the sources.

passed=0
failed=0
failures=()
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

checks_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# The version of src/plugin/version.h under the checkout $1, its four numbers joined by points.
torvane_version() {
  sed -n 's/^#define TORVANE_VERSION_[A-Z]* \([0-9]*\)$/\1/p' "$1/src/plugin/version.h" | paste -s -d .
}

# Expected lists write the version as placeholders, as the scenario runner reads them: "{version}"
# for the three numbers the banner shows, "{file-version}" for all four. This fills them in.
expand_version() {
  local full
  full=$(torvane_version "$checks_root")
  sed -e "s/{file-version}/$full/g" -e "s/{version}/${full%.*}/g"
}

pass() {
  passed=$((passed + 1))
  echo "PASS $1"
}

fail() {
  failed=$((failed + 1))
  failures+=("$1")
  echo "FAIL $1"
  if [ $# -gt 1 ]; then printf '%s\n' "$2" | sed 's/^/     /'; fi
}

# Names the failed checks, prints "N passed, N failed" and exits non-zero after a failure.
finish() {
  if [ ${#failures[@]} -gt 0 ]; then
    echo "Failed:"
    printf '  %s\n' "${failures[@]}"
  fi
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

# Compares an expected file (comments and blank lines dropped, the version filled in) with an
# actual one.
compare() { # name expected actual
  local diffs
  if diffs=$(diff -u --label expected --label actual \
      <(grep -v -e '^#' -e '^[[:space:]]*$' "$2" | expand_version) "$3" 2>&1); then
    pass "$1"
  else
    fail "$1" "$diffs"
  fi
}

# The DLL names of an objdump -p listing's import table, and the names imported from one of them.
imported_dlls() { printf '%s\n' "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'; }
imports_from() {
  printf '%s\n' "$1" | awk -v dll="$2" '
    /^[[:space:]]*DLL Name: / { inside = ($3 == dll); next }
    /^ [0-9a-f]+\t/ { inside = 0; next }
    inside && /^\t[0-9a-f]+\t/ { print $3 }'
}
exported_names() {
  printf '%s\n' "$1" | awk '
    /^\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
    inside && /^[[:space:]]*\[ *[0-9]+\] / { print $NF; next }
    inside { inside = 0 }'
}

# A Torvane.dll as the host needs it: a 64-bit Windows image that imports only from Windows
# system DLLs and the host's seven operations from TakeCmd.dll, and exports the seven entries.
check_torvane_interface() { # label dll expected-folder
  local label=$1 dump strangers
  dump=$("$objdump" -p "$2")
  if printf '%s\n' "$dump" | grep -q 'file format pei-x86-64'; then
    pass "$label is a 64-bit Windows image"
  else
    fail "$label is a 64-bit Windows image" "$(printf '%s\n' "$dump" | head -3)"
  fi
  strangers=$(imported_dlls "$dump" | grep -v -i -x -E -f "$3/import_dlls.txt")
  if [ -z "$strangers" ]; then
    pass "$label imports only from Windows system DLLs and TakeCmd.dll"
  else
    fail "$label imports only from Windows system DLLs and TakeCmd.dll" "also from: $strangers"
  fi
  compare "$label imports the seven host operations by their names" \
    "$3/takecmd_imports.txt" <(imports_from "$dump" TakeCmd.dll | sort)
  compare "$label exports by plain name" "$3/exports.txt" <(exported_names "$dump" | sort)
}
