#!/bin/sh
# SPDX-License-Identifier: MIT
# Measures one run of osclock beside GNU date printing the same two lines and beside an empty
# C++ program built by the same compiler and flags, each linked dynamically and statically:
# instructions executed (callgrind), wall time (hyperfine, as a ratio to GNU date) and peak
# resident memory (GNU time, the median of 21 runs), under TZ=UTC and TZ=America/New_York.
# Prints one Markdown table.
#
# usage: bench/run.sh
# needs: cmake g++ valgrind hyperfine time tzdata (Debian package names)
set -eu
cd "$(dirname "$0")/.."

for linkage in dynamic static; do
    static=OFF
    [ "$linkage" = static ] && static=ON
    cmake -S . -B "build/bench-$linkage" -DCMAKE_BUILD_TYPE=Release -DOSCLOCK_BENCHMARKS=ON \
        -DOSCLOCK_STATIC=$static >/dev/null
    cmake --build "build/bench-$linkage" >/dev/null
done

date_format='+OS time: %-H:%-M:%-S%nOS date: %-m/%-d/%Y'
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/^==[0-9]*== Collected : //p'
}

peak_kib() {
    for _ in $(seq 21); do
        /usr/bin/time -f %M "$@" 2>&1 >/dev/null
    done | sort -n | sed -n 11p
}

# One row a program: label, then the command.
measure() {
    label=$1
    shift
    printf '%s\t%s\t%s\n' "$label" "$(instructions "$@")" "$(peak_kib "$@")" >>"$results/rows"
}

echo "| TZ | program | instructions | × empty program | × GNU date | wall time × GNU date | peak memory (KiB) |"
echo "|---|---|---:|---:|---:|---:|---:|"
for TZ in UTC America/New_York; do
    export TZ
    : >"$results/rows"
    measure "osclock" build/bench-dynamic/osclock
    measure "osclock, static" build/bench-static/osclock
    measure "empty program" build/bench-dynamic/bench/empty_program
    measure "empty program, static" build/bench-static/bench/empty_program
    measure "GNU date" date "$date_format"

    hyperfine -N --style none --warmup 20 --runs 500 --export-csv "$results/wall.csv" \
        build/bench-dynamic/osclock build/bench-static/osclock \
        build/bench-dynamic/bench/empty_program build/bench-static/bench/empty_program \
        "date '$date_format'" >/dev/null 2>&1

    # Join the rows with their mean wall times (the CSV's second column, in the same order).
    tail -n +2 "$results/wall.csv" | cut -d, -f2 | paste "$results/rows" - |
        awk -F'\t' -v tz="$TZ" '
            { label[NR] = $1; count[NR] = $2; peak[NR] = $3; wall[NR] = $4 }
            label[NR] == "empty program" { empty = $2 }
            label[NR] == "empty program, static" { empty_static = $2 }
            label[NR] == "GNU date" { date_count = $2; date_wall = $4 }
            END {
                for (i = 1; i <= NR; i++) {
                    baseline = label[i] ~ /static/ ? empty_static : empty
                    versus_empty = label[i] == "GNU date" ? "-" : sprintf("%.2f", count[i] / baseline)
                    printf "| %s | %s | %d | %s | %.2f | %.2f | %d |\n", tz, label[i], count[i],
                        versus_empty, count[i] / date_count, wall[i] / date_wall, peak[i]
                }
            }'
done
