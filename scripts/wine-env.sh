# Sourced by the other scripts: a throwaway Wine prefix inside a build
# folder, and an Xvfb display, both started and stopped by the script that
# sources this file (for its own prefix and display only).
#   . scripts/wine-env.sh [mingw | mingw64]
# mingw: the 32-bit build under 32-bit Wine; mingw64: the 64-bit build under
# 64-bit Wine, for machines that cannot run 32-bit programs (machine.sh's
# wd_wine_for says which programs those are). Default: $WD_BUILD, else
# mingw. WD_DPI=120 starts the prefix with large fonts (96 is Windows'
# default).
WD_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$WD_ROOT/scripts/machine.sh"
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
wd_wine_for "$WD_BUILD"
export WINEARCH=$WD_WINEARCH
WD_XVFB_PID=""

# `wine` in the sourcing script means this build's loader.
wine() { command "$WD_WINE" "$@"; }

wd_wine_start() {
    mkdir -p "$WINEPREFIX"
    wd_display_start wine-env 90 120 || true
    trap wd_wine_stop EXIT
    local log="$WD_ROOT/build/$WD_BUILD/wineboot.log"
    : >"$log"
    wd_prefix_boot wine-env "$log" || return
    wd_set_dpi wine-env "${WD_DPI:-96}"
}

# wd_set_dpi WHO DPI: the prefix's font size in dots per inch; the server
# restarts so that the programs started afterwards take it up.
wd_set_dpi() {
    local current
    # No value (reg query then fails) is Windows' default, 96.
    current=$("$WD_WINE" reg query 'HKCU\Control Panel\Desktop' /v LogPixels </dev/null 2>/dev/null |
        sed -n 's/.*REG_DWORD *0x\([0-9a-fA-F]*\).*/\1/p' | tr -d '\r') || true
    [ -n "$current" ] && [ $((16#$current)) -eq "$2" ] && return 0
    [ -z "$current" ] && [ "$2" -eq 96 ] && return 0
    "$WD_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$2" /f \
        </dev/null >/dev/null 2>&1 || {
        echo "$1: the prefix's LogPixels could not be set to $2" >&2
        return 1
    }
    wd_prefix_stop
    wd_prefix_boot "$1" "$WD_ROOT/build/$WD_BUILD/wineboot.log"
}

wd_wine_stop() {
    wd_prefix_stop
    wd_display_stop
}
