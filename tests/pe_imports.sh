#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks what a Windows build of osclock needs from the system: the DLLs KERNEL32.dll and
# msvcrt.dll alone (no MinGW runtime DLL beside it), and msvcrt's 64-bit clock functions; and
# that it is a console program that takes ASLR and DEP, is terminal-server aware, and declares the
# oldest Windows it is for (MAJOR.MINOR), as its README.txt names it.
#
# usage: pe_imports.sh OBJDUMP osclock.exe OLDEST_WINDOWS_VERSION
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
for field in OSystem Subsystem; do
    require "^Major${field}Version[[:space:]]+${3%.*}\$" "Major${field}Version is not ${3%.*}"
    require "^Minor${field}Version[[:space:]]+${3#*.}\$" "Minor${field}Version is not ${3#*.}"
done
echo "PASS: imports from $dlls, with _time64 and _localtime64; console subsystem; DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVICE_AWARE; for Windows $3 and later"
