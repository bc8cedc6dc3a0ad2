#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs osclock against the real clock, its standard output redirected to a file, and checks
# that the file holds exactly the report date(1) gives for some second between the clock
# readings taken just before and just after the run.
#
# usage: live_report.sh lf|crlf COMMAND [ARGUMENT...]
#   lf|crlf  the line end the program writes (crlf for the Windows build)
#   COMMAND  osclock, with an emulator in front of it if it needs one
set -u

case ${1-} in
lf) cr='' earliest=0 ;;
# msvcrt's clock is Windows' system time as of the last tick, which Wine may take from the
# kernel's coarse clock: either can trail date's by a tick at a second's edge.
crlf) cr=$(printf '\r') earliest=1 ;;
*) echo "usage: $0 lf|crlf COMMAND [ARGUMENT...]" >&2; exit 2 ;;
esac
shift

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

# A fixed zone that every C library reads the same way keeps date(1) and osclock comparable.
TZ=UTC0
export TZ

before=$(date +%s)
"$@" >"$work/report"
status=$?
after=$(date +%s)

if [ "$status" -ne 0 ]; then
    echo "FAIL: exit status $status, expected 0" >&2
    exit 1
fi
# A clock stepped forward during the run would leave years of seconds to compare.
if [ $((after - before)) -gt 60 ]; then
    echo "FAIL: the clock moved from $before to $after during one run" >&2
    exit 1
fi
second=$((before - earliest))
while [ "$second" -le "$after" ]; do
    date -d "@$second" "+OS time: %-H:%-M:%-S$cr%nOS date: %-m/%-d/%Y$cr" >"$work/expected"
    if cmp -s "$work/report" "$work/expected"; then
        echo "PASS: report matches the clock at $(date -d "@$second")"
        exit 0
    fi
    second=$((second + 1))
done
echo "FAIL: report matches no second from $((before - earliest)) to $after; it holds:" >&2
od -c "$work/report" >&2
exit 1
