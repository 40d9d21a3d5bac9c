# Sourced by the installer tests. Each test gets a fresh Wine prefix of its
# own in its work folder, so that installing, uninstalling and the services
# it touches never meet another test's prefix. The prefix answers as
# Windows XP and has a virtual desktop with a taskbar, so that every program
# of it (installer, utility, wdctl) runs on one desktop with a notification
# area, as on a real machine.
#
# usage (from a test script): . lib.sh SETUP_EXE WDCTL_EXE PROBE_EXE WORK_DIR
# then wdi_start. The EXIT trap ends the prefix's processes, keeps a
# screenshot in WORK_DIR when the test failed, and removes the prefix.

set -euo pipefail

WDI_SETUP=$1
WDI_WDCTL=$2
WDI_PROBE=$3
WDI_WORK=$4
WDI_XVFB_PID=""
WDI_SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

export WINEPREFIX="$WDI_WORK/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono/Gecko install prompts
# Command lines and file names pass through Wine as UTF-8; inside, the ANSI
# code page is Windows-1252.
export LC_ALL=C.UTF-8

WDI_PROGRAM_FILES="$WINEPREFIX/drive_c/Program Files"
WDI_DEFAULT_DIR='C:\Program Files\VELNORA\KX750 Configuration Utility'
WDI_UNINSTALL_KEY='Software\Microsoft\Windows\CurrentVersion\Uninstall\wavedesk'
WDI_RUN_KEY='Software\Microsoft\Windows\CurrentVersion\Run'
WDI_WORLD_KEY='System\CurrentControlSet\Services\DOVIZ\Simulation'
WDI_SERVICES_KEY='System\CurrentControlSet\Services'

wdi_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

wdi_note() {
    echo "-- $(date +%T) $*"
}

wdi_start() {
    rm -rf "$WINEPREFIX" "$WDI_WORK/screenshot.png"
    mkdir -p "$WINEPREFIX"
    if [ -z "${DISPLAY:-}" ]; then
        local n
        for n in $(seq 130 160); do
            [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
        done
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        WDI_XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    fi
    trap wdi_stop EXIT
    # Background services must not inherit our pipes, or ctest waits for ever.
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot </dev/null >"$WDI_WORK/wineboot.log" 2>&1
    cat >"$WDI_WORK/prefix.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine]
"Version"="winxp"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="wavedesk"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"wavedesk"="1024x768"
EOF
    wine regedit /S "$(winepath -w "$WDI_WORK/prefix.reg")" </dev/null >/dev/null 2>&1
    wdi_log_on
}

# A new session: every process of the prefix ends (as at log-off), then
# wineboot starts it again and runs what the Run keys name (as at log-on).
wdi_log_on() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot </dev/null >>"$WDI_WORK/wineboot.log" 2>&1
}

wdi_stop() {
    local status=$?
    if [ $status -ne 0 ] && [ -n "${DISPLAY:-}" ]; then
        import -window root "$WDI_WORK/screenshot.png" 2>/dev/null &&
            echo "screenshot: $WDI_WORK/screenshot.png" >&2
    fi
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    if [ -n "$WDI_XVFB_PID" ]; then
        kill "$WDI_XVFB_PID" 2>/dev/null || true
        wait "$WDI_XVFB_PID" 2>/dev/null || true
    fi
    rm -rf "$WINEPREFIX"
    exit $status
}

wdi_wine() {
    wine "$@" </dev/null
}

# The installer, silent, with the given switches (/D= last, as NSIS wants
# it). The command goes through cmd so that /D= reaches NSIS unquoted.
wdi_install() {
    local setup
    setup=$(winepath -w "$WDI_SETUP")
    wdi_note "install $*"
    wine cmd /c "$setup /S $*" </dev/null || wdi_fail "the installer failed ($*): exit $?"
}

# The uninstaller, silent, the way Add/Remove Programs starts it: it copies
# itself away and returns at once, so wait until its entry is gone.
wdi_uninstall() {
    local dir=$1
    wdi_note "uninstall from $dir"
    wine "$dir\\uninstall.exe" /S </dev/null || wdi_fail "the uninstaller failed: exit $?"
    for _ in $(seq 120); do
        wdi_probe key "$WDI_UNINSTALL_KEY" || return 0
        sleep 0.5
    done
    wdi_fail "the uninstaller did not finish in 60 s"
}

wdi_probe() {
    wine "$WDI_PROBE" "$@" </dev/null 2>/dev/null
}

# wdctl's C runtime ends its lines with CR LF.
wdi_wdctl() {
    wine "$WDI_WDCTL" "$@" </dev/null | tr -d '\r'
}

# The text of an HKLM REG_SZ value, or fails the test.
wdi_sz() {
    wdi_probe sz "$1" "$2" || wdi_fail "HKLM\\$1 has no text value \"$2\""
}

wdi_expect_sz() { # path name expected
    local got
    got=$(wdi_sz "$1" "$2")
    [ "$got" = "$3" ] || wdi_fail "HKLM\\$1 \"$2\" is \"$got\", expected \"$3\""
}

wdi_expect_key() {
    wdi_probe key "$1" || wdi_fail "HKLM\\$1 is missing"
}

wdi_expect_no_key() {
    ! wdi_probe key "$1" || wdi_fail "HKLM\\$1 is still there"
}

wdi_expect_file() {
    [ -f "$1" ] || wdi_fail "$1 is missing"
}

wdi_expect_no_file() {
    [ ! -e "$1" ] || wdi_fail "$1 is still there"
}

# The Windows path as the Unix file name inside the prefix.
wdi_unix() {
    winepath -u "$1" 2>/dev/null
}

# Waits until the utility's tray icon is shown (wdctl: the tray dialog's
# user data is non-zero exactly while it is).
wdi_expect_icon() {
    wdi_wdctl -t 30 wait-icon || wdi_fail "the utility's tray icon did not appear within 30 s ($1)"
}

# A #define of res/version.h, without quotes.
wdi_define() {
    sed -n "s/^#define $1 \"\{0,1\}\([^\"]*\)\"\{0,1\}\$/\1/p" "$WDI_SRC/res/version.h"
}
