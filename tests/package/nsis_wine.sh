#!/usr/bin/env bash
# The Windows installer as a user meets it, under Wine in the fresh prefix that tests/cross/wine.sh
# makes: a silent install puts the programs (those of the zip) in place, one Start-menu
# shortcut starts pictor's window, Add/Remove Programs lists a name, version and publisher; the
# silent uninstall then removes the programs, the shortcuts and the entry.
# Usage: wine.sh win64 nsis_wine.sh BUILD_DIR   (BUILD_DIR: the windows-x86_64 tree, packed)
set -euo pipefail
build_dir=$1
work=$(mktemp -d) pids=()
cleanup() {
    wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "$*" >&2; exit 1; }
installers=("$build_dir"/*.exe)
[ ${#installers[@]} -eq 1 ] && [ -f "${installers[0]}" ] || fail "expected one installer: ${installers[*]}"

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# The entries' keys, one a line (a fresh prefix may have none).
entries() { wine reg query "$key" 2>/dev/null | tr -d '\r' | { grep '^HKEY.*\\Uninstall\\.' || true; } | sort; }
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
shortcuts() { find "$start_menu" -name '*.lnk' | sort; }
value() { wine reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"; }

# Wine's desktop process keeps the display it started with: every step gets the same one.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
read -r -t 10 number <"$work/display" || fail "Xvfb did not start"
export DISPLAY=:$number
wineserver -w
entries >"$work/before"
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

# The one program shortcut leads to pictor.exe; started, it opens pictor's window.
links=$(shortcuts)
pictor_link=$(grep -il 'pictor\.exe' $(sed 's/ /?/g' <<<"$links")) || fail "no shortcut to pictor.exe: $links"
! grep -il 'kelvotrace\.exe' $(sed 's/ /?/g' <<<"$links") || fail "a shortcut starts kelvotrace.exe"
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
echo "installed into $folder with $(wc -l <<<"$links") shortcuts, started pictor, uninstalled"
