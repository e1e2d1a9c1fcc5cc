#!/usr/bin/env bash
# Every picture kelvotrace writes is a raw PPM that netpbm reads and converts.
set -euo pipefail
kelvotrace=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
"$kelvotrace" </dev/null
for name in testinter testobj testnormale testMulti testLamp testZbuf_Phong; do
    size="450 by 450"
    [ "$name" = testZbuf_Phong ] && size="500 by 500"
    description=$(pamfile "$name.ppm")
    echo "$description"
    case "$description" in
        *"PPM raw, $size  maxval 255"*) ;;
        *) echo "unexpected description of $name.ppm" >&2; exit 1 ;;
    esac
    pnmtopng "$name.ppm" > "$name.png"
    [ -s "$name.png" ] || { echo "pnmtopng gave nothing for $name.ppm" >&2; exit 1; }
done
