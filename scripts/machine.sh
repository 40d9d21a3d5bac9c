# Sourced by the other scripts and by the installer tests: what this machine
# can run, and each choice that follows from it, made here once: which
# build runs, which Wine runs a build, which display it gets, how a prefix
# is started. Each function that cannot do its part says why in one line,
# prefixed with the caller's name (WHO).

# wd_runs_32bit: true when this machine runs 32-bit x86 programs (and so
# 32-bit Wine). Some x86-64 hosts turn IA-32 emulation off; every 32-bit
# program then fails with "Exec format error". WD_NO_WIN32=1 makes the
# scripts act as on such a machine. On false, WD_NO_32BIT_WHY says why.
# WD_ELF32_PROBE names another program to try in place of the built-in one
# (the scripts' own tests stub it).
wd_runs_32bit() {
    WD_NO_32BIT_WHY=""
    if [ "${WD_NO_WIN32:-0}" = 1 ]; then
        WD_NO_32BIT_WHY="WD_NO_WIN32=1 is set"
        return 1
    fi
    if [ "$(uname -m)" != x86_64 ] && [ "$(uname -m)" != i686 ]; then
        WD_NO_32BIT_WHY="this machine is $(uname -m), not x86"
        return 1
    fi
    local probe=${WD_ELF32_PROBE:-} made=""
    if [ -z "$probe" ]; then
        # The smallest 32-bit Linux program: one ELF header, one program
        # header, and exit(0) through int 0x80.
        local dir
        dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build"
        mkdir -p "$dir"
        probe=$(mktemp "$dir/elf32-probe.XXXXXX")
        made=$probe
        printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$probe"
        chmod +x "$probe"
    fi
    local status=0
    "$probe" </dev/null >/dev/null 2>&1 || status=$?
    [ -n "$made" ] && rm -f "$made"
    if [ "$status" -ne 0 ]; then
        WD_NO_32BIT_WHY="this machine cannot run 32-bit programs (the kernel refuses them: IA-32 emulation is off)"
        [ "$status" -ne 126 ] && WD_NO_32BIT_WHY="a 32-bit test program failed with exit status $status"
        return 1
    fi
    return 0
}

# wd_choose_build WHO: the Wine build this machine runs, WD_CHOSEN_BUILD:
# mingw (32-bit, what ships) where 32-bit programs run, else mingw64, which
# WHO then announces in one line. WD_CHOSEN_RELEASE is the stripped preset
# of the same kind (release or release64).
wd_choose_build() {
    WD_CHOSEN_BUILD=mingw
    WD_CHOSEN_RELEASE=release
    if ! wd_runs_32bit; then
        WD_CHOSEN_BUILD=mingw64
        WD_CHOSEN_RELEASE=release64
        echo "$1: the 64-bit build under 64-bit Wine: $WD_NO_32BIT_WHY"
    fi
}

# wd_wine_for BUILD: the Wine that runs BUILD's programs. WD_WINE is its
# loader (wineboot, winepath and the rest run through it), WD_WINESERVER its
# server, WD_WINEARCH the kind of prefix it needs; WD_WINE_BUILD is BUILD.
#   mingw    32-bit Wine: Debian's wine and wineserver, a win32 prefix
#   mingw64  64-bit Wine: wine64 and wineserver64, a win64 prefix. Debian's
#            wine picks the 32-bit loader whenever it is installed, so the
#            64-bit one is named; it lives in /usr/lib/wine, off PATH.
# Each is looked for on PATH first, then in /usr/lib/wine (WD_WINE_DIR: the
# scripts' own tests name another); one that is not there keeps its bare
# name, so that starting it fails and says so. A shell function named
# `wine` runs them with `command`: otherwise, with that bare name, it would
# call itself until bash runs out of stack.
wd_wine_for() {
    local loader server
    case "$1" in
    mingw) loader=wine server=wineserver WD_WINEARCH=win32 ;;
    mingw64) loader=wine64 server=wineserver64 WD_WINEARCH=win64 ;;
    *)
        echo "wd_wine_for: no Wine runs the build \"$1\" (mingw or mingw64)" >&2
        return 2
        ;;
    esac
    WD_WINE_BUILD=$1
    local dir=${WD_WINE_DIR:-/usr/lib/wine}
    WD_WINE=$(PATH="$PATH:$dir" type -P "$loader") || WD_WINE=$loader
    WD_WINESERVER=$(PATH="$PATH:$dir" type -P "$server") || WD_WINESERVER=$server
}

# wd_display_start WHO FIRST LAST: where no DISPLAY is set, an Xvfb on the
# first free display from :FIRST to :LAST, exported as DISPLAY, its process
# WD_XVFB_PID. Another script starting at the same moment may take a display
# first; then the next is tried. Without one it says why and returns 1 (the
# caller decides whether windows matter). WD_X_TMP is where X servers keep
# their sockets and locks (/tmp; the scripts' own tests name another).
wd_display_start() {
    WD_XVFB_PID=""
    [ -n "${DISPLAY:-}" ] && return 0
    if ! command -v Xvfb >/dev/null; then
        echo "$1: Xvfb is not installed (package xvfb); windows will fail to open" >&2
        return 1
    fi
    local n x=${WD_X_TMP:-/tmp}
    for n in $(seq "$2" "$3"); do
        [ -e "$x/.X11-unix/X$n" ] || [ -e "$x/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        WD_XVFB_PID=$!
        for _ in $(seq 50); do
            [ -e "$x/.X11-unix/X$n" ] && break
            kill -0 "$WD_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$WD_XVFB_PID" 2>/dev/null && [ -e "$x/.X11-unix/X$n" ]; then
            export DISPLAY=":$n"
            return 0
        fi
        kill "$WD_XVFB_PID" 2>/dev/null || true
        wait "$WD_XVFB_PID" 2>/dev/null || true
        WD_XVFB_PID=""
    done
    echo "$1: no Xvfb display could be started on :$2 to :$3; windows will fail to open" >&2
    return 1
}

wd_display_stop() {
    if [ -n "${WD_XVFB_PID:-}" ]; then
        kill "$WD_XVFB_PID" 2>/dev/null || true
        wait "$WD_XVFB_PID" 2>/dev/null || true
        WD_XVFB_PID=""
    fi
}

# wd_prefix_boot WHO LOG: the server of $WINEPREFIX started for good, then
# wineboot (its output appended to LOG). Background services must not
# inherit our pipes, or whoever reads them (ctest, CI) waits for ever.
# Needs WD_WINE and WD_WINESERVER (wd_wine_for). Says in one line which
# step failed. A wineboot that fails is tried once more: the first boot of
# a 64-bit prefix, where 32-bit programs cannot run, now and then ends with
# an error once its setup is done (its 32-bit half cannot start), and the
# second boot starts the prefix. That retry is said in one line and kept in
# WD_BOOT_RETRY for the caller's summary.
wd_prefix_boot() {
    local status=0
    WD_BOOT_RETRY=""
    "$WD_WINESERVER" -p </dev/null >/dev/null 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        echo "$1: $WD_WINESERVER did not start (exit status $status); this machine cannot run the $WD_WINE_BUILD build under Wine" >&2
        return "$status"
    fi
    "$WD_WINE" wineboot </dev/null >>"$2" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        WD_BOOT_RETRY="wineboot failed once in $WINEPREFIX (exit status $status; see $2)"
        status=0
        "$WD_WINE" wineboot </dev/null >>"$2" 2>&1 || status=$?
    fi
    if [ "$status" -ne 0 ]; then
        echo "$1: wineboot failed in $WINEPREFIX (exit status $status; see $2)" >&2
        return "$status"
    fi
    [ -z "$WD_BOOT_RETRY" ] || echo "$1: $WD_BOOT_RETRY; it started on the second try" >&2
}

# wd_prefix_stop: every process of $WINEPREFIX ended, and waited for.
wd_prefix_stop() {
    "$WD_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    "$WD_WINESERVER" -w </dev/null >/dev/null 2>&1 || true
}
