#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks that osclock treats a report it could not write as a failure: exit status 1 and a
# message on standard error, with standard output on a full device and with it closed.
#
# usage: write_error.sh COMMAND [ARGUMENT...]
set -u
err=$(mktemp) || exit 1
trap 'rm -f "$err"' EXIT

failed=0
for stdout in full closed; do
    case $stdout in
    full) "$@" >/dev/full 2>"$err" ;;
    closed) "$@" >&- 2>"$err" ;;
    esac
    status=$?
    if [ "$status" -eq 1 ] && grep -q '^osclock: write error: ' "$err"; then
        echo "PASS: standard output $stdout: $(cat "$err")"
    else
        echo "FAIL: standard output $stdout: exit status $status, standard error:" >&2
        cat "$err" >&2
        failed=1
    fi
done
exit "$failed"
