#!/usr/bin/env bash
# Installs, as root through apt-get, the Debian packages the build and the test suite need, in
# groups: a group that cannot be had today (a mirror mid-sync, a missing architecture) does not
# stop the others, and the tests that need it are reported skipped with the reason. Ends with a
# list of what could not be installed and why. Exits non-zero only when the core of the suite
# (the toolchain) is missing. Without root it only lists what is missing.
set -uo pipefail

groups=(toolchain desktop windows wine64 wine32 cross ports packaging faults)
# The core: build, unit tests, the digests, benchmarks, fuzzers.
toolchain="cmake make g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
    python3 valgrind netpbm strace clang-format"
# The viewer, driven in a real window on X11, under openbox and on Wayland; its accessibility.
desktop="pkg-config libgtk-3-dev libx11-dev xvfb xdotool imagemagick x11-utils openbox weston
    dbus at-spi2-core python3-pyatspi"
# Both programs for Windows, and their installers.
windows="g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 nsis unzip file"
wine64="wine wine64"
wine32="wine32:i386"        # from the i386 half of the archive
# kelvotrace for 32-bit x86 Linux (g++-multilib would conflict with the aarch64 cross compiler)
# and for other machines under qemu-user; GoogleTest's sources for the big-endian picture tests.
cross="gcc-12-multilib g++-12-multilib qemu-user googletest g++-aarch64-linux-gnu
    g++-s390x-linux-gnu g++-powerpc64le-linux-gnu g++-riscv64-linux-gnu g++-arm-linux-gnueabihf"
ports="g++-mips64el-linux-gnuabi64 g++-mipsel-linux-gnu g++-powerpc-linux-gnu
    g++-powerpc64-linux-gnu g++-sparc64-linux-gnu g++-arm-linux-gnueabi g++-alpha-linux-gnu
    g++-hppa-linux-gnu"      # ... and for the Debian ports, each under qemu-user
# The .debs built and checked, the source package, the software-centre entry, the man pages.
packaging="git dpkg-dev debhelper file desktop-file-utils lintian appstream appstream-compose
    appstream-util mandoc"
# Saves that keep ACLs and attributes, on file systems the fault tests make themselves.
faults="acl attr e2fsprogs btrfs-progs libcap2-bin util-linux mount"

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
missing_of() { local p; for p in $1; do installed "$p" || printf '%s ' "$p"; done; }

if [ "$(id -u)" -ne 0 ]; then
    for g in "${groups[@]}"; do
        m=$(missing_of "${!g}")
        [ -z "$m" ] || echo "missing ($g): $m" >&2
    done
    echo "run this script as root to install what is missing; the tests that need it are skipped" >&2
    exit 0
fi

export DEBIAN_FRONTEND=noninteractive
apt=(apt-get -o DPkg::Lock::Timeout=300 -o Acquire::Retries=3 -y -qq --no-install-recommends)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# A partial failure (one index of a mirror mid-sync) leaves the other indexes usable: retry a few
# times, then go on with what there is.
update() {
    local try
    for try in 1 2 3; do
        apt-get -o DPkg::Lock::Timeout=300 update -qq >"$log" 2>&1 && return 0
        sleep $((try * 5))
    done
    echo "apt-get update failed in part; going on with the indexes there are:" >&2
    grep '^[EW]:' "$log" | head -3 >&2
}

failed=()
install_group() {  # name
    local name=$1 todo p
    todo=$(missing_of "${!name}")
    [ -n "$todo" ] || return 0
    echo "installing ($name): $todo"
    # shellcheck disable=SC2086
    "${apt[@]}" install $todo >"$log" 2>&1 && return 0
    # One package that cannot be had must not take the rest of its group with it.
    for p in $todo; do
        installed "$p" && continue
        "${apt[@]}" install "$p" >"$log" 2>&1 ||
            failed+=("$name: $p: $(grep '^E:' "$log" | head -1 | cut -c1-160)")
    done
}

needs_update=no
for g in "${groups[@]}"; do [ -z "$(missing_of "${!g}")" ] || needs_update=yes; done
[ $needs_update = yes ] || exit 0
if [ -n "$(missing_of "$wine32")" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
update
for g in "${groups[@]}"; do install_group "$g"; done

if [ ${#failed[@]} -gt 0 ]; then
    echo "could not be installed today (the tests that need them are skipped):" >&2
    printf '  %s\n' "${failed[@]}" >&2
fi
[ -z "$(missing_of "$toolchain")" ] || { echo "the toolchain is incomplete: no suite" >&2; exit 1; }
