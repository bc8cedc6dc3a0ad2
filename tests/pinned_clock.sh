#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs every case of the pinned-clock table that holds for msvcrt against a Windows build of
# osclock that has the tests' clock linked in, and checks its standard output (lines ending in
# CR LF), standard error and exit status. The Linux harness, osclock_test.cpp, reads the same table.
#
# usage: pinned_clock.sh TABLE COMMAND [ARGUMENT...]
#   COMMAND  the test build of osclock, with Wine in front of it
set -u
table=$1
shift

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cr=$(printf '\r')

failed=0
count=0
# Whitespace-separated fields; the last takes the rest of the line.
while read -r name on tz clock status expected; do
    case $name in '' | '#'*) continue ;; esac
    case $on in all | msvcrt) ;; *) continue ;; esac
    count=$((count + 1))

    FAKECLOCK=$clock TZ=$tz "$@" >"$work/out" 2>"$work/err"
    actual_status=$?
    if [ "$status" -eq 0 ]; then
        printf 'OS time: %s%s\nOS date: %s%s\n' "${expected% *}" "$cr" "${expected#* }" "$cr" >"$work/expected_out"
        : >"$work/expected_err"
    else
        : >"$work/expected_out"
        printf '%s%s\n' "$expected" "$cr" >"$work/expected_err"
    fi
    if [ "$actual_status" -eq "$status" ] && cmp -s "$work/out" "$work/expected_out" &&
        cmp -s "$work/err" "$work/expected_err"; then
        echo "PASS: $name"
    else
        echo "FAIL: $name (TZ=$tz at $clock): exit status $actual_status, expected $status" >&2
        echo "standard output:" >&2
        od -c "$work/out" >&2
        echo "standard error:" >&2
        od -c "$work/err" >&2
        failed=1
    fi
done <"$table"

if [ "$count" -eq 0 ]; then
    echo "FAIL: no case in $table" >&2
    exit 1
fi
exit "$failed"
