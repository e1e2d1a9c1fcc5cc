#!/usr/bin/env bash
# Installs, as root through apt-get, every Debian package the build and the whole test suite need.
set -euo pipefail

packages=(
    cmake make g++ clang libclang-rt-14-dev        # compilers, sanitizers, libFuzzer
    libgtest-dev libgmock-dev libbenchmark-dev     # unit tests and benchmarks
    valgrind netpbm                                # instruction counts; an outside PPM reader
    pkg-config libgtk-3-dev                        # the viewer's toolkit
    xvfb xdotool imagemagick x11-utils openbox     # driving the viewer in a real window
    libx11-dev python3                             # the close request and the end-to-end driver
    weston                                         # ... and natively on Wayland
    g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32   # both programs for Windows
    wine wine64 wine32:i386                        # ... run there, 64-bit and 32-bit
    gcc-12-multilib g++-12-multilib                # kelvotrace for 32-bit x86 Linux; g++-multilib
                                                   # would conflict with the aarch64 cross compiler
    g++-aarch64-linux-gnu qemu-user                # kelvotrace for 64-bit ARM Linux, run under qemu
    g++-s390x-linux-gnu g++-powerpc64le-linux-gnu  # ... and for IBM Z (big-endian), POWER,
    g++-riscv64-linux-gnu g++-arm-linux-gnueabihf  # RISC-V and 32-bit ARM
    googletest                                     # its sources, built for s390x by the tests
    dpkg-dev file desktop-file-utils unzip         # the .deb's dependencies (dpkg-shlibdeps, file),
                                                   # its menu entry, the zips
    lintian appstream appstream-compose nsis       # the .debs checked, the software-centre entry,
                                                   # the Windows installers
    acl attr                                       # setfacl, setfattr: saves that keep them
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]}; run this script as root to install them" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# wine32 comes from the i386 half of the archive.
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
