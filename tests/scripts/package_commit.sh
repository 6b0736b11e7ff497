#!/usr/bin/env bash
# scripts/package in a throwaway clone of the last commit whose work tree holds sources that git
# does not show: an untracked one under status.showUntrackedFiles=no, one listed in
# .git/info/exclude, and a change to a tracked one that git is told to overlook. Each stops the
# build if compiled. The zip must come from the commit alone and pass scripts/package-check; a
# change git does show must still be refused, naming it, before anything is built.
# Ends with "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/lib/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clone=$work/clone

git clone -q "$root" "$clone" || exit 1
cd "$clone" || exit 1
poison='#error built from a file outside the commit'
git config status.showUntrackedFiles no
echo "$poison" >src/plugin/untracked.cpp
echo "$poison" >src/plugin/excluded.cpp
echo src/plugin/excluded.cpp >>.git/info/exclude
echo "$poison" >>src/plugin/exports.cpp
git update-index --assume-unchanged src/plugin/exports.cpp
if [ -z "$(git status --porcelain)" ]; then
  pass "git status shows none of the three hidden sources"
else
  fail "git status shows none of the three hidden sources" "$(git status --porcelain)"
fi

if scripts/package --build "$work/build" --out "$work/dist" >"$work/package.log" 2>&1; then
  pass "scripts/package builds the zip from the commit alone, the hidden sources left out"
  if scripts/package-check "$work"/dist/Torvane-*-win-x64.zip >"$work/check.log" 2>&1; then
    pass "scripts/package-check passes the zip ($(tail -n 1 "$work/check.log"))"
  else
    fail "scripts/package-check passes the zip" "$(grep -A 3 '^FAIL' "$work/check.log")"
  fi
else
  fail "scripts/package builds the zip from the commit alone, the hidden sources left out" \
    "$(tail -n 20 "$work/package.log")"
fi

echo "change" >>README.md
expected="The work tree differs from the last commit, and a release holds the commit only.
Commit, stash or remove these first (git status):
   M README.md"
# What scripts/setup says it found comes first; the refusal is what follows.
actual=$(scripts/package --build "$work/refused" --out "$work/dist" 2>&1)
status=$?
actual=$(tail -n 3 <<<"$actual")
if [ "$status" -eq 1 ] && [ "$actual" = "$expected" ] && [ ! -e "$work/refused" ]; then
  pass "a change git shows is refused, named, before anything is built"
else
  fail "a change git shows is refused, named, before anything is built" "status $status:
$actual"
fi
finish
