#!/usr/bin/env bash
# Cross-builds pictor for Windows with mingw-w64 and checks the program: a windowed (GUI)
# executable for the right machine that imports only user32, gdi32 and comdlg32 besides the
# base system and C runtime DLLs (KERNEL32, msvcrt or the UCRT api sets).
# Usage: windows_build.sh SOURCE_DIR BUILD_DIR ARCH   (ARCH: i686 or x86_64)
set -euo pipefail
source_dir=$1 build_dir=$2 arch=$3

case $arch in
    i686) format=pei-i386 ;;
    x86_64) format=pei-x86-64 ;;
    *) echo "unknown architecture $arch" >&2; exit 2 ;;
esac

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELVO_SANITIZE=OFF -DKELVO_BENCH=OFF \
    -DKELVO_FUZZ=OFF >"$build_dir.configure.log" 2>&1 || { cat "$build_dir.configure.log"; exit 1; }
cmake --build "$build_dir" --target pictor -j 2

exe=$build_dir/pictor/pictor.exe
headers=$("$arch-w64-mingw32-objdump" -p "$exe")
grep -q "file format $format" <<<"$headers" || { echo "$exe is not $format" >&2; exit 1; }
grep -q "Subsystem.*(Windows GUI)" <<<"$headers" || { echo "$exe is not a windowed program" >&2; exit 1; }

dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | sort -u)
echo "pictor.exe ($arch) imports: $(echo $dlls)"
status=0
while read -r dll; do
    case ${dll,,} in
        user32.dll | gdi32.dll | comdlg32.dll | kernel32.dll | msvcrt.dll | api-ms-win-crt-*.dll) ;;
        *) echo "unexpected import: $dll" >&2; status=1 ;;
    esac
done <<<"$dlls"
for needed in user32.dll comdlg32.dll; do
    grep -qix "$needed" <<<"$dlls" || { echo "missing import: $needed" >&2; status=1; }
done
# The menu resource is compiled in: identifier 101, French (France) (primary 12, sublanguage 1).
resources=$("$arch-w64-mingw32-windres" -i "$exe" -O rc)
grep -q '^LANGUAGE 12, 1$' <<<"$resources" && grep -q '^101 MENU$' <<<"$resources" &&
    grep -q 'MENUITEM "Ouvrir", 40006' <<<"$resources" || { echo "no French menu 101 in $exe" >&2; status=1; }

# --- The zip a Windows user gets: one folder named after the package and the architecture
# (kelvotrace-VERSION-win32 or -win64) holding both programs and README.txt.
cmake --build "$build_dir" --target kelvotrace pictor -j 2 >/dev/null
rm -f "$build_dir"/kelvotrace-*.zip
(cd "$build_dir" && cpack -G ZIP) >"$build_dir.cpack.log" 2>&1 || { cat "$build_dir.cpack.log"; exit 1; }
case $arch in i686) system=win32 ;; x86_64) system=win64 ;; esac
zips=("$build_dir"/kelvotrace-*-"$system".zip)
zip=${zips[0]} folder=$(basename "${zips[0]}" .zip)
[ ${#zips[@]} -eq 1 ] && [ -f "$zip" ] || { echo "no kelvotrace-*-$system.zip in $build_dir" >&2; exit 1; }
entries=$(unzip -Z1 "$zip" | sort)
expected=$(printf "$folder/%s\n" README.txt kelvotrace.exe pictor.exe)
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
exit $status
