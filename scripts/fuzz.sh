#!/usr/bin/env bash
# Runs the native fuzz targets long, keeping what they find outside the tree.
# Usage: scripts/fuzz.sh [seconds per target (default 60)] [target names...]
# Each target starts from its seed corpus (fuzz/corpus/<name>/) and from what earlier runs
# found, kept in $TARVIK_FUZZ_OUT/<name>/ (default ~/.cache/tarvik-fuzz); failing inputs
# are kept there too. A regression input worth keeping is copied into the seed corpus by
# hand. TARVIK_FUZZ_JOBS targets run at the same time (default 1).
set -euo pipefail
source "$(dirname "$0")/common.sh"

seconds=${1:-60}
[ $# -gt 0 ] && shift
out=${TARVIK_FUZZ_OUT:-${XDG_CACHE_HOME:-$HOME/.cache}/tarvik-fuzz}
jobs=${TARVIK_FUZZ_JOBS:-1}

ensure_packages
dir=${TARVIK_BUILD:-$TARVIK_ROOT/build}/fuzz
build_fuzz "$dir"

if [ $# -gt 0 ]; then
    names=("$@")
else
    mapfile -t names < <(cd "$dir" && ls fuzz_* | grep -v '\.' | sed 's/^fuzz_//')
fi
mkdir -p "$out"
for name in "${names[@]}"; do rm -f "$out/$name/summary.txt"; done
printf '%s\n' "${names[@]}" | TARVIK_FUZZ_KEEP=1 xargs -P "$jobs" -I{} \
    "$TARVIK_ROOT/fuzz/run_target.sh" "$dir/fuzz_{}" "$TARVIK_ROOT/fuzz/corpus/{}" "$out/{}" "$seconds" || true

status=0
echo "Fuzz runs of $seconds s per target ($jobs at a time), corpus and findings in $out:"
for name in "${names[@]}"; do
    if [ -f "$out/$name/summary.txt" ]; then cat "$out/$name/summary.txt"; else echo "fuzz_$name: no result"; fi
    grep -q FAILED "$out/$name/summary.txt" 2>/dev/null && status=1
    [ -f "$out/$name/summary.txt" ] || status=1
done
exit $status
