#!/usr/bin/env bash
# Builds the programs for another platform from the same sources, in a tree of its own:
#   windows-i686, windows-x86_64  kelvotrace.exe and pictor.exe (mingw-w64), then checks each:
#       a program for the right machine, console (kelvotrace) or windowed (pictor), importing
#       only system DLLs: KERNEL32, the C runtime (msvcrt or the UCRT api sets), and for pictor
#       user32, gdi32, comdlg32; pictor carries the French menu resource, the very menu that
#       MENU_LISTING (pictor.rc as the Linux layer compiles it, listed) prints. Then packs and checks the zip a
#       Windows user gets, and packs the installer beside it.
#   linux-i386       kelvotrace with g++ -m32 (gcc-12-multilib)
#   linux-<arch>     for the machines of the table below (g++-<triplet>), run here under
#       qemu-user through BUILD_DIR/qemu-run.sh PROGRAM: kelvotrace, the whole project for
#       aarch64 (pictor where the target's GTK is installed), and on big-endian s390x the
#       picture logic's tests too, against a GoogleTest built from /usr/src/googletest.
# Usage: cross_build.sh SOURCE_DIR BUILD_DIR PLATFORM [MENU_LISTING]   (the suite always passes
# MENU_LISTING for windows-*: build/gcc/tests/pictor/pictor_menu_listing)
set -euo pipefail
source_dir=$1 build_dir=$2 platform=$3 menu_listing=${4:-}

options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELVO_SANITIZE=OFF -DKELVO_BENCH=OFF
    -DKELVO_FUZZ=OFF -DKELVO_WERROR=ON)

# Linux targets: platform, GNU triplet, qemu-user program, what is built.
linux_targets="
linux-aarch64  aarch64-linux-gnu      qemu-aarch64  all
linux-armhf    arm-linux-gnueabihf    qemu-arm      kelvotrace
linux-ppc64el  powerpc64le-linux-gnu  qemu-ppc64le  kelvotrace
linux-riscv64  riscv64-linux-gnu      qemu-riscv64  kelvotrace
linux-s390x    s390x-linux-gnu        qemu-s390x    kelvotrace picture_test
linux-mips64el mips64el-linux-gnuabi64 qemu-mips64el kelvotrace
linux-mipsel   mipsel-linux-gnu       qemu-mipsel   kelvotrace
linux-powerpc  powerpc-linux-gnu      qemu-ppc      kelvotrace
linux-ppc64    powerpc64-linux-gnu    qemu-ppc64    kelvotrace
linux-sparc64  sparc64-linux-gnu      qemu-sparc64  kelvotrace
linux-armel    arm-linux-gnueabi      qemu-arm      kelvotrace
linux-alpha    alpha-linux-gnu        qemu-alpha    kelvotrace
linux-hppa     hppa-linux-gnu         qemu-hppa     kelvotrace"
case $platform in
    windows-i686 | windows-x86_64)
        arch=${platform#windows-}
        options+=(-DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-$arch.cmake")
        targets=(kelvotrace pictor) ;;
    linux-i386)
        # gcc-multilib would link the kernel's asm headers into /usr/include; it conflicts with
        # the aarch64 cross compiler, so look for them in the native tree, after /usr/include.
        flags=-m32
        [ -e /usr/include/asm ] || flags+=" -idirafter /usr/include/x86_64-linux-gnu"
        options+=(-DCMAKE_CXX_FLAGS="$flags")
        targets=(kelvotrace) ;;
    linux-*)
        read -r _ triplet qemu targets_row < <(awk -v p="$platform" '$1 == p' <<<"$linux_targets") ||
            { echo "unknown platform $platform" >&2; exit 2; }
        toolchain=(-DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/linux-cross.cmake"
            -DLINUX_TRIPLET="$triplet" -DCMAKE_SYSTEM_PROCESSOR="${triplet%%-*}" -DLINUX_QEMU="$qemu")
        [ ! -f "$source_dir/cmake/$platform.cmake" ] ||
            toolchain=(-DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/$platform.cmake")
        options+=("${toolchain[@]}")
        read -r -a targets <<<"$targets_row" ;;
    *) echo "unknown platform $platform" >&2; exit 2 ;;
esac

mkdir -p "$(dirname "$build_dir")"
# The tests need GoogleTest built for the target; Debian ships its sources.
if [[ " ${targets[*]} " == *" picture_test "* ]]; then
    gtest=$build_dir.googletest
    { cmake -S /usr/src/googletest -B "$gtest/build" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$gtest/root" && cmake --build "$gtest/build" -j 2 &&
        cmake --install "$gtest/build"; } >"$gtest.log" 2>&1 || { cat "$gtest.log"; exit 1; }
    options+=(-DBUILD_TESTING=ON -DGTest_DIR="$gtest/root/lib/cmake/GTest")
fi
# Configured afresh each time: a cache from an earlier toolchain file would keep what it found.
rm -rf "$build_dir/CMakeCache.txt" "$build_dir/CMakeFiles"
cmake -S "$source_dir" -B "$build_dir" "${options[@]}" >"$build_dir.configure.log" 2>&1 ||
    { cat "$build_dir.configure.log"; exit 1; }
cmake --build "$build_dir" --target "${targets[@]}" -j 2
if [ -n "${qemu:-}" ]; then
    printf '#!/bin/sh\nexec %s -L /usr/%s "$@"\n' "$qemu" "$triplet" >"$build_dir/qemu-run.sh"
fi
[[ $platform == windows-* ]] || exit 0

case $arch in
    i686) format=pei-i386 ;;
    x86_64) format=pei-x86-64 ;;
esac
status=0

# check_exe EXE SUBSYSTEM DLL...: the program's format, subsystem and imports; the DLLs named
# besides the base ones are allowed, and must be imported.
check_exe() {
    local exe=$1 subsystem=$2
    shift 2
    local headers dlls dll
    headers=$("$arch-w64-mingw32-objdump" -p "$exe")
    grep -q "file format $format" <<<"$headers" || { echo "$exe is not $format" >&2; status=1; }
    grep -q "Subsystem.*($subsystem)" <<<"$headers" ||
        { echo "$exe is not a $subsystem program" >&2; status=1; }
    dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | sort -u)
    echo "$(basename "$exe") ($arch) imports: $(echo $dlls)"
    while read -r dll; do
        case ${dll,,} in
            kernel32.dll | msvcrt.dll | api-ms-win-crt-*.dll) ;;
            *) [[ " $* " == *" ${dll,,} "* ]] ||
                { echo "$exe: unexpected import $dll" >&2; status=1; } ;;
        esac
    done <<<"$dlls"
    for dll in kernel32.dll "$@"; do
        grep -qix "$dll" <<<"$dlls" || { echo "$exe: missing import $dll" >&2; status=1; }
    done
}

check_exe "$build_dir/kelvotrace/kelvotrace.exe" "Windows CUI"
check_exe "$build_dir/pictor/pictor.exe" "Windows GUI" user32.dll gdi32.dll comdlg32.dll

# The menu resource is compiled in, French (France) (primary 12, sublanguage 1), and holds the
# same items and identifiers as the Linux layer's compile of the same pictor.rc.
exe=$build_dir/pictor/pictor.exe
resources=$("$arch-w64-mingw32-windres" -i "$exe" -O rc)
grep -q '^LANGUAGE 12, 1$' <<<"$resources" || { echo "no French menu in $exe" >&2; status=1; }
# That menu is its one resource: the icon is a file beside it (pictor.ico), not a resource.
[ "$(grep '^/\* Type:' <<<"$resources")" = '/* Type: menu' ] ||
    { echo "$exe holds other resources than its menu:" $(grep '^/\* Type:' <<<"$resources") >&2; status=1; }
if [ -n "$menu_listing" ]; then
    diff -u <("$menu_listing") <(sed -n '/^[0-9]* MENU$/,/^END$/p' <<<"$resources") >&2 ||
        { echo "the menu of $exe differs from the Linux layer's" >&2; status=1; }
else
    echo "menu not compared with the Linux layer's: no listing program given"
fi

# --- The zip a Windows user gets: one folder named after the package and the architecture
# (kelvotrace-VERSION-win32 or -win64) holding both programs, pictor's icon, README and licence.
rm -f "$build_dir"/kelvotrace-*.zip
# Stripping stamps each program with the time unless given one: cpack gives the last commit's
# (packaging/reproducible.cmake.in), so that zip and installer hold the same bytes.
(cd "$build_dir" && cpack -G ZIP) >"$build_dir.cpack.log" 2>&1 || { cat "$build_dir.cpack.log"; exit 1; }
case $arch in i686) system=win32 ;; x86_64) system=win64 ;; esac
zips=("$build_dir"/kelvotrace-*-"$system".zip)
zip=${zips[0]} folder=$(basename "${zips[0]}" .zip)
[ ${#zips[@]} -eq 1 ] && [ -f "$zip" ] || { echo "no kelvotrace-*-$system.zip in $build_dir" >&2; exit 1; }
entries=$(unzip -Z1 "$zip" | sort)
expected=$(printf "$folder/%s\n" LICENSE.txt README.txt kelvotrace.exe pictor.exe pictor.ico | sort)
[ "$entries" = "$expected" ] || { echo "$zip holds:" $entries >&2; status=1; }
# Notepad wants CRLF; the programs in it are for this machine.
[ "$(unzip -p "$zip" "$folder/README.txt" | grep -vc $'\r$')" = 0 ] ||
    { echo "README.txt in $zip has lines without CRLF" >&2; status=1; }
for program in kelvotrace pictor; do
    unzip -p "$zip" "$folder/$program.exe" >"$build_dir/zipped.exe"
    "$arch-w64-mingw32-objdump" -f "$build_dir/zipped.exe" | grep -q "file format $format" ||
        { echo "$program.exe in $zip is not $format" >&2; status=1; }
done
rm -f "$build_dir/zipped.exe"
echo "$(basename "$zip"): $(stat -c %s "$zip") bytes:" $(unzip -Z1 "$zip")

# --- The installer beside it (NSIS), named like the zip; the Wine test runs it.
rm -f "$build_dir/$folder.exe"
# Without NSIS the programs and the zip are still checked; the installer tests say it is missing.
command -v makensis >/dev/null || { echo "no installer: makensis (Debian package nsis) is missing"; exit $status; }
(cd "$build_dir" && cpack -G NSIS) >"$build_dir.nsis.log" 2>&1 || { cat "$build_dir.nsis.log"; exit 1; }
[ -f "$build_dir/$folder.exe" ] || { echo "no installer $folder.exe in $build_dir" >&2; exit 1; }
echo "$folder.exe: $(stat -c %s "$build_dir/$folder.exe") bytes"
exit $status
