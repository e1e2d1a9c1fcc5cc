#!/usr/bin/env bash
# Runs kelvotrace and the output floor (a program that only writes six files of the same names
# and sizes) in turn, many times, in one scratch directory, and prints the median wall time of
# each and their ratio. Interleaving spreads the machine's noise over both alike.
# Usage: bench/floor_ratio.sh path/to/kelvotrace path/to/output_floor [runs, default 200]
set -euo pipefail
kelvotrace=$(realpath "$1")
floor=$(realpath "$2")
runs=${3:-200}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

# Wall time of one run in microseconds, measured inside the shell: no extra process is timed.
wall_us() {
    local start=$EPOCHREALTIME
    "$1" </dev/null >/dev/null
    local end=$EPOCHREALTIME
    echo $((${end/./} - ${start/./}))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

"$kelvotrace" </dev/null >/dev/null # warm the caches once
"$floor" </dev/null >/dev/null
: >kelvotrace.times
: >floor.times
for ((k = 0; k < runs; ++k)); do
    wall_us "$kelvotrace" >>kelvotrace.times
    wall_us "$floor" >>floor.times
done
k_med=$(median <kelvotrace.times)
f_med=$(median <floor.times)
awk -v k="$k_med" -v f="$f_med" -v n="$runs" 'BEGIN {
    printf "runs: %d each, interleaved\n", n
    printf "kelvotrace median: %.3f ms\n", k / 1000
    printf "floor median:      %.3f ms\n", f / 1000
    printf "ratio:             %.2f\n", k / f
}'
