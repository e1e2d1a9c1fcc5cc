#!/usr/bin/env bash
# Runs kelvotrace as a user would, in a scratch folder with standard input not a terminal, and
# checks what it leaves: exit 0, standard output exactly PROMPT (what the pause prints there;
# nothing unless given),
# the six pictures with the SHA-256 digests of DIGESTS. Then again with a directory standing
# under testLamp.ppm: exit 1, one line on standard error naming that file, the five other
# pictures still exact.
# Usage: pictures_digest.sh DIGESTS [--prompt=PROMPT] COMMAND...
#   COMMAND runs the program, behind a runner if need be: "wine kelvotrace.exe",
#   "qemu-aarch64 -L /usr/aarch64-linux-gnu kelvotrace".
set -euo pipefail
digests=$(realpath "$1")
shift
prompt=
case ${1:-} in --prompt=*) prompt=${1#--prompt=}; shift ;; esac
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

fail() { echo "$*" >&2; exit 1; }

mkdir "$dir/all" "$dir/blocked" "$dir/blocked/testLamp.ppm"
cd "$dir/all"
status=0
"$@" </dev/null >../all.out 2>../all.err || status=$?
[ "$status" -eq 0 ] || { cat ../all.err >&2; fail "exit status $status, expected 0"; }
printf %s "$prompt" | cmp -s - ../all.out ||
    fail "standard output: '$(cat ../all.out)', expected exactly '$prompt'"
[ ! -s ../all.err ] || { cat ../all.err >&2; fail "unexpected standard error"; }
sha256sum --check --strict "$digests"

cd "$dir/blocked"
status=0
"$@" </dev/null >../blocked.out 2>../blocked.err || status=$?
[ "$status" -eq 1 ] || fail "with testLamp.ppm a directory: exit status $status, expected 1"
lines=$(wc -l <../blocked.err)
[ "$lines" -eq 1 ] && grep -q 'testLamp\.ppm' ../blocked.err ||
    { cat ../blocked.err >&2; fail "expected one line on standard error naming testLamp.ppm"; }
grep -v ' testLamp\.ppm$' "$digests" | sha256sum --check --strict --quiet
echo "with testLamp.ppm a directory: $(tr -d '\r' <../blocked.err)"
