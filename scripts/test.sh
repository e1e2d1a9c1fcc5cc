#!/usr/bin/env bash
# Installs what the tests need, builds everything three ways and runs the whole suite each time
# (the presets of CMakePresets.json): gcc Release, gcc with AddressSanitizer and
# UndefinedBehaviorSanitizer, and clang (which also runs the fuzzers). The pictures are checked
# against the same digests in all three builds. Ends with one summary of the three: passed,
# failed, and skipped with their reasons; exits non-zero only for a failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

bash "$root/scripts/install-test-deps.sh" || exit 1

status=0
for preset in gcc sanitize clang; do
    echo "=== $preset ==="
    rm -f "build/$preset/results.xml"
    if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j "$jobs"; }; then
        status=1  # no results.xml: the summary names the build
        continue
    fi
    ctest --preset "$preset" -j "$jobs" --output-junit results.xml || status=1
done

python3 "$root/scripts/summarize_tests.py" build/gcc build/sanitize build/clang || status=1
exit $status
