#!/usr/bin/env bash
# Builds the Debian source package and its two binary packages as a distribution does, with
# dpkg-buildpackage in a copy of the tracked sources (the fast tests run during that build),
# and has lintian check all three: no error and no warning.
# Usage: source_package.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*" >&2; exit 1; }

version=$(sed -n '1s/^kelvotrace (\(.*\)-[0-9]*).*/\1/p' "$source_dir/debian/changelog")
tree=$work/kelvotrace-$version
mkdir "$tree"
(cd "$source_dir" && git ls-files -z | tar --null -T - -c) | tar -x -C "$tree"
tar -C "$work" --exclude="kelvotrace-$version/debian" -czf "$work/kelvotrace_$version.orig.tar.gz" \
    "kelvotrace-$version"
(cd "$tree" && dpkg-buildpackage -us -uc -j2) >"$work/build.log" 2>&1 ||
    { tail -60 "$work/build.log"; fail "dpkg-buildpackage failed"; }
grep -E '^ *[0-9]+% tests passed' "$work/build.log" || fail "no tests ran during the build"

changes=("$work"/kelvotrace_*.changes)
for package in kelvotrace pictor; do
    debs=("$work/${package}_$version-"*.deb)
    [ -f "${debs[0]}" ] || fail "no $package package was built"
    echo "$(basename "${debs[0]}"): Depends: $(dpkg-deb -f "${debs[0]}" Depends)"
done
dpkg-deb -f "$work"/kelvotrace_*.deb Depends | grep -q 'libstdc++6' ||
    fail "kelvotrace does not use the system's C++ runtime"
lintian -I "${changes[0]}" 2>&1 | tee "$work/lintian.log" || true
! grep -qE '^[EW]:' "$work/lintian.log" || fail "lintian: errors or warnings"
echo "built and checked: $(cd "$work" && echo *.dsc *.deb)"
