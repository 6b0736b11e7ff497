#!/usr/bin/env bash
# torvane_runner --update puts a scenario's expected transcript right again: a copy of a scenario
# with one expected line changed (and the version written out), one dropped and one added comes
# back the same as the scenario, byte for byte, and then passes.
#
#   update_check.sh RUNNER SCENARIO WORK_DIR
set -u
runner=$1 scenario=$2 work=$3
mkdir -p "$work"
copy=$work/$(basename "$scenario")
# The banner with another hotkey and the version written out; no "init 0"; a stray line at the end.
sed -e 's/^stdout "Torvane v{version} loaded; hotkey is F3\./stdout "Torvane v1.0.1 loaded; hotkey is F9./' \
  -e '/^init 0$/d' -e '$a stray line' "$scenario" >"$copy"
if cmp -s "$scenario" "$copy"; then echo "the copy was not changed"; exit 1; fi
"$runner" --update "$copy" "$work/transcript.txt" >/dev/null 2>"$work/update.log" ||
  { echo "--update failed:"; cat "$work/update.log"; exit 1; }
diff -u --label scenario --label updated "$scenario" "$copy" || exit 1
"$runner" "$copy" "$work/transcript.txt" >/dev/null || { echo "the updated copy does not pass"; exit 1; }
echo "updated back to the scenario"
