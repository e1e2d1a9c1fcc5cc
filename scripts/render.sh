#!/usr/bin/env bash
# Builds kelvotrace (Release) and renders the six pictures into the folder given, by default
# the current directory. Needs cmake, make (or ninja) and a C++17 compiler (g++ or clang++).
# It builds in build/release inside the checkout, or where the checkout cannot be written, in
# ${XDG_CACHE_HOME:-~/.cache}/kelvotrace/build; KELVOTRACE_BUILD_DIR names another folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-.}

missing=()
command -v cmake >/dev/null || missing+=("cmake (Debian package cmake)")
generator=()
if ! command -v make >/dev/null; then
    if command -v ninja >/dev/null; then
        generator=(-G Ninja)
    else
        missing+=("make (Debian package make) or ninja (ninja-build)")
    fi
fi
if [ -z "${CXX:-}" ] && ! command -v c++ >/dev/null && ! command -v g++ >/dev/null &&
    ! command -v clang++ >/dev/null; then
    missing+=("a C++17 compiler (Debian package g++ or clang)")
fi
if [ ${#missing[@]} -gt 0 ]; then
    printf 'render.sh: missing %s\n' "${missing[@]}" >&2
    exit 1
fi

if [ -n "${KELVOTRACE_BUILD_DIR:-}" ]; then
    build=$KELVOTRACE_BUILD_DIR
elif mkdir -p "$root/build/release" 2>/dev/null && [ -w "$root/build/release" ]; then
    build=$root/build/release
else
    build=${XDG_CACHE_HOME:-$HOME/.cache}/kelvotrace/build
fi
mkdir -p "$build" || { echo "render.sh: cannot create the build folder $build" >&2; exit 1; }
# A folder configured before keeps its generator.
[ ! -f "$build/CMakeCache.txt" ] || generator=()

log=$build/render.log
if ! { cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF &&
    cmake --build "$build" --target kelvotrace -j "$(nproc)"; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "render.sh: the build in $build failed (above)" >&2
    exit 1
fi

mkdir -p "$out"
cd "$out"
"$build/kelvotrace/kelvotrace"
echo "pictures written to $(pwd)"
