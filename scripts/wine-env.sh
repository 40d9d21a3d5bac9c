# Sourced by the other scripts: a throwaway Wine prefix inside a build
# folder, and an Xvfb display, both started and stopped by the script that
# sources this file (for its own prefix and display only).
#   . scripts/wine-env.sh [mingw | mingw64]
# mingw: the 32-bit build under 32-bit Wine (WINEARCH=win32); mingw64: the
# 64-bit build under 64-bit Wine (WINEARCH=win64), for machines that cannot
# run 32-bit programs. Default: $WD_BUILD, else mingw.
WD_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# A script that sources this without arguments passes its own: only a
# build's name counts.
case "${1:-}" in
mingw | mingw64) WD_BUILD=$1 ;;
*) WD_BUILD="${WD_BUILD:-mingw}" ;;
esac
WD_BIN="$WD_ROOT/build/$WD_BUILD/bin"
export WINEPREFIX="$WD_ROOT/build/$WD_BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono/Gecko install prompts
if [ "$WD_BUILD" = mingw64 ]; then
    # /usr/bin/wine and wineserver pick the 32-bit programs whenever they
    # are installed: the 64-bit ones are named.
    export WINEARCH=win64
    WD_WINE=/usr/lib/wine/wine64
    WD_WINESERVER=/usr/lib/wine/wineserver64
else
    export WINEARCH=win32
    WD_WINE=/usr/bin/wine
    WD_WINESERVER=/usr/bin/wineserver
fi
WD_XVFB_PID=""

# `wine` in the sourcing script means this build's loader.
wine() { "$WD_WINE" "$@"; }

wd_wine_start() {
    mkdir -p "$WINEPREFIX"
    if [ -z "${DISPLAY:-}" ]; then
        # The first free display; another script starting at the same moment
        # may take it first, and then the next one is tried.
        local n
        for n in $(seq 90 120); do
            [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
            Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
            WD_XVFB_PID=$!
            for _ in $(seq 50); do
                [ -e "/tmp/.X11-unix/X$n" ] && break
                kill -0 "$WD_XVFB_PID" 2>/dev/null || break
                sleep 0.1
            done
            if kill -0 "$WD_XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
                export DISPLAY=":$n"
                break
            fi
            kill "$WD_XVFB_PID" 2>/dev/null || true
            WD_XVFB_PID=""
        done
        if [ -z "${DISPLAY:-}" ]; then
            if command -v Xvfb >/dev/null; then
                echo "wine-env: no Xvfb display could be started on :90 to :120; windows will fail to open" >&2
            else
                echo "wine-env: Xvfb is not installed (package xvfb); windows will fail to open" >&2
            fi
        fi
    fi
    # Background services must not inherit our pipes, or whoever reads
    # them (ctest, CI) waits for ever.
    local status=0
    "$WD_WINESERVER" -p </dev/null >/dev/null 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        echo "wine-env: $WD_WINESERVER did not start (exit status $status); this machine cannot run the $WD_BUILD build under Wine" >&2
        return "$status"
    fi
    trap wd_wine_stop EXIT
    status=0
    "$WD_WINE" wineboot </dev/null >"$WD_ROOT/build/$WD_BUILD/wineboot.log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        echo "wine-env: wineboot failed in $WINEPREFIX (exit status $status; see build/$WD_BUILD/wineboot.log)" >&2
        return "$status"
    fi
}

wd_wine_stop() {
    "$WD_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    "$WD_WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    if [ -n "$WD_XVFB_PID" ]; then
        kill "$WD_XVFB_PID" 2>/dev/null || true
        wait "$WD_XVFB_PID" 2>/dev/null || true
        WD_XVFB_PID=""
    fi
}
