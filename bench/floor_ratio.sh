#!/usr/bin/env bash
# Runs kelvotrace and the output floor (a program that only writes six files of the same names
# and sizes) many times each and prints the median wall time of each and their ratio, in four
# settings: a folder on disk (under $TMPDIR, else /var/tmp) and one in memory (/dev/shm, when it
# is a writable tmpfs), each over the six files its program left at its previous run and in an
# empty folder (the files removed before each run, the removal not timed). Each program has its
# own folder. The runs are interleaved and which of the two goes first alternates, so that the
# machine's noise and the caches each leaves behind fall on both alike.
# Usage: bench/floor_ratio.sh path/to/kelvotrace path/to/output_floor [runs, default 100]
set -euo pipefail
export LC_ALL=C # a decimal point in $EPOCHREALTIME and in the figures
kelvotrace=$(realpath "$1")
floor=$(realpath "$2")
runs=${3:-100}
folders=()
trap 'rm -rf "${folders[@]}"' EXIT

disk=$(mktemp -d -p "${TMPDIR:-/var/tmp}")
folders+=("$disk")
# statfs tells ext2, ext3 and ext4 apart by none of their magic numbers: all three are ext4 here.
disk_type=$(stat -f -c %T "$disk")
echo "file system: $disk is $disk_type"
[[ $disk_type == ext2/ext3 ]] && disk_type=ext4
labels=("$disk_type") bases=("$disk")
shm_type=$(stat -f -c %T /dev/shm 2>/dev/null || echo absent)
if [[ $shm_type != tmpfs ]]; then
    echo "tmpfs skipped: /dev/shm is $shm_type, not tmpfs"
elif ! memory=$(mktemp -d -p /dev/shm 2>/dev/null); then
    echo "tmpfs skipped: /dev/shm is not writable"
else
    folders+=("$memory")
    echo "file system: $memory is $shm_type"
    labels+=(tmpfs) bases+=("$memory")
fi
if ! command -v ldd >/dev/null; then
    echo "floor: linking unknown (no ldd)"
elif ldd "$floor" >/dev/null 2>&1; then
    echo "floor: linked dynamically"
else
    echo "floor: linked statically"
fi
echo "runs: $runs each, interleaved, the first of each pair alternating"

# Wall time of one run of $1 in the folder $2, in microseconds, appended to the array named $3.
# Measured inside the shell: no extra process is timed.
run() {
    local -n times=$3
    local start end
    cd "$2"
    [[ $mode == empty ]] && rm -f -- ./*
    start=$EPOCHREALTIME
    "$1" </dev/null >/dev/null
    end=$EPOCHREALTIME
    times+=($((10#${end//[^0-9]/} - 10#${start//[^0-9]/})))
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

for s in "${!bases[@]}"; do
    label=${labels[s]} base=${bases[s]}
    mkdir "$base/kelvotrace" "$base/floor"
    for mode in existing empty; do
        kelvotrace_us=() floor_us=()
        for ((k = -1; k < runs; ++k)); do # the first pair warms the caches, and is dropped
            if ((k % 2 == 0)); then
                run "$kelvotrace" "$base/kelvotrace" kelvotrace_us
                run "$floor" "$base/floor" floor_us
            else
                run "$floor" "$base/floor" floor_us
                run "$kelvotrace" "$base/kelvotrace" kelvotrace_us
            fi
        done
        awk -v l="$label $mode" -v k="$(median "${kelvotrace_us[@]:1}")" \
            -v f="$(median "${floor_us[@]:1}")" \
            'BEGIN { printf "%s: kelvotrace %.3f ms, floor %.3f ms, ratio %.2f\n", l, k / 1000, f / 1000, k / f }'
    done
done
