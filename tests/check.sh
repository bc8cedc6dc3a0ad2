#!/bin/sh
# SPDX-License-Identifier: MIT
# The tests' one runner, for every target: runs osclock as a whole process and checks its standard
# output, standard error and exit status. Prints PASS or FAIL for each case, and with a failure all
# that the process left.
#
# usage: check.sh CHECK LIBRARY [EMULATOR...]
#   CHECK     pinned_clock       every case of pinned_clock.table that holds for LIBRARY
#             arguments          osclock ignores its arguments
#             unwritable_output  a report that cannot be written is an error: a full device, a
#                                closed standard output
#             closed_pipe        the same through a pipe with no reader, SIGPIPE ignored or not
#             close_error        the same where only the close of standard output fails
#             live_report        the report is the real clock's, with and without arguments
#   LIBRARY   the C library osclock is built on: glibc, msvcrt (lines end in CR LF), or another
#   EMULATOR  the command that runs the target's programs, where the build machine cannot
# environment, set by CTest:
#   OSCLOCK         osclock as it is shipped
#   OSCLOCK_PINNED  osclock built with the tests' double (test_double.cpp): FAKECLOCK pins its
#                   clock, FAKECLOSE fails its close of standard output
#   TZDIR           the tests' own zones, made by zic
set -u
check=$1
library=$2
shift 2

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cr=
[ "$library" = msvcrt ] && cr=$(printf '\r')
failed=0

# run COMMAND...: its standard error goes to $work/err, its exit status to $status, and its
# standard output to $work/out, or where $stdout says: a file, "closed", or "pipe" for descriptor 4
# (leaving $work/out empty).
stdout=$work/out
run() {
    : >"$work/out"
    case $stdout in
    closed) "$@" </dev/null >&- 2>"$work/err" ;;
    pipe) "$@" </dev/null >&4 2>"$work/err" ;;
    *) "$@" </dev/null >"$stdout" 2>"$work/err" ;;
    esac
    status=$?
}
# pinned CLOCK TZ COMMAND...: run, with the clock reading CLOCK, the zone TZ, SIGPIPE as $sigpipe
# says (ignore or default), the close of standard output failing where $fake_close says so, and
# nothing preloaded: a faked clock's preload (libfaketime) opens files that would take the place
# of a closed standard output.
sigpipe=
fake_close=
pinned() {
    clock=$1 tz=$2
    shift 2
    run env -u LD_PRELOAD ${sigpipe:+--$sigpipe-signal=PIPE} ${fake_close:+FAKECLOSE=fail} \
        FAKECLOCK="$clock" TZ="$tz" "$@"
}
# expect NAME STATUS OUT ERR: passes when the last run exited with STATUS and wrote exactly OUT
# and ERR (printf formats, with %s standing for the line end), or else shows all it left.
expect() {
    # shellcheck disable=SC2059 # the formats are the callers'
    printf "$3" "$cr" "$cr" >"$work/expected_out"
    # shellcheck disable=SC2059
    printf "$4" "$cr" >"$work/expected_err"
    differs=''
    [ "$status" -eq "$2" ] || differs="exit status $status, expected $2; "
    cmp -s "$work/out" "$work/expected_out" || differs="${differs}standard output differs; "
    cmp -s "$work/err" "$work/expected_err" || differs="${differs}standard error differs; "
    if [ -z "$differs" ]; then
        echo "PASS: $1"
    else
        failed=1
        {
            echo "FAIL: $1: ${differs%; }"
            echo "standard output:" && od -c "$work/out"
            echo "expected:" && od -c "$work/expected_out"
            echo "standard error:" && od -c "$work/err"
            echo "expected:" && od -c "$work/expected_err"
        } >&2
    fi
}
# report TIME DATE: the format of the report, for expect.
report() {
    printf 'OS time: %s%%s\\nOS date: %s%%s\\n' "$1" "$2"
}
# Escapes % for printf.
literal() {
    printf '%s' "$1" | sed 's/%/%%/g'
}

# live NAME COMMAND...: runs COMMAND against the real clock under TZ=UTC0 and passes when it
# exits 0 with nothing on standard error and its report is date's for some second from $started,
# the second it started in, less $earliest, to the second it ended in.
live() {
    name=$1
    shift
    run env TZ=UTC0 "$@"
    # Wine's server now and then drops a client, saying so ("wine client error:0: recvmsg:
    # Connection reset by peer") or not (status 1, nothing written, seen once in a release): Wine's
    # hiccup, as osclock never fails without a message, so the run is made once more, saying so.
    if [ "$library" = msvcrt ] && [ "$status" -ne 0 ] && { [ ! -s "$work/err" ] || grep -q '^wine' "$work/err"; }; then
        echo "AGAIN: $name: Wine failed, exit status $status: $(head -n 1 "$work/err")"
        started=$(date +%s)
        run env TZ=UTC0 "$@"
    fi
    ended=$(date +%s)
    second=$((started - earliest))
    # A clock stepped during the run would leave years of seconds to compare.
    if [ "$status" -eq 0 ] && [ ! -s "$work/err" ] && [ $((ended - started)) -le 60 ]; then
        while [ "$second" -le "$ended" ]; do
            date -u -d "@$second" "+OS time: %-H:%-M:%-S$cr%nOS date: %-m/%-d/%Y$cr" >"$work/expected_out"
            if cmp -s "$work/out" "$work/expected_out"; then
                echo "PASS: $name: the clock at $(date -u -d "@$second")"
                return
            fi
            second=$((second + 1))
        done
    fi
    failed=1
    {
        noise=''
        [ ! -s "$work/err" ] || noise=', and wrote to standard error'
        echo "FAIL: $name: exit status $status$noise; started in second $started, ended in $ended;"
        echo "the report matches none from $((started - earliest)) to $ended:" && od -c "$work/out"
        echo "standard error:" && od -c "$work/err"
    } >&2
}

case $check in
pinned_clock)
    count=0
    # Whitespace-separated fields; the last takes the rest of the line.
    while read -r name on tz clock status_expected expected; do
        case $name in '' | '#'*) continue ;; esac
        [ "$on" = all ] || [ "$on" = "$library" ] || continue
        count=$((count + 1))
        pinned "$clock" "$tz" "$@" "$OSCLOCK_PINNED"
        if [ "$status_expected" -eq 0 ]; then
            expect "$name (TZ=$tz at $clock)" 0 "$(report "${expected% *}" "${expected#* }")" ''
        else
            expect "$name (TZ=$tz at $clock)" "$status_expected" '' "$(literal "$expected")%s\n"
        fi
    done <"$(dirname "$0")/pinned_clock.table"
    [ "$count" -gt 0 ] || { echo "FAIL: no case for $library in the table" >&2; exit 1; }
    ;;

arguments)
    # Windows takes a command line of at most 32767 characters.
    long_length=100000
    [ "$library" = msvcrt ] && long_length=32000
    long=$(printf "%${long_length}s" '' | tr ' ' x)
    morning=$(report 9:5:3 3/1/2007)
    pinned 1172739903 UTC0 "$@" "$OSCLOCK_PINNED" --help
    expect '--help' 0 "$morning" ''
    pinned 1172739903 UTC0 "$@" "$OSCLOCK_PINNED" --version -h -
    expect '--version -h -' 0 "$morning" ''
    pinned 1172739903 UTC0 "$@" "$OSCLOCK_PINNED" ''
    expect 'an empty argument' 0 "$morning" ''
    pinned 1172739903 UTC0 "$@" "$OSCLOCK_PINNED" TZ=IST-5:30 '%s%n%d'
    expect 'TZ=IST-5:30 %s%n%d' 0 "$morning" ''
    pinned 1172739903 UTC0 "$@" "$OSCLOCK_PINNED" "$(printf '\377\376') not UTF-8"
    expect 'an argument not in UTF-8' 0 "$morning" ''
    pinned 1172739903 UTC0 "$@" "$OSCLOCK_PINNED" "$long"
    expect "an argument of $long_length characters" 0 "$morning" ''
    ;;

unwritable_output)
    stdout=/dev/full
    pinned 1172739903 UTC0 "$@" "$OSCLOCK_PINNED"
    expect 'standard output on a full device' 1 '' 'osclock: write error: No space left on device%s\n'
    stdout=closed
    pinned 1172739903 UTC0 "$@" "$OSCLOCK_PINNED"
    expect 'standard output closed' 1 '' 'osclock: write error: Bad file descriptor%s\n'
    ;;

closed_pipe)
    mkfifo "$work/pipe" || exit 1
    # Linux opens a FIFO for reading and writing without waiting for a reader; closing that end
    # leaves the writing end with none.
    # shellcheck disable=SC2094 # one pipe, opened twice on purpose
    exec 3<>"$work/pipe" 4>"$work/pipe" 3<&-
    stdout=pipe
    sigpipe=ignore
    pinned 1172739903 UTC0 "$@" "$OSCLOCK_PINNED"
    expect 'SIGPIPE ignored: an error' 1 '' 'osclock: write error: Broken pipe%s\n'
    # Killed by the signal, which the shell reports as 128 + 13.
    sigpipe=default
    pinned 1172739903 UTC0 "$@" "$OSCLOCK_PINNED"
    expect 'SIGPIPE by default: ended by the signal' 141 '' ''
    ;;

close_error)
    # Every write succeeded, but closing the file failed, as NFS may report a full quota.
    fake_close=fail
    pinned 1172739903 UTC0 "$@" "$OSCLOCK_PINNED"
    expect 'the close of standard output fails' 1 "$(report 9:5:3 3/1/2007)" \
        'osclock: write error: Input/output error%s\n'
    ;;

live_report)
    # msvcrt's clock is Windows' system time as of the last tick, which Wine may take from the
    # kernel's coarse clock: either can trail date's by a tick at a second's edge.
    earliest=0
    [ "$library" = msvcrt ] && earliest=1
    started=$(date +%s)
    live 'no arguments' "$@" "$OSCLOCK"
    started=$(date +%s)
    live "arguments --help '' -x" "$@" "$OSCLOCK" --help '' -x
    ;;

*)
    echo "check.sh: no check named $check" >&2
    exit 2
    ;;
esac
exit "$failed"
