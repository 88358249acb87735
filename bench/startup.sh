#!/usr/bin/env bash
# Start-up to idle, Tarnwick beside the bare Qt window of the same widgets (the floor):
# CPU, wall time and peak memory, medians of RUNS runs taken in turns, and their ratios.
#   bench/startup.sh [TARNWICK_BINARY]
# FLOOR_SOURCE names floor.cpp (default ../shared/perf/floor.cpp beside the checkout); RUNS (5)
# how many starts of each; QUIET_MS (300) how long a program must use no CPU to count as idle.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tarnwick="${1:-}"
if [[ -z "$tarnwick" ]]; then
    for candidate in "$here/build/release/tarnwick" "$here/build/test/tarnwick"; do
        [[ -x "$candidate" ]] && tarnwick="$candidate" && break
    done
fi
[[ -x "$tarnwick" ]] || { echo "startup.sh: no tarnwick program; build one or name it" >&2; exit 2; }
tarnwick="$(cd "$(dirname "$tarnwick")" && pwd)/$(basename "$tarnwick")"
floor_source="${FLOOR_SOURCE:-$here/../shared/perf/floor.cpp}"
[[ -f "$floor_source" ]] || { echo "startup.sh: no $floor_source; set FLOOR_SOURCE" >&2; exit 2; }
runs="${RUNS:-5}"
quiet_us=$(( ${QUIET_MS:-300} * 1000 ))
tick_ms=$(( 1000 / $(getconf CLK_TCK) ))

scratch="$(mktemp -d)"
running=""
finish() {
    [[ -n "$running" ]] && kill -KILL "$running" 2>/dev/null
    rm -rf "$scratch"
}
trap finish EXIT

# The floor, built the way its README says.
# shellcheck disable=SC2046
g++ -O2 -std=c++20 -fPIC "$floor_source" -o "$scratch/floor" $(pkg-config --cflags --libs Qt6Widgets)

export QT_QPA_PLATFORM=offscreen
# Into globals, not through $(...): the polling forks nothing while the program starts.
now_us() { now="${EPOCHREALTIME/./}"; now=$((10#$now)); }
# utime + stime of the process, in clock ticks; fails once it has ended.
cpu_ticks() {
    local stat
    read -r stat <"/proc/$1/stat" 2>/dev/null || return 1
    stat="${stat##*) }" # past the command's name, which may hold blanks
    local -a f
    read -ra f <<<"$stat"
    [[ "${f[0]}" != Z ]] || return 1
    ticks=$((f[11] + f[12]))
}
peak_kb() {
    local key value unit
    while read -r key value unit; do
        [[ "$key" == "VmHWM:" ]] && echo "$value" && return
    done <"/proc/$1/status"
}

# Starts the program in a folder, waits until it has used no CPU for QUIET_MS, prints
# "cpu_ms wall_ms peak_kb" (wall time up to its last CPU use) and ends it politely.
measure() {
    local folder="$1"
    shift
    local start last_change ticks seen=-1 now
    now_us
    start=$now
    (cd "$folder" && exec "$@" 2>/dev/null) &
    running=$!
    last_change=$start
    while :; do
        cpu_ticks "$running" || { echo "startup.sh: $1 ended before it was idle" >&2; exit 1; }
        now_us
        if ((ticks != seen)); then
            seen=$ticks
            last_change=$now
        elif ((now - last_change >= quiet_us)); then
            break
        fi
        sleep 0.01
    done
    echo "$((ticks * tick_ms)) $(((last_change - start) / 1000)) $(peak_kb "$running")"
    kill -TERM "$running"
    wait "$running" || true
    running=""
}

# The four default files, made by one start of the program.
mkdir "$scratch/data"
measure "$scratch/data" "$tarnwick" --simulate >/dev/null
for file in config.txt names.txt schedule.txt Sunrise.txt; do
    [[ -f "$scratch/data/$file" ]] || { echo "startup.sh: the first start made no $file" >&2; exit 1; }
done
rm -f "$scratch/data/history.txt"

for ((i = 0; i < runs; ++i)); do
    measure "$scratch" "$scratch/floor" >>"$scratch/floor.txt"
    measure "$scratch/data" "$tarnwick" --simulate >>"$scratch/tarnwick.txt"
done

median() { cut -d' ' -f"$1" "$2" | sort -n | sed -n "$(((runs + 1) / 2))p"; }
ratio() { local r=$((($1 * 100 + $2 / 2) / $2)); printf '%d.%02dx' $((r / 100)) $((r % 100)); }

echo "start-up to idle, medians of $runs ($(basename "$tarnwick") in a folder of the four default files)"
printf '%-10s %10s %10s %10s\n' "" tarnwick floor ratio
for column in 1:"cpu ms" 2:"wall ms" 3:"peak kB"; do
    n="${column%%:*}"
    t=$(median "$n" "$scratch/tarnwick.txt")
    f=$(median "$n" "$scratch/floor.txt")
    printf '%-10s %10s %10s %10s\n' "${column#*:}" "$t" "$f" "$(ratio "$t" "$f")"
done
