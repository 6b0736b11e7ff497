#!/usr/bin/env bash
# torvane_runner --update puts a scenario's expected transcript right again: a copy of the
# material with one expected line changed, one dropped and one added comes back the same as the
# material, byte for byte (the new lines writing the version as placeholders), and then passes.
#
#   update_check.sh RUNNER MATERIAL WORK_DIR
set -u
runner=$1 material=$2 work=$3
root=$(cd "$(dirname "$0")/../../.." && pwd)
source "$root/scripts/lib/checks.sh"
mkdir -p "$work"
want=$work/want.txt
copy=$work/$(basename "$material")
full=$(torvane_version "$root")
sed -e "/^> /s/{file-version}/$full/g" -e "/^> /s/{version}/${full%.*}/g" "$material" >"$want"
# The build line with another value, no release line, a stray line at the end.
sed -e 's/^\(reg HKCU "Build" sz \).*/\1"0.9"/' -e '/^reg HKCU "Release"/d' -e '$a stray line' \
  "$want" >"$copy"
[ "$(diff "$want" "$copy" | grep -c '^[<>]')" = 4 ] || { echo "the copy was not changed"; exit 1; }
"$runner" --update "$copy" "$work/transcript.txt" >/dev/null 2>"$work/update.log" ||
  { echo "--update failed:"; cat "$work/update.log"; exit 1; }
diff -u --label material --label updated "$want" "$copy" || exit 1
"$runner" "$copy" "$work/transcript.txt" >/dev/null || { echo "the updated copy does not pass"; exit 1; }
echo "updated back to the material"
