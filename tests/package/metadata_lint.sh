#!/usr/bin/env bash
# What distributions check of the metadata: the man pages draw no remark from mandoc's lint, not
# even of style; the AppStream file passes appstream-util's strict check but for the missing
# <url>, which waits for the project's public home.
# Usage: metadata_lint.sh man PAGE...  |  metadata_lint.sh appstream METAINFO
set -euo pipefail
kind=$1
shift
case $kind in
    man) remarks=$(mandoc -Tlint -W style "$@" 2>&1 || true)
         [ -z "$remarks" ] || { echo "$remarks"; exit 1; } ;;
    appstream) out=$(appstream-util validate-strict --nonet "$1" 2>&1 || true)
         echo "$out"
         grep -q 'metainfo.xml: \(OK\|FAILED\)' <<<"$out" || exit 1
         ! grep '^•' <<<"$out" | grep -v '<url> is not present' ;;
esac
