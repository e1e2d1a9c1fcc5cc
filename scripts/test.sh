#!/usr/bin/env bash
# Installs what the tests need, builds everything three ways and runs the whole suite each time:
# gcc Release, gcc with AddressSanitizer and UndefinedBehaviorSanitizer, and clang (which also
# runs the fuzzers). The pictures are checked against the same digests in all three builds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

"$root/scripts/install-test-deps.sh"

run_suite() {  # name, then extra cmake arguments
    local name=$1; shift
    echo "=== $name ==="
    cmake -S . -B "build/$name" "$@"
    cmake --build "build/$name" -j "$jobs"
    ctest --test-dir "build/$name" --output-on-failure -j "$jobs"
}

run_suite gcc -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ -DKELVO_BENCH=ON
run_suite sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=g++ -DKELVO_SANITIZE=ON
run_suite clang -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ -DKELVO_FUZZ=ON
