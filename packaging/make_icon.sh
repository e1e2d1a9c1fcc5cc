#!/usr/bin/env bash
# Makes pictor's icons from one of kelvotrace's own pictures: the yellow and the red sphere of
# testZbuf_Phong.ppm, a 256x256 square of rendered pixels, scaled down to the hicolor theme's
# usual sizes, and the same PNGs gathered into the Windows icon pictor.ico (the 256 one kept as
# PNG inside, as Windows reads it). They are kept in the repository (packaging/icons), so a
# build needs neither a run of the renderer nor netpbm; run this again when the picture changes.
# Usage: make_icon.sh KELVOTRACE [OUTPUT_DIR]   (needs netpbm: pamcut, pamscale, pnmtopng; and
# icoutils: icotool)
set -euo pipefail
kelvotrace=$(realpath "$1")
output=$(realpath "${2:-$(dirname "$0")/icons}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && "$kelvotrace" </dev/null >/dev/null)
pamcut -left 163 -top 93 -width 256 -height 256 "$work/testZbuf_Phong.ppm" >"$work/square.ppm"
mkdir -p "$output"
for size in 16 22 24 32 48 64 128 256; do
    pamscale -width "$size" -height "$size" "$work/square.ppm" | pnmtopng -compression 9 \
        >"$output/${size}x$size.png"
done
cd "$output"
icotool --create --output=pictor.ico 16x16.png 24x24.png 32x32.png 48x48.png 64x64.png \
    --raw=256x256.png
