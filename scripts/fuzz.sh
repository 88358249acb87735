#!/usr/bin/env bash
# Builds the libFuzzer targets over the data-file readers and the broker's messages and runs each for the
# given number of seconds (default 30) on a scratch copy of its seed corpus.
# Exits non-zero on any crash, leak, timeout or sanitizer report; the input
# that caused it is kept under <build>/fuzz-runs/<target>/.
#
#   scripts/fuzz.sh [seconds-per-target]
#
# TARNWICK_FUZZ_BUILD overrides the build folder (default build/fuzz in the checkout);
# TARNWICK_FUZZ_TARGETS runs a subset, e.g. "fuzz_names fuzz_config".
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/common.sh
source "$root/scripts/common.sh"

seconds=${1:-30}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [seconds-per-target]" >&2
    exit 2
fi
build=${TARNWICK_FUZZ_BUILD:-$root/build/fuzz}
targets=${TARNWICK_FUZZ_TARGETS:-fuzz_config fuzz_names fuzz_notation fuzz_schedule fuzz_sunrise fuzz_settings fuzz_mqtt}

tarnwick_install_packages cmake make clang libclang-rt-dev

mkdir -p "$build"
# shellcheck disable=SC2086 # one target per word
if ! { (cd "$root" && cmake --preset fuzz -B "$build") &&
    cmake --build "$build" -j "$(tarnwick_jobs)" --target $targets; } >"$build/build-log.txt" 2>&1; then
    cat "$build/build-log.txt" >&2
    exit 1
fi

# The longest input worth trying: whole files for the small formats, with room for
# a name line past its 4096 bytes, a full schedule.txt (344 064 bytes) and
# Sunrise.txt (30 720 bytes) for the large ones.
max_len() {
    case $1 in
    fuzz_names) echo 16384 ;;
    fuzz_schedule) echo 400000 ;;
    fuzz_sunrise) echo 65536 ;;
    *) echo 4096 ;;
    esac
}

# The broker's messages have words of their own; the files share their notation's.
dictionary() {
    case $1 in
    fuzz_mqtt) echo "$root/fuzz/mqtt.dict" ;;
    *) echo "$root/fuzz/notation.dict" ;;
    esac
}

runs="$build/fuzz-runs"
failed=()
printf '%-14s %12s %9s  %s\n' target executions seconds result
for target in $targets; do
    work="$runs/$target"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/crashes"
    # New inputs go to the scratch copy, never into the committed corpus.
    cp -R "$root/fuzz/corpus/$target/." "$work/corpus/"
    set +e
    (cd "$work" && "$build/fuzz/$target" -max_total_time="$seconds" -max_len="$(max_len "$target")" \
        -timeout=10 -rss_limit_mb=2048 -dict="$(dictionary "$target")" -print_final_stats=1 \
        -artifact_prefix="$work/crashes/" "$work/corpus") >"$work/log.txt" 2>&1
    status=$?
    set -e
    done_line=$(grep -E '^Done [0-9]+ runs in [0-9]+ second' "$work/log.txt" | tail -n 1 || true)
    execs=$(sed -E 's/^Done ([0-9]+) runs in ([0-9]+) second.*/\1/' <<<"$done_line")
    secs=$(sed -E 's/^Done ([0-9]+) runs in ([0-9]+) second.*/\2/' <<<"$done_line")
    result=ok
    if [ "$status" -ne 0 ] || [ -z "$done_line" ] ||
        grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:|fuzz property violated' "$work/log.txt"; then
        result="FAILED (exit $status), see $work/log.txt and $work/crashes/"
        failed+=("$target")
    fi
    printf '%-14s %12s %9s  %s\n' "$target" "${execs:--}" "${secs:--}" "$result"
done

if [ ${#failed[@]} -ne 0 ]; then
    for target in "${failed[@]}"; do
        echo "---- $target" >&2
        grep -E -A 12 'ERROR:|runtime error:|fuzz property violated|ALARM|out-of-memory' "$runs/$target/log.txt" | head -n 40 >&2 || true
    done
    exit 1
fi
