#!/bin/sh
# Runs a 32-bit x86 program natively, or under qemu-i386 where the kernel was built without
# 32-bit support (as some virtual machines' are): the same instructions, the same SSE2 rounding.
# The 32-bit loader answering --help tells which.
# Usage: i386_run.sh PROGRAM [ARGUMENT...]
if /lib/ld-linux.so.2 --help >/dev/null 2>&1; then
    exec "$@"
fi
command -v qemu-i386 >/dev/null ||
    { echo "this kernel runs no 32-bit x86 program, and qemu-i386 (qemu-user) is missing" >&2; exit 1; }
exec qemu-i386 "$@"
