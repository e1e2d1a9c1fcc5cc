#!/usr/bin/env bash
# Counts the instructions of one whole kelvotrace run (six pictures and the pause) with
# callgrind: repeatable, whatever else the machine is doing.
# Usage: bench/measure_instructions.sh path/to/kelvotrace
set -euo pipefail
kelvotrace=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
valgrind --tool=callgrind --callgrind-out-file=callgrind.out "$kelvotrace" </dev/null 2>callgrind.log
grep -E 'Collected' callgrind.log
