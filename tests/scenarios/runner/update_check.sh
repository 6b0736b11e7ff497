#!/usr/bin/env bash
# torvane_runner --update puts a scenario's expected transcript right again: a copy of the
# material with one expected line changed, one dropped and one added comes back the same as the
# material, byte for byte (the new lines writing the version as placeholders), and then passes.
# It writes as the console saves its files: a linked scenario stays a link to the file it updates,
# a link where a temporary could go is not written through, a read-only scenario is refused and
# left whole, nothing is left over.
#
#   update_check.sh RUNNER MATERIAL WORK_DIR
set -u
runner=$1 material=$2 work=$3
root=$(cd "$(dirname "$0")/../../.." && pwd)
source "$root/scripts/lib/checks.sh"
mkdir -p "$work"
(cd "$work" && rm -f real.txt linked.txt linked.txt.part victim.txt read-only.txt expected.txt)
want=$work/want.txt
copy=$work/$(basename "$material")
full=$(torvane_version "$root")
sed -e "/^> /s/{file-version}/$full/g" -e "/^> /s/{version}/${full%.*}/g" "$material" >"$want"
# The build line with another value, no release line, a stray line at the end.
changed() { # FILE
  sed -e 's/^\(reg HKCU "Build" sz \).*/\1"0.9"/' -e '/^reg HKCU "Release"/d' -e '$a stray line' \
    "$want" >"$1"
}
changed "$copy"
[ "$(diff "$want" "$copy" | grep -c '^[<>]')" = 4 ] || { echo "the copy was not changed"; exit 1; }
"$runner" --update "$copy" "$work/transcript.txt" >/dev/null 2>"$work/update.log" ||
  { echo "--update failed:"; cat "$work/update.log"; exit 1; }
diff -u --label material --label updated "$want" "$copy" || exit 1
"$runner" "$copy" "$work/transcript.txt" >/dev/null || { echo "the updated copy does not pass"; exit 1; }

changed "$work/real.txt"
ln -s real.txt "$work/linked.txt"
echo mine >"$work/victim.txt"
ln -s victim.txt "$work/linked.txt.part"
"$runner" --update "$work/linked.txt" "$work/transcript.txt" >/dev/null 2>"$work/update.log" ||
  { echo "--update of a link failed:"; cat "$work/update.log"; exit 1; }
[ -L "$work/linked.txt" ] || { echo "the linked scenario is a link no more"; exit 1; }
cmp -s "$want" "$work/real.txt" || { echo "the file the link leads to was not updated"; exit 1; }
[ "$(cat "$work/victim.txt")" = mine ] || { echo "written through the link at linked.txt.part"; exit 1; }

changed "$work/read-only.txt"
chmod 444 "$work/read-only.txt"
"$runner" --update "$work/read-only.txt" "$work/transcript.txt" >/dev/null 2>"$work/update.log"
status=$?
changed "$work/expected.txt"
if [ $status -ne 2 ] || ! grep -qF "read-only" "$work/update.log" ||
   ! cmp -s "$work/expected.txt" "$work/read-only.txt"; then
  echo "a read-only scenario was not refused and left whole (status $status):"; cat "$work/update.log"; exit 1
fi
leftover=$(cd "$work" && ls -A | grep -F .tmp.)
[ -z "$leftover" ] || { echo "left over: $leftover"; exit 1; }
echo "updated back to the material"
