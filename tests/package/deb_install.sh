#!/usr/bin/env bash
# Builds the Debian packages, has lintian check each (no error, warning or hardening tag), the
# renderer's without the viewer's toolkit, installs them with apt-get as a user would and uses
# what they put in place: kelvotrace from PATH writes the pinned pictures in a scratch folder,
# the desktop entry is valid and its command opens pictor's window under an Xvfb of this test's
# own, the AppStream metadata validates and composes into a catalogue entry with its icon. The
# packages are removed again however the test ends.
# Usage: deb_install.sh CPACK BUILD_DIR DIGESTS
set -euo pipefail
cpack=$1 build_dir=$2 digests=$3

if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: installing the package needs root (run the suite as root, or through sudo)"
    exit 77
fi

work=$(mktemp -d)
chmod 755 "$work"  # apt reads the .deb as its own unprivileged user
packages=() installed=no pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    if [ $installed = yes ]; then apt_get remove "${packages[@]}" || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
# Waits for any other apt or dpkg user instead of failing on its lock; speaks only on failure.
apt_get() {
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -qq "$@" \
        >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; return 1; }
}
fail() { echo "$*" >&2; exit 1; }

"$cpack" --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/*.deb)
[ ${#debs[@]} -eq 2 ] || fail "expected two .deb, found: ${debs[*]}"
for deb in "${debs[@]}"; do
    packages+=("$(dpkg-deb -f "$deb" Package)")
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "$(basename "$deb"): $(stat -c %s "$deb") bytes; Depends: $depends"
    # The renderer's package goes on servers: no toolkit. The viewer's needs GTK.
    case $(dpkg-deb -c "$deb") in
        *' ./usr/bin/pictor'*) libraries='libc6 libstdc++6 libgtk-3-0' viewer_deb=$deb ;;
        *) libraries='libc6 libstdc++6'   # the system's C++ runtime, for its security fixes
           ! grep -q 'libgtk' <<<"$depends" || fail "$deb depends on a toolkit" ;;
    esac
    for library in $libraries; do
        grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library (shlibdeps not run?)"
    done
    { lintian -I "$deb" 2>/dev/null || true; } | tee "$work/lintian.log"
    ! grep -qE '^[EW]:|hardening' "$work/lintian.log" || fail "lintian: $deb has errors or warnings"
done

# A package left by an interrupted earlier run would make apt keep its files: start clean.
for package in "${packages[@]}"; do
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
        apt_get remove "$package"
    fi
done
installed=yes
apt_get install "${debs[@]}"
owned() { dpkg -L "${packages[@]}" | grep -qx "$1"; }

bin=$(command -v kelvotrace) || fail "kelvotrace is not on PATH after installing"
owned "$bin" || fail "kelvotrace on PATH is $bin, not the package's"
mkdir "$work/pictures"
(cd "$work/pictures" && kelvotrace </dev/null >/dev/null && sha256sum --check --strict --quiet "$digests") ||
    fail "the installed kelvotrace did not write the pinned pictures"

entry=/usr/share/applications/pictor.desktop
owned "$entry" || fail "the package has no $entry"
desktop-file-validate "$entry" || fail "$entry is not valid"
command=$(sed -n 's/^Exec=//p' "$entry")
owned "$(command -v "$command")" || fail "the entry's command '$command' is not the package's pictor"

mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
read -r -t 10 number <"$work/display" || fail "Xvfb did not start"
DISPLAY=:$number GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 $command >"$work/pictor.log" 2>&1 &
pids+=($!)
DISPLAY=:$number timeout 20 xdotool search --sync --onlyvisible --name '^Pictor$' >/dev/null ||
    { cat "$work/pictor.log"; fail "no window named Pictor within 20 s"; }

# The software centre's view: the metainfo validates, and the viewer's package alone composes
# into a catalogue entry with the icon cached beside it.
metainfo=$(dpkg -L "${packages[@]}" | grep '^/usr/share/metainfo/.*\.xml$') || fail "no AppStream metainfo"
appstreamcli validate --no-net "$metainfo" || fail "$metainfo is not valid"
dpkg-deb -x "$viewer_deb" "$work/tree"
appstreamcli compose --origin=test --result-root="$work/catalog" --prefix=/usr "$work/tree" >"$work/compose.log" ||
    { cat "$work/compose.log"; fail "appstreamcli compose failed"; }
catalog=$(zcat "$work/catalog/usr/share/swcatalog/xml/test.xml.gz") || fail "compose wrote no catalogue"
icon=$(sed -n 's|.*<icon type="cached" width="64" height="64">\(.*\)</icon>.*|\1|p' <<<"$catalog")
[ -n "$icon" ] && [ -f "$work/catalog/usr/share/swcatalog/icons/test/64x64/$icon" ] ||
    { echo "$catalog"; fail "the catalogue entry has no cached 64x64 icon"; }

apt_get remove "${packages[@]}"
installed=no
[ ! -e "$bin" ] || fail "$bin is still there after removing ${packages[*]}"
echo "installed, used and removed ${packages[*]}"
