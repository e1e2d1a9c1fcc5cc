#!/usr/bin/env bash
# Runs COMMAND only where what it needs is here; otherwise says what is missing and exits 77,
# which CTest reports as skipped (SKIP_RETURN_CODE 77), never as passed.
# Usage: require.sh NEED... -- COMMAND...
#   NEED is a program on PATH, "program@package" to name the Debian package that brings it,
#   "pkg:PACKAGE" for an installed Debian package that brings no program of its own (a multilib
#   or a 32-bit Wine), "root" for a test that must run as root, or "file:PATH" for a file an
#   earlier test builds (a cross build that was itself skipped leaves none).
set -euo pipefail
missing=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
    need=$1; shift
    case $need in
        root) [ "$(id -u)" -eq 0 ] || missing+=("root (it installs into the system)") ;;
        pkg:*) dpkg-query -W -f='${Status}' "${need#pkg:}" 2>/dev/null | grep -q 'ok installed' ||
                   missing+=("Debian package ${need#pkg:}") ;;
        file:*) [ -e "${need#file:}" ] || missing+=("${need#file:} (not built: its build was skipped or failed)") ;;
        *@*) command -v "${need%@*}" >/dev/null || missing+=("${need%@*} (Debian package ${need#*@})") ;;
        *) command -v "$need" >/dev/null || missing+=("$need") ;;
    esac
done
[ "${1:-}" = -- ] || { echo "usage: require.sh NEED... -- COMMAND..." >&2; exit 2; }
shift
if [ ${#missing[@]} -gt 0 ]; then
    printf 'skipped: missing %s\n' "${missing[@]}"
    exit 77
fi
exec "$@"
