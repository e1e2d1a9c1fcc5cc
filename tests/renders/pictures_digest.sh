#!/usr/bin/env bash
# Renders the six pictures in a scratch directory and checks their SHA-256 digests.
set -euo pipefail
kelvotrace=$1
digests=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
"$kelvotrace" </dev/null
sha256sum --check --strict "$digests"
