#!/usr/bin/env bash
# scripts/try without a terminal plays its demo in a registry of its own, whichever way --registry
# names a file: the file stays untouched, a line says so, and the demo's second run still recalls
# with the Ctrl-Q its first run saved. With --transcript the keys and the registry are the
# caller's; first scripts/setup says the tools are ready. The argument is the build folder to use.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
mine=$(mktemp -d)
trap 'rm -rf "$mine"' EXIT
for form in "--registry $mine/registry.txt" "--registry=$mine/registry.txt"; do
  # shellcheck disable=SC2086 # the form is one word or two
  out=$(TORVANE_BUILD_DIR=$1 scripts/try $form </dev/null 2>&1)
  if [ -n "$(ls -A "$mine")" ] ||
     ! grep -qxF -- "--registry $mine/registry.txt is for the console in a terminal; this session keeps its own." <<<"$out" ||
     ! grep -qxF "[notepad|] Ctrl-Q -> [notepad a.txt b.txt|]" <<<"$out"; then
    printf 'scripts/try %s:\n%s\n%s\n' "$form" "$(ls -A "$mine")" "$out"
    exit 1
  fi
done
out=$(printf 'copy x y\rnotepad\033OR\rtorvane ctrl-q /s\rexit\r' |
  TORVANE_BUILD_DIR=$1 scripts/try --transcript --registry "$mine/registry.txt" 2>&1)
if [ ! -f "$mine/registry.txt" ] || ! grep -qxF "[notepad|] F3 -> [notepad x y|]" <<<"$out" ||
   ! grep -qxF "Ready for the console (scripts/try): g++, CMake 3.22 or later, make." <<<"$out"; then
  printf 'scripts/try --transcript:\n%s\n%s\n' "$(ls -A "$mine")" "$out"
  exit 1
fi
