#!/usr/bin/env bash
# For each C++ compiler on PATH (g++, clang++ and every versioned one, each once): a flag that
# changes float results must be refused at configure time with its name, or the build must give
# the pinned pictures; the safe settings, and the bare sources built without CMake, must give
# them. Builds kelvotrace only.
# Usage: float_flags.sh SOURCE_DIR WORK_DIR DIGESTS
set -uo pipefail
src=$1 work=$2 digests=$(realpath "$3")
mkdir -p "$work"
failures=0 seen=" "

# exact DIR LABEL: kelvotrace built in DIR gives the six pinned pictures.
exact() {
    rm -rf "$work/run" && mkdir "$work/run" &&
        (cd "$work/run" && "$1/kelvotrace/kelvotrace" </dev/null >/dev/null &&
            sha256sum --check --quiet --strict "$digests") && echo "  exact    $2"
}
# row DIR LABEL REFUSABLE-FLAG CONFIGURE-COMMAND...: refused naming the flag (if one is given), or exact.
row() {
    local dir=$1 label=$2 flag=$3
    shift 3
    if ! "$@" -S "$src" -B "$dir" -DBUILD_TESTING=OFF >"$work/log" 2>&1; then
        [ -n "$flag" ] && grep -q bit-exact "$work/log" && grep -qF -- "$flag (in " "$work/log" &&
            { echo "  refused  $label"; return; }
        cat "$work/log"
    elif cmake --build "$dir" --target kelvotrace -j 2 >"$work/log" 2>&1 && exact "$dir" "$label"; then
        return
    fi
    echo "  FAILED   $label"; failures=$((failures + 1))
}

# KELVO_COMPILERS, if set, names the compilers to try instead.
for cxx in ${KELVO_COMPILERS:-$(compgen -c | grep -E '^(g|clang)\+\+(-[0-9]+)?$' | sort -u)}; do
    real=$(realpath "$(command -v "$cxx")")
    [[ $seen == *" $real "* ]] && continue
    seen+="$real "
    echo "$cxx ($("$cxx" --version | head -1))"
    dir=$work/$cxx
    flags=(-ffast-math -funsafe-math-optimizations -freciprocal-math -fno-signed-zeros
        -fassociative-math -ffinite-math-only)
    [[ $cxx == clang* ]] && flags+=(-ffp-model=fast)
    # c BUILD_TYPE CXX_FLAGS [RELEASE_FLAGS]: the configure command, in the array c.
    cf() { c=(cmake -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE="$1" -DCMAKE_CXX_FLAGS="$2"
        -DCMAKE_CXX_FLAGS_RELEASE="${3:--O3 -DNDEBUG}"); }
    for flag in "${flags[@]}"; do cf Release "$flag" && row "$dir" "$flag" "$flag" "${c[@]}"; done
    # -Ofast wherever it can be given; a later -O level (Release's -O3) cancels it.
    cf Debug -Ofast && row "$dir" "-Ofast (CMAKE_CXX_FLAGS, Debug)" -Ofast "${c[@]}"
    cf Release "" -Ofast && row "$dir" "-Ofast (CMAKE_CXX_FLAGS_RELEASE)" -Ofast "${c[@]}"
    rm -rf "$dir.env" && row "$dir.env" "-Ofast (CXXFLAGS)" -Ofast \
        env CXXFLAGS=-Ofast cmake -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Debug
    rm -rf "$dir.env" && row "$dir.env" "-Ofast (CXX=\"$cxx -Ofast\")" -Ofast \
        env CXX="$cxx -Ofast" cmake -DCMAKE_BUILD_TYPE=Debug
    rm -rf "$dir.env"
    cf Release -Ofast && row "$dir" "-Ofast (CMAKE_CXX_FLAGS) then Release's -O3" "" "${c[@]}"
    for level in -O0 -O1 -O2; do cf Release "" "$level" && row "$dir" "$level" "" "${c[@]}"; done
    cf Release -march=native && row "$dir" "-march=native" "" "${c[@]}"
    [[ $cxx == clang* ]] && cf Release -ffp-model=strict && row "$dir" "-ffp-model=strict" "" "${c[@]}"
    # Without CMake: the sources forbid contraction and refuse unsafe flags themselves.
    mkdir -p "$dir.bare/kelvotrace" &&
        "$cxx" -std=c++17 -O2 -march=native -I"$src/kelvotrace" -I"$src/kelvotrace/renders" \
            "$src"/kelvotrace/{geometry,image,renders}/*.cpp -o "$dir.bare/kelvotrace/kelvotrace" &&
        exact "$dir.bare" "bare sources, $cxx -O2 -march=native" ||
        { echo "  FAILED   bare sources"; failures=$((failures + 1)); }
    out=$("$cxx" -ffast-math -fsyntax-only -x c++ "$src/kelvotrace/geometry/vecteur.h" 2>&1)
    [[ $out == *"unsafe float"* && $out != *x87* ]] && echo "  refused  vecteur.h with -ffast-math" ||
        { echo "$out"; echo "  FAILED   vecteur.h with -ffast-math"; failures=$((failures + 1)); }
done
[ "$seen" != " " ] || { echo "skipped: no g++ or clang++ on PATH"; exit 77; }
exit $((failures > 0))
