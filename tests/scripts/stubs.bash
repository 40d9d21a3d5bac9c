# Loaded by the scripts' bats tests, whose setup it is. Every program a script may start on
# this machine's behalf (Wine, its server, Xvfb, the 32-bit probe, the
# package tools, cmake and ctest) is a stub that records how it was called,
# one line each in $STUB_LOG, and ends as STUB_STATUS_<name> says (0 by
# default). PATH holds the stubs and the system's other programs, without
# the real ones, so that no case depends on what this machine has.

bats_require_minimum_version 1.5.0 # run -N
WD_SRC=$(cd "$BATS_TEST_DIRNAME/../.." && pwd)
STUBBED=(wine wine64 wineserver wineserver64 Xvfb elf32-probe uname id dpkg dpkg-query
    apt-get sudo cmake ctest import convert)

# The system's programs but the stubbed ones, once per file.
stubs_setup_file() {
    export SYSBIN="$BATS_FILE_TMPDIR/sysbin"
    mkdir -p "$SYSBIN"
    # One pipeline: bats traces every line of a shell loop, which makes a
    # loop over two thousand programs take seconds.
    find /usr/local/bin /usr/bin /usr/sbin -mindepth 1 -maxdepth 1 2>/dev/null |
        awk -F/ -v stubbed="${STUBBED[*]}" '
            BEGIN { n = split(stubbed, s, " "); for (i = 1; i <= n; i++) skip[s[i]] = 1 }
            !($NF in skip) && $NF !~ /^(Xvfb|wine|elf32-probe)/ && !seen[$NF]++' |
        xargs -d '\n' ln -s -t "$SYSBIN"
}

# Each case: fresh stubs and log, no display, an x86-64 machine that runs
# 32-bit programs unless the case says otherwise.
stubs_setup() {
    STUBS="$BATS_TEST_TMPDIR/stubs"
    export STUB_LOG="$BATS_TEST_TMPDIR/calls.log"
    export WD_X_TMP="$BATS_TEST_TMPDIR/x"
    export WD_ELF32_PROBE="$STUBS/elf32-probe"
    mkdir -p "$STUBS" "$WD_X_TMP/.X11-unix"
    : >"$STUB_LOG"
    local name
    for name in "${STUBBED[@]}"; do
        stub "$name"
    done
    export PATH="$STUBS:$SYSBIN"
    unset DISPLAY WD_NO_WIN32 WD_DPI WD_TEST_BUILD
}

# stub NAME: (re)writes the stub NAME. Wine's loaders log the prefix kind
# too ("wine64 [win64] wineboot"); a loader asked to run wineboot ends as
# STUB_STATUS_wineboot says. Xvfb, when it is to succeed, takes its
# display's lock and makes its socket under $WD_X_TMP, and stays until it is
# ended.
stub() {
    cat >"$STUBS/$1" <<'STUB'
#!/bin/bash
name=${0##*/}
case "$name" in
wine | wine64) echo "$name [${WINEARCH:-}] $*" >>"$STUB_LOG" ;;
*) echo "$name $*" >>"$STUB_LOG" ;;
esac
status_of() { local v="STUB_STATUS_$1"; echo "${!v:-0}"; }
status=$(status_of "${name//-/_}")
case "$name" in
wine | wine64)
    [ "${1:-}" = wineboot ] && status=$(status_of wineboot)
    # STUB_FAILS_ONCE=ARG: the first run with that argument fails.
    if [[ -n "${STUB_FAILS_ONCE:-}" && " $* " == *" $STUB_FAILS_ONCE "* && ! -e "$STUB_LOG.once" ]]; then
        touch "$STUB_LOG.once"
        status=3
    fi
    [ "$status" -eq 0 ] && [[ " $* " == *" --gtest_list_tests "* ]] && echo "Suite."$'\n'"  Test"
    # As the real reg: a query of a value that is not there fails.
    if [ "${1:-}" = reg ] && [ "${2:-}" = query ]; then
        [ -n "${STUB_LOGPIXELS:-}" ] && printf '    LogPixels    REG_DWORD    0x%x\r\n' "$STUB_LOGPIXELS"
        [ -n "${STUB_LOGPIXELS:-}" ] || status=1
    fi
    ;;
uname) [ "${1:-}" = -m ] && echo "${STUB_MACHINE:-x86_64}" ;;
id) echo 0 ;;
ctest)
    # Passes, but for STUB_CTEST_FAILS, a test that fails on the first try
    # and, when it is also STUB_CTEST_FAILS_TWICE, on the second.
    preset=$(sed -n 's/.*--preset \([^ ]*\).*/\1/p' <<<"$*")
    name=${STUB_CTEST_FAILS:-}
    if [ -n "$name" ] && { [[ " $* " != *" --rerun-failed "* ]] || [ "${STUB_CTEST_FAILS_TWICE:-}" = "$name" ]; }; then
        mkdir -p "build/$preset/Testing/Temporary"
        echo "7:$name" >"build/$preset/Testing/Temporary/LastTestsFailed.log"
        echo "1/1 Test  #7: $name ..........   ***Failed    0.10 sec"
        echo "0% tests passed, 1 tests failed out of 1"
        status=8
    else
        [ -n "$name" ] && echo "1/1 Test  #7: $name ..........   Passed    0.10 sec"
        echo "100% tests passed, 0 tests failed out of 1"
    fi
    ;;
dpkg-query) [ "${STUB_INSTALLED:-none}" = all ] && printf 'install ok installed' ;;
Xvfb)
    if [ "$status" -eq 0 ]; then
        # As the real one: the display's lock is taken first, or it ends.
        lock="$WD_X_TMP/.X${1#:}-lock" socket="$WD_X_TMP/.X11-unix/X${1#:}"
        (set -o noclobber && echo $$ >"$lock") 2>/dev/null || exit 1
        trap 'rm -f "$socket" "$lock"; exit 0' TERM
        touch "$socket"
        while :; do sleep 0.1; done
    fi
    ;;
esac
exit "$status"
STUB
    chmod +x "$STUBS/$1"
}

# The lines of the log that start with PROGRAM.
calls() {
    grep -E "^$1( |\$)" "$STUB_LOG" || true
}

# A copy of the scripts in a tree of the case's own ($TREE), so that the
# prefixes, logs and build folders they make stay out of the real one.
copy_tree() {
    TREE="$BATS_TEST_TMPDIR/src"
    mkdir -p "$TREE/tests"
    cp -r "$WD_SRC/scripts" "$TREE/"
    cp -r "$WD_SRC/tests/installer" "$TREE/tests/"
}

setup_file() { stubs_setup_file; }
setup() {
    stubs_setup
    copy_tree
}

# A table's row that failed: the row, the output and what was called.
mismatch() {
    echo "row: $1"
    echo "output: $output"
    echo "calls:"
    cat "$STUB_LOG"
    return 1
}
