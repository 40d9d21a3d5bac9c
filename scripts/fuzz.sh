#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs them one after another. Each starts
# from its seeds in fuzz/corpus/<target> and from what earlier runs on this
# machine found (build/fuzz/corpus/<target>, where new inputs go).
#   scripts/fuzz.sh [-runs N | -seconds S | -smoke] [target...]
# Default: 10 million executions of every target, exploring at random. An
# input that makes a target fail is kept as build/fuzz/artifacts/<target>-
# crash-...; the script then fails. Logs: build/fuzz/logs/<target>.log.
# WD_FUZZ_BUILD names another build folder than build/fuzz (a long run
# beside the short ones).
# -smoke is the test command's run: every kept seed (fuzz/corpus/<target>,
# where the inputs that once failed stay as regression seeds) replayed,
# then a fixed number of executions from a fixed random seed, and nothing
# of earlier runs: the same run on every machine, every time.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${WD_FUZZ_BUILD:-build/fuzz}"

limit=(-runs=10000000)
smoke=0
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
    -runs) limit=(-runs="$2"); shift 2 ;;
    -seconds) limit=(-max_total_time="$2"); shift 2 ;;
    -smoke) smoke=1 limit=(-runs=20000 -seed=1); shift ;;
    *) targets+=("$1"); shift ;;
    esac
done

cmake -S fuzz -B "$out" -G Ninja >/dev/null
cmake --build "$out"
if [ ${#targets[@]} -eq 0 ]; then
    for exe in "$out"/bin/fuzz_*; do targets+=("${exe##*/fuzz_}"); done
fi

mkdir -p "$out/artifacts" "$out/logs"
failed=0
for t in "${targets[@]}"; do
    # New inputs go to the first folder: the smoke run's are thrown away.
    found="$out/corpus/$t"
    if [ "$smoke" -eq 1 ]; then
        found="$out/smoke/$t"
        rm -rf "$found"
    fi
    mkdir -p "$found"
    log="$out/logs/$t.log"
    status=ok
    "$out/bin/fuzz_$t" "${limit[@]}" -print_final_stats=1 \
        -artifact_prefix="$out/artifacts/$t-" \
        "$found" "fuzz/corpus/$t" >"$log" 2>&1 || status=FAILED
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    echo "fuzz_$t: ${runs:-?} executions in ${seconds:-?} s: $status"
    if [ "$status" != ok ]; then
        failed=1
        grep -E 'ERROR|check failed|SUMMARY|Test unit written' "$log" | head -20 || true
    fi
done
exit $failed
