#!/bin/sh
# SPDX-License-Identifier: MIT
# Measures one run of osclock beside an empty C++ program built by the same compiler and flags,
# each linked dynamically and statically, and beside GNU date printing the same two lines in the
# C locale and in a UTF-8 one (where it loads locale data): instructions executed (callgrind),
# wall time (hyperfine, the fastest of 500 runs, as a ratio to the empty program's) and peak
# resident memory (GNU time, the median of 21 runs), under TZ=UTC and TZ=America/New_York. Every
# program runs in the same small environment, TZ and LC_ALL alone, as the counts move with the
# environment's size. Prints one Markdown table.
#
# usage: bench/run.sh
#        after sh .ci/targets install bench, which installs what it needs
set -eu
cd "$(dirname "$0")/.."

fail() {
    echo "bench: $*" >&2
    exit 1
}
# Each tool by its Debian package: a missing one would measure nothing.
for tool_and_package in valgrind:valgrind hyperfine:hyperfine /usr/bin/time:time \
    /usr/share/zoneinfo/America/New_York:tzdata; do
    tool=${tool_and_package%:*}
    command -v "$tool" >/dev/null 2>&1 || test -e "$tool" ||
        fail "needs $tool: install the ${tool_and_package##*:} package"
done

for linkage in dynamic static; do
    static=OFF
    [ "$linkage" = static ] && static=ON
    cmake -S . -B "build/bench-$linkage" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DOSCLOCK_BENCHMARKS=ON \
        -DOSCLOCK_STATIC=$static -DOSCLOCK_REQUIRE_LLD=ON >/dev/null
    cmake --build "build/bench-$linkage" >/dev/null
done

date_format='+OS time: %-H:%-M:%-S%nOS date: %-m/%-d/%Y'
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# Runs COMMAND in the environment of the row being measured, the same small one for every program.
in_row_environment() {
    env -i TZ="$TZ" LC_ALL="$locale" "$@"
}
instructions() {
    in_row_environment valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/^==[0-9]*== Collected : //p'
}
peak_kib() {
    for _ in $(seq 21); do
        in_row_environment /usr/bin/time -f %M "$@" 2>&1 >/dev/null
    done | sort -n | sed -n 11p
}
fastest_seconds() {
    command=
    for word in "$@"; do
        command="$command '$word'"
    done
    in_row_environment hyperfine -N --style none --warmup 20 --runs 500 \
        --export-csv "$results/wall.csv" "$command" >/dev/null 2>&1
    awk -F, 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == "min") column = i } NR == 2 { print $column }' \
        "$results/wall.csv"
}

# One row a program: its label, the locale it runs in, then the command.
measure() {
    label=$1
    locale=$2
    shift 2
    count=$(instructions "$@")
    seconds=$(fastest_seconds "$@")
    kib=$(peak_kib "$@")
    for value in "$count" "$seconds" "$kib"; do
        case $value in
        '' | *[!0-9.e-]*) fail "$label: no measurement (instructions '$count', seconds '$seconds', KiB '$kib')" ;;
        esac
    done
    printf '%s\t%s\t%s\t%s\n' "$label" "$count" "$seconds" "$kib" >>"$results/rows"
}

# shellcheck source=/dev/null # the system's own
. /etc/os-release
echo "$PRETTY_NAME, $(ldd --version | head -n 1 | sed 's/.* //') glibc, $(c++ -dumpfullversion) GCC, $(uname -m):"
echo
echo "| TZ | program | instructions | × empty program | wall time × empty program | peak memory (KiB) |"
echo "|---|---|---:|---:|---:|---:|"
for TZ in UTC America/New_York; do
    : >"$results/rows"
    measure "osclock" C build/bench-dynamic/osclock
    measure "osclock, static" C build/bench-static/osclock
    measure "empty program" C build/bench-dynamic/bench/empty_program
    measure "empty program, static" C build/bench-static/bench/empty_program
    measure "GNU date, C locale" C /usr/bin/date "$date_format"
    measure "GNU date, C.UTF-8 locale" C.UTF-8 /usr/bin/date "$date_format"

    # Static programs against the static empty one, the others against the dynamic one.
    awk -F'\t' -v tz="$TZ" '
        { label[NR] = $1; count[NR] = $2; wall[NR] = $3; peak[NR] = $4 }
        label[NR] == "empty program" { empty = NR }
        label[NR] == "empty program, static" { empty_static = NR }
        END {
            for (i = 1; i <= NR; i++) {
                baseline = label[i] ~ /static/ ? empty_static : empty
                printf "| %s | %s | %d | %.2f | %.2f | %d |\n", tz, label[i], count[i],
                    count[i] / count[baseline], wall[i] / wall[baseline], peak[i]
            }
        }' "$results/rows"
done
