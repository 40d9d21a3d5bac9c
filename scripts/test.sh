#!/usr/bin/env bash
# Sets up, builds and runs every test: the pure code natively with
# sanitizers, a short run of every fuzz target, what ships checked on the
# 32-bit build (imports, sizes, versions: they only read the binaries), then
# the Windows tests under Wine: the 32-bit build's where this machine runs
# 32-bit programs, and the 64-bit build's on every machine, so that the
# fallback never rots.
#   scripts/test.sh [ctest arguments for the Wine runs]
# WD_TEST_BUILD=host, mingw or mingw64 runs that part alone (an inner loop);
# WD_NO_WIN32=1 acts as on a machine that cannot run 32-bit programs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/machine.sh

only="${WD_TEST_BUILD:-}"
want() { [ -z "$only" ] || [ "$only" = "$1" ]; }
failed=0
summary=build/test-summary.txt
mkdir -p build
: >"$summary"

# run_ctest PRESET [args]: ctest with its log kept (build/PRESET/ctest.log)
# and its count noted for the summary.
run_ctest() {
    local preset=$1 status=0
    shift
    ctest --preset "$preset" "$@" 2>&1 | tee "build/$preset/ctest.log" || status=$?
    local line
    line=$(grep -E 'tests passed|tests failed' "build/$preset/ctest.log" | tail -1 || true)
    echo "$preset: ${line:-no test count (ctest exit status $status)}" >>"$summary"
    [ "$status" -eq 0 ] || failed=1
}

# wine_ctest PRESET [args]: the build's Wine prefix started, its tests run
# through run_ctest, the prefix stopped. A test that fails is run once more,
# and fails the run only if it fails again: Wine 8 now and then ends a test
# program with SIGSEGV after every test in it has passed (seen once, after a
# test that registers for device notifications through the system). The log
# keeps the first failure. (errexit does not hold inside a subshell on the
# left of ||, hence the explicit exits.)
wine_ctest() {
    (
        . scripts/wine-env.sh "$1"
        wd_wine_start || exit 1
        run_ctest "$1" --repeat until-pass:2 "${@:2}"
        exit "$failed"
    ) || failed=1
}

if want host; then
    cmake --preset host >/dev/null
    cmake --build --preset host
    run_ctest host
    # A short run of every fuzz target from its seeds (scripts/fuzz.sh runs
    # them long).
    scripts/fuzz.sh -seconds 3 || failed=1
fi

win32=1
wd_runs_32bit || win32=0

if want mingw; then
    if [ "$win32" -eq 1 ]; then
        cmake --preset mingw -DWD_WINE_TESTS=ON >/dev/null
        cmake --build --preset mingw
        wine_ctest mingw "$@"
    else
        echo "test: the 32-bit build's Wine tests are left out: $WD_NO_32BIT_WHY; what ships is still checked (ship.*)"
        cmake --preset mingw -DWD_WINE_TESTS=OFF >/dev/null
        cmake --build --preset mingw
        run_ctest mingw
    fi
fi

if want mingw64; then
    cmake --preset mingw64 >/dev/null
    cmake --build --preset mingw64
    echo "test: the 64-bit build leaves out the checks of what ships (ship.*, and the shipped installer's imports): they are about the 32-bit product; ctest names each one as not run. Its installer tests run the 64-bit variant of the installer (build/release64)"
    wine_ctest mingw64 "$@"
fi

echo
sed 's/^/test: /' "$summary"
exit "$failed"
