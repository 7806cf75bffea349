#!/usr/bin/env bash
# Runs one fuzz target over its seed corpus, then on new inputs for a number of seconds.
# Usage: run_target.sh <target program> <seed corpus> <work folder> <seconds>
# New corpus entries go to <work folder>/corpus, emptied first unless TARVIK_FUZZ_KEEP=1;
# an input that fails is kept in <work folder> (crash-*, leak-*, timeout-*, oom-*).
# The last line printed, also kept in <work folder>/summary.txt, sums the run up.
# Exit status 0 only when the fuzzer ended cleanly and printed no sanitizer report.
set -uo pipefail
target=$1 seeds=$2 work=$3 seconds=${4:-5}
name=$(basename "$target")
here=$(cd "$(dirname "$0")" && pwd)

if [ ! -d "$seeds" ] || [ -z "$(ls -A "$seeds")" ]; then
    echo "$name: no seed corpus in $seeds" >&2
    exit 1
fi
[ "${TARVIK_FUZZ_KEEP:-0}" = 1 ] || rm -rf "$work/corpus"
mkdir -p "$work/corpus"
rm -f "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* "$work/summary.txt"

args=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1
      -artifact_prefix="$work/")
dict="$here/${name#fuzz_}.dict"
[ -f "$dict" ] && args+=(-dict="$dict")

log="$work/fuzz.log"
"$target" "${args[@]}" "$work/corpus" "$seeds" >"$log" 2>&1
status=$?
if [ $status -eq 0 ] && grep -qE 'ERROR: (Address|Leak|Undefined)Sanitizer|runtime error:|BROKEN PROMISE' "$log"; then
    status=1
fi

last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
stat() { grep -E "^stat::$1:" "$log" | tail -n 1 | awk '{print $2}'; }
cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
corp=$(sed -nE 's/.* corp: ([0-9]+)\/.*/\1/p' <<<"$last")
summary="$name: $(stat number_of_executed_units) runs in ${seconds} s, $(stat average_exec_per_sec) exec/s, cov ${cov:-?} edges, ft ${ft:-?} features, corpus ${corp:-?} ($(stat new_units_added) new)"
if [ $status -ne 0 ]; then
    tail -n 60 "$log"
    artifact=$(ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* 2>/dev/null | head -n 1)
    summary="$summary: FAILED (status $status${artifact:+; replay with: $target $artifact})"
fi
echo "$summary" | tee "$work/summary.txt"
exit $status
