#!/usr/bin/env bash
# The Windows installer as a user meets it, under Wine in a fresh prefix that tests/cross/wine.sh
# makes: installed over an older one (built here, with a file of its own), it removes that first;
# it puts the zip's files in place, one Start-menu shortcut with pictor's icon starts pictor's
# window, Add/Remove Programs lists name, version, publisher, icon and size; the silent
# uninstall then removes the programs, the shortcuts and every registry key of the program.
# Usage: wine.sh win32|win64 nsis_wine.sh BUILD_DIR CPACK   (BUILD_DIR: the windows-* tree, packed)
set -euo pipefail
build_dir=$1 cpack=$2
work=$(mktemp -d) pids=()
cleanup() {
    wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "$*" >&2; exit 1; }
installers=("$build_dir"/kelvotrace-*.exe)
[ ${#installers[@]} -eq 1 ] && [ -f "${installers[0]}" ] || fail "expected one installer: ${installers[*]}"
zip=$(ls "$build_dir"/kelvotrace-*.zip)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build_dir/CPackConfig.cmake")

mkdir "$work/old-only" && echo "shipped by 0.9.0 alone" >"$work/old-only/old-notes.txt"
"$cpack" --config "$build_dir/CPackConfig.cmake" -G NSIS -B "$work/old" -D CPACK_PACKAGE_VERSION=0.9.0 \
    -D CPACK_PACKAGE_FILE_NAME=kelvotrace-0.9.0 -D "CPACK_NSIS_DISPLAY_NAME=kelvotrace and pictor 0.9.0" \
    -D "CPACK_INSTALLED_DIRECTORIES=$work/old-only;." >"$work/old.log" 2>&1 ||
    { cat "$work/old.log"; fail "could not build the older installer"; }

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# The entries' keys, one a line (a fresh prefix may have none).
entries() { wine reg query "$key" 2>/dev/null | tr -d '\r' | { grep '^HKEY.*\\Uninstall\\.' || true; } | sort; }
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
shortcuts() { find "$start_menu" -name '*.lnk' | sort; }
value() { wine reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p"; }
# Every registry line that names the program, under the machine's and the user's software.
traces() { wine reg query 'HKLM\Software' /s; wine reg query 'HKCU\Software' /s; } 2>/dev/null |
    tr -d '\r' | grep -i 'kelvotrace' || true

# Wine's desktop process keeps the display it started with: every step gets the same one.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
read -r -t 10 number <"$work/display" || fail "Xvfb did not start"
export DISPLAY=:$number
wineserver -w
entries >"$work/before"
wine "$work/old/kelvotrace-0.9.0.exe" /S
wineserver -w
old=$(winepath -u "$(value "$(entries | comm -13 "$work/before" -)" UninstallString | tr -d '"')")
[ -f "$(dirname "$old")/old-notes.txt" ] || fail "the older installer did not install its own file"

wine "${installers[0]}" /S
wineserver -w
entry=$(entries | comm -13 "$work/before" -)
[ "$(wc -l <<<"$entry")" = 1 ] && [ -n "$entry" ] || fail "expected one new uninstall entry: $entry"
for name in DisplayName DisplayVersion Publisher; do
    echo "$name: $(value "$entry" $name)"
    [ -n "$(value "$entry" $name)" ] || fail "the uninstall entry has no $name"
done
uninstaller=$(value "$entry" UninstallString | tr -d '"')
folder=$(dirname "$(winepath -u "$uninstaller")")
# The same programs as in the zip beside it (both stripped at packing).
for program in kelvotrace pictor; do
    unzip -p "$build_dir"/*.zip "*/$program.exe" | cmp - "$folder/$program.exe" ||
        fail "$program.exe is not installed as the zip holds it"
done
[ "$(value "$entry" DisplayVersion)" = "$version" ] || fail "the entry is not that of $version"
[ ! -e "$folder/old-notes.txt" ] || fail "the upgrade kept the older version's old-notes.txt"
unzip -p "$zip" "*/pictor.ico" | cmp - "$folder/pictor.ico" || fail "pictor.ico is not installed"
icon=$(value "$entry" DisplayIcon)
[ "$(winepath -u "$icon")" = "$folder/pictor.ico" ] || fail "DisplayIcon is $icon, not pictor.ico"
# EstimatedSize in KiB: the files of the zip, each rounded up to a whole KiB.
size=$(($(value "$entry" EstimatedSize))) bytes=$(unzip -l "$zip" | tail -1 | awk '{print $1}')
echo "EstimatedSize: $size KiB for $bytes bytes"
[ "$size" -ge $((bytes / 1024)) ] && [ "$size" -le $((bytes / 1024 + 5)) ] ||
    fail "EstimatedSize $size KiB does not match the $bytes bytes installed"

# The one program shortcut leads to pictor.exe; started, it opens pictor's window.
links=$(shortcuts)
pictor_link=$(grep -il 'pictor\.exe' $(sed 's/ /?/g' <<<"$links")) || fail "no shortcut to pictor.exe: $links"
! grep -il 'kelvotrace\.exe' $(sed 's/ /?/g' <<<"$links") || fail "a shortcut starts kelvotrace.exe"
# The icon's path is kept in UTF-16.
tr -d '\0' <"$pictor_link" | grep -qi 'pictor\.ico' || fail "the shortcut $pictor_link has no pictor.ico icon"
wine start /unix "$pictor_link" || fail "wine could not start $pictor_link"
timeout 30 xdotool search --sync --onlyvisible --name '^Pictor$' >/dev/null ||
    fail "the shortcut $pictor_link opened no window named Pictor"
wineserver -k
wineserver -w

wine "$uninstaller" /S
wineserver -w
[ ! -e "$folder" ] || fail "$folder is still there after uninstalling: $(ls "$folder")"
[ -z "$(shortcuts)" ] || fail "shortcuts left after uninstalling: $(shortcuts)"
[ -z "$(entries | comm -13 "$work/before" -)" ] || fail "the uninstall entry is still there"
[ -z "$(traces)" ] || fail "registry keys left after uninstalling: $(traces)"
echo "installed into $folder with $(wc -l <<<"$links") shortcuts, started pictor, uninstalled"
