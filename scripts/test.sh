#!/usr/bin/env bash
# Sets up, builds and runs every test: the pure code natively with
# sanitizers and the scripts' own tests (bats, against stub programs), a
# fixed run of every fuzz target from its kept seeds, what ships checked on
# the 32-bit build (imports, sizes, versions: they only read the binaries),
# then the Windows tests under Wine: the 32-bit build's where this machine
# runs 32-bit programs, and the 64-bit build's on every machine, so that
# the fallback never rots. Each Wine suite runs in its build's own prefix,
# its lines marked with the build's name, beside the builds and host tests
# that follow it.
#   scripts/test.sh [ctest arguments for the Wine runs]
# WD_TEST_BUILD=host, mingw or mingw64 runs that part alone (an inner loop;
# several may be named, "mingw mingw64");
# WD_NO_WIN32=1 acts as on a machine that cannot run 32-bit programs.
# The summary at the end (build/test-summary.txt) gives each part's count,
# every test that passed only on its second try, and each stage's time.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
scripts/setup.sh
. scripts/machine.sh

only="${WD_TEST_BUILD:-}"
want() { [ -z "$only" ] || [[ " $only " == *" $1 "* ]]; }
failed=0
mkdir -p build
summary=build/test-summary.txt
times=build/test-times.txt
: >"$summary"
: >"$times"
machine="$(uname -m), $(. /etc/os-release 2>/dev/null && echo "$PRETTY_NAME"), $(nproc) cores"

# stage NAME COMMAND...: COMMAND, its time noted for the summary.
stage() {
    local name=$1 start=$SECONDS status=0
    shift
    "$@" || status=$?
    echo "$name: $((SECONDS - start)) s" >>"$times"
    return "$status"
}

# run_ctest PRESET [args]: ctest with the output of each failing test in its
# log (build/PRESET/ctest.log) and its lines marked "PRESET:". A test that
# fails is run once more and fails the run only if it fails again: Wine 8
# now and then ends a test program that passed with SIGSEGV. The summary
# names every test that needed the second try.
run_ctest() {
    local preset=$1 status=0 log=build/$1/ctest.log retries=build/$1/second-tries.log
    shift
    mkdir -p "build/$preset"
    rm -f "$retries"
    ctest --preset "$preset" --output-on-failure "$@" 2>&1 | tee "$log" | sed -u "s/^/$preset: /" ||
        status=$?
    local line
    line=$(grep -E 'tests passed|tests failed' "$log" | tail -1 || true)
    echo "$preset: ${line:-no test count (ctest exit status $status)}" >>"$summary"
    # What Wine ended or refused and a second try did: a test program's
    # listing (scripts/wine-exec.sh), the installer tests' probe (lib.sh), a
    # program a test starts (tests/support/ChildProcess.cpp).
    [ -s "$retries" ] && sed "s/^/$preset: needed a second try: /" "$retries" >>"$summary"
    [ "$status" -eq 0 ] && return 0
    local list="build/$preset/Testing/Temporary/LastTestsFailed.log" names
    names=$(cut -d: -f2- "$list" 2>/dev/null || true)
    if [ -z "$names" ]; then
        failed=1
        return 0
    fi
    status=0
    ctest --preset "$preset" --output-on-failure --rerun-failed "$@" 2>&1 |
        tee "build/$preset/ctest-second-try.log" | sed -u "s/^/$preset (second try): /" || status=$?
    local name
    while IFS= read -r name; do
        if grep -qE "Test +#[0-9]+: $name \.+ +Passed" "build/$preset/ctest-second-try.log"; then
            echo "$preset: passed only on its second try: $name" >>"$summary"
        else
            echo "$preset: failed twice: $name" >>"$summary"
        fi
    done <<<"$names"
    [ "$status" -eq 0 ] || failed=1
}

# wine_suite PRESET [args]: the build's Wine prefix started, its tests run
# through run_ctest two at a time (the tests that drive the stand-in driver
# hold a lock and still run one by one), the prefix stopped. (errexit does
# not hold inside a subshell on the left of ||, hence the explicit exits.)
wine_suite() {
    (
        . scripts/wine-env.sh "$1"
        wd_wine_start || exit 1
        [ -z "$WD_BOOT_RETRY" ] || echo "$1: started on a second try: $WD_BOOT_RETRY" >>"$summary"
        run_ctest "$1" -j 2 "${@:2}"
        exit "$failed"
    )
}

# cross_build PRESET [cmake arguments]: configured and built, at a lower
# priority than the Wine tests that may already run beside it (their waits
# are bounded in time); a build that fails fails the run.
cross_build() {
    local preset=$1
    shift
    cmake --preset "$preset" "$@" >/dev/null && nice -n 10 cmake --build --preset "$preset" &&
        return 0
    echo "$preset: the build failed" >>"$summary"
    return 1
}

host_tests() {
    cmake --preset host >/dev/null
    nice -n 10 cmake --build --preset host
    run_ctest host -j "$(nproc)"
    # The scripts' branches for every kind of machine, against stubs.
    bats tests/scripts || failed=1
    # Every kept seed replayed, then a fixed run (scripts/fuzz.sh explores
    # at random for as long as it is asked).
    nice -n 10 scripts/fuzz.sh -smoke || failed=1
    return "$failed"
}

win32=1
wd_runs_32bit || win32=0
suites=()
if want mingw; then
    if [ "$win32" -eq 1 ]; then
        suites+=(mingw)
    else
        echo "test: the 32-bit build's Wine tests are left out: $WD_NO_32BIT_WHY; what ships is still checked (ship.*)"
    fi
fi
if want mingw64; then
    echo "test: the 64-bit build leaves out the checks of what ships (ship.*, and the shipped installer's imports): they are about the 32-bit product; ctest names each one as not run. Its installer tests run the 64-bit variant of the installer (build/release64)"
    suites+=(mingw64)
fi

# Each Wine suite starts as soon as its build is done and the suite before
# it has ended; the next build and the host's tests run beside it at a lower
# priority. Two suites side by side were measured no faster on two cores:
# together they need all of both for the whole run, and their tests' waits,
# bounded in time, then overran now and then.
# The utility's endurance runs (a day of ticks, a thousand sheet openings)
# take minutes and find the same leaks in either build: where the 32-bit
# suite runs, the 64-bit one leaves them out.
endurance='Endurance\.(ADayOfTicks|AThousandSheetOpenings)'
pids=()
previous=""
for suite in "${suites[@]}"; do
    args=()
    [ "$suite" = mingw ] && args=(-DWD_WINE_TESTS=ON)
    stage "$suite build" cross_build "$suite" "${args[@]}" || {
        failed=1
        continue
    }
    args=("$@")
    if [ "$suite" = mingw64 ] && [[ " ${suites[*]} " == *" mingw "* ]]; then
        echo "test: the endurance runs ($endurance) run in the 32-bit build only"
        args+=(-E "$endurance")
    fi
    ended="build/$suite/suite-ended"
    rm -f "$ended"
    (
        while [ -n "$previous" ] && [ ! -e "$previous" ]; do sleep 1; done
        status=0
        stage "$suite Wine tests" wine_suite "$suite" "${args[@]}" || status=1
        touch "$ended"
        exit "$status"
    ) &
    pids+=($!)
    previous=$ended
done

if want mingw && [ "$win32" -eq 0 ]; then
    if stage "mingw build" cross_build mingw -DWD_WINE_TESTS=OFF; then
        stage "mingw checks of what ships" run_ctest mingw
    else
        failed=1
    fi
fi

if want host; then
    stage "host build and tests, scripts' tests, fuzz replay" host_tests || failed=1
fi

for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done

echo "all: $((SECONDS - started)) s" >>"$times"
{
    echo "on $machine"
    cat "$summary"
    sed 's/^/time: /' "$times"
} >"$summary.new"
mv "$summary.new" "$summary"
echo
sed 's/^/test: /' "$summary"
exit "$failed"
