#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks what a Windows build of osclock needs from the system: the DLLs KERNEL32.dll and
# msvcrt.dll alone (no MinGW runtime DLL beside it), and msvcrt's 64-bit clock functions; and
# that it is a console program that takes ASLR and DEP and is terminal-server aware.
#
# usage: pe_imports.sh OBJDUMP osclock.exe
set -u
headers=$("$1" -p "$2") || exit 1

dlls=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort | tr '\n' ' ')
if [ "$dlls" != "KERNEL32.dll msvcrt.dll " ]; then
    echo "FAIL: imports from $dlls; expected KERNEL32.dll msvcrt.dll" >&2
    exit 1
fi
# require PATTERN MESSAGE: fails with MESSAGE unless a line of the headers matches PATTERN (an ERE).
require() {
    if ! printf '%s\n' "$headers" | grep -Eq "$1"; then
        echo "FAIL: $2" >&2
        exit 1
    fi
}
for function in _time64 _localtime64; do
    require "[[:space:]]$function\$" "$function is not imported"
done
require 'Subsystem.*\(Windows CUI\)' "not a console program"
for characteristic in DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE; do
    require "^[[:space:]]+$characteristic\$" "not marked $characteristic"
done
echo "PASS: imports from $dlls, with _time64 and _localtime64; console subsystem; DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVICE_AWARE"
