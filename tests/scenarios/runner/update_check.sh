#!/usr/bin/env bash
# torvane_runner --update puts a scenario's expected transcript right again: a copy of a scenario
# with one expected line changed (and the version written out), one dropped and one added comes
# back the same as the scenario, byte for byte, and then passes. It writes as the console saves
# its files: a linked scenario stays a link to the file it updates, a link where a temporary could
# go is not written through, a read-only scenario is refused and left whole, nothing is left over.
#
#   update_check.sh RUNNER SCENARIO WORK_DIR
set -u
runner=$1 scenario=$2 work=$3
mkdir -p "$work"
(cd "$work" && rm -f real.txt linked.txt linked.txt.part victim.txt read-only.txt expected.txt)
copy=$work/$(basename "$scenario")
# The banner with another hotkey and the version written out; no "init 0"; a stray line at the end.
changed() { # FILE
  sed -e 's/^stdout "Torvane v{version} loaded; hotkey is F3\./stdout "Torvane v1.0.1 loaded; hotkey is F9./' \
    -e '/^init 0$/d' -e '$a stray line' "$scenario" >"$1"
}
changed "$copy"
if cmp -s "$scenario" "$copy"; then echo "the copy was not changed"; exit 1; fi
"$runner" --update "$copy" "$work/transcript.txt" >/dev/null 2>"$work/update.log" ||
  { echo "--update failed:"; cat "$work/update.log"; exit 1; }
diff -u --label scenario --label updated "$scenario" "$copy" || exit 1
"$runner" "$copy" "$work/transcript.txt" >/dev/null || { echo "the updated copy does not pass"; exit 1; }

changed "$work/real.txt"
ln -s real.txt "$work/linked.txt"
echo mine >"$work/victim.txt"
ln -s victim.txt "$work/linked.txt.part"
"$runner" --update "$work/linked.txt" "$work/transcript.txt" >/dev/null 2>"$work/update.log" ||
  { echo "--update of a link failed:"; cat "$work/update.log"; exit 1; }
[ -L "$work/linked.txt" ] || { echo "the linked scenario is a link no more"; exit 1; }
cmp -s "$scenario" "$work/real.txt" || { echo "the file the link leads to was not updated"; exit 1; }
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
echo "updated back to the scenario"
