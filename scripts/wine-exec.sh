#!/usr/bin/env bash
# Runs a Windows program under the Wine that runs BUILD (machine.sh's
# choice): ctest's emulator for the cross builds.
#   scripts/wine-exec.sh mingw|mingw64 PROGRAM [ARG...]
# ctest lists a test program's tests through it before the run, and one
# listing that fails ends the whole run: a listing is tried twice (Wine now
# and then ends a program before its output is out), and one that needed
# the second try is noted in build/BUILD/second-tries.log.
. "$(dirname "${BASH_SOURCE[0]}")/machine.sh"
build=$1
wd_wine_for "$build" || exit 2
shift
case " $* " in
*" --gtest_list_tests "*)
    status=0
    out=$("$WD_WINE" "$@") || status=$?
    if [ "$status" -ne 0 ]; then
        log="$(dirname "${BASH_SOURCE[0]}")/../build/$build/second-tries.log"
        mkdir -p "${log%/*}"
        echo "listing of ${1##*/}: exit status $status, ${#out} bytes of output" >>"$log"
        exec "$WD_WINE" "$@"
    fi
    printf '%s\n' "$out"
    ;;
*) exec "$WD_WINE" "$@" ;;
esac
