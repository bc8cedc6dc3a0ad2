#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks what a Windows build of osclock needs from the system: the DLLs KERNEL32.dll and
# msvcrt.dll alone (no MinGW runtime DLL beside it), and msvcrt's 64-bit clock functions; and
# that it is a console program that takes ASLR and DEP.
#
# usage: pe_imports.sh OBJDUMP osclock.exe
set -u
headers=$("$1" -p "$2") || exit 1

dlls=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort | tr '\n' ' ')
if [ "$dlls" != "KERNEL32.dll msvcrt.dll " ]; then
    echo "FAIL: imports from $dlls; expected KERNEL32.dll msvcrt.dll" >&2
    exit 1
fi
for function in _time64 _localtime64; do
    if ! printf '%s\n' "$headers" | grep -Eq "[[:space:]]$function\$"; then
        echo "FAIL: $function is not imported" >&2
        exit 1
    fi
done
if ! printf '%s\n' "$headers" | grep -q 'Subsystem.*(Windows CUI)'; then
    echo "FAIL: not a console program" >&2
    exit 1
fi
for characteristic in DYNAMIC_BASE NX_COMPAT; do
    if ! printf '%s\n' "$headers" | grep -Eq "^[[:space:]]+$characteristic\$"; then
        echo "FAIL: not marked $characteristic" >&2
        exit 1
    fi
done
echo "PASS: imports from $dlls, with _time64 and _localtime64; console subsystem; DYNAMIC_BASE, NX_COMPAT"
