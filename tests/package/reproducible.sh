#!/usr/bin/env bash
# Builds and packs the same sources twice, in two folders of different names and so at different
# times, and compares what a user downloads byte for byte: the two .debs (linux), or the zip and
# the installer (windows-x86_64, windows-i686). The dates inside come from the last commit.
# Usage: reproducible.sh SOURCE_DIR linux|windows-x86_64|windows-i686
set -euo pipefail
source_dir=$1 platform=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset SOURCE_DATE_EPOCH   # the packaging finds it by itself
options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF)
case $platform in
    linux) generators='DEB' ;;
    windows-*) options+=(-DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-${platform#windows-}.cmake")
               generators='ZIP;NSIS' ;;
    *) echo "unknown platform $platform" >&2; exit 2 ;;
esac
for build in one second-build; do
    { cmake -S "$source_dir" -B "$work/$build" "${options[@]}" && cmake --build "$work/$build" -j 2 &&
        (cd "$work/$build" && cpack -G "$generators" -B "$work/$build/packages"); } \
        >"$work/$build.log" 2>&1 || { cat "$work/$build.log"; exit 1; }
done
status=0 count=0
for file in "$work/one/packages"/*.*; do
    other=$work/second-build/packages/$(basename "$file")
    sha256sum "$file" "$other" | sed "s|$work/||"
    cmp "$file" "$other" || status=1
    count=$((count + 1))
done
[ "$count" -ge 2 ] || { echo "expected two packages, found $count" >&2; exit 1; }
exit $status
