# Sourced by the other scripts: a throwaway 32-bit Wine prefix inside the
# build folder, and an Xvfb display, both started and stopped by the script
# that sources this file (for its own prefix and display only).
WD_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WD_BIN="$WD_ROOT/build/mingw/bin"
export WINEPREFIX="$WD_ROOT/build/mingw/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono/Gecko install prompts
WD_XVFB_PID=""

wd_wine_start() {
    mkdir -p "$WINEPREFIX"
    if [ -z "${DISPLAY:-}" ]; then
        local n
        for n in $(seq 90 120); do
            [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
        done
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        WD_XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    fi
    # Background services must not inherit our pipes, or whoever reads
    # them (ctest, CI) waits for ever.
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot </dev/null >"$WD_ROOT/build/mingw/wineboot.log" 2>&1
    trap wd_wine_stop EXIT
}

wd_wine_stop() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    if [ -n "$WD_XVFB_PID" ]; then
        kill "$WD_XVFB_PID" 2>/dev/null || true
        wait "$WD_XVFB_PID" 2>/dev/null || true
        WD_XVFB_PID=""
    fi
}
