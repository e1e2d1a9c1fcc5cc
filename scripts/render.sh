#!/usr/bin/env bash
# Builds kelvotrace (Release) and renders the six pictures into the folder given, by default
# the current directory. Needs only cmake and a C++17 compiler.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-.}

cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build/release" --target kelvotrace -j "$(nproc)" >/dev/null

mkdir -p "$out"
cd "$out"
"$root/build/release/kelvotrace/kelvotrace"
echo "pictures written to $(pwd)"
