# Sourced by the installer tests. Each test gets a fresh Wine prefix of its
# own in its work folder, and a display of its own, so that installing,
# uninstalling and the services it touches never meet another test's
# prefix. The prefix answers as Windows XP and has a virtual desktop with a
# taskbar, so that every program of it (installer, utility, wdctl) runs on
# one desktop with a notification area, as on a real machine.
#
# usage (from a test script): . lib.sh SETUP_EXE WDCTL_EXE PROBE_EXE WORK_DIR [BUILD]
# then wdi_start. BUILD is the build whose programs are installed: mingw
# (the default: the 32-bit build and the installer that ships) or mingw64
# (the 64-bit build and its installer); scripts/machine.sh says which Wine
# runs each. The EXIT trap ends the prefix's processes, keeps a screenshot
# in WORK_DIR when the test failed, and removes the prefix.

set -euo pipefail

WDI_SETUP=$1
WDI_WDCTL=$2
WDI_PROBE=$3
WDI_WORK=$4
WDI_BUILD=${5:-mingw}
WDI_SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The variant that takes the tests' stand-ins (scripts/installer.sh --seams).
WDI_SETUP_SEAMS=${WDI_SETUP%.exe}-seams.exe

. "$WDI_SRC/scripts/machine.sh"
wd_wine_for "$WDI_BUILD" || exit 1
export WINEPREFIX="$WDI_WORK/prefix"
export WINEARCH=$WD_WINEARCH
wine() { command "$WD_WINE" "$@"; }
winepath() { command "$WD_WINE" winepath "$@"; }
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
WDI_DEVICE_NODE_KEY='System\CurrentControlSet\Enum\PCI\VEN_168C&DEV_0007&SUBSYS_00000000&REV_01\4&1C2F3A4B&0&10F0'
WDI_PENDING_KEY='System\CurrentControlSet\Control\Session Manager'

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
    : >"$WDI_WORK/wineboot.log"
    # A display of its own too: the shared prefix's tests run beside it, and
    # its windows must neither cover theirs nor take their focus.
    unset DISPLAY
    wd_display_start lib.sh 130 160 || true
    trap wdi_stop EXIT
    wd_prefix_boot lib.sh "$WDI_WORK/wineboot.log" || exit 1
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
    wd_prefix_stop
    wd_prefix_boot lib.sh "$WDI_WORK/wineboot.log" || exit 1
}

wdi_stop() {
    local status=$?
    if [ $status -ne 0 ] && [ -n "${DISPLAY:-}" ]; then
        import -window root "$WDI_WORK/screenshot.png" 2>/dev/null &&
            echo "screenshot: $WDI_WORK/screenshot.png" >&2
    fi
    wd_prefix_stop
    wd_display_stop
    rm -rf "$WINEPREFIX"
    exit $status
}

wdi_wine() {
    wine "$@" </dev/null
}

# A silent installer (SETUP_EXE) with the given switches (/D= last, as NSIS
# wants it); returns its exit code. The command goes through cmd so that
# /D= reaches NSIS unquoted. What the programs it starts print goes to a
# log, so that none of them holds the test's output open.
wdi_run_setup() {
    local setup
    setup=$(winepath -w "$1")
    shift
    wine cmd /c "$setup /S $*" </dev/null >>"$WDI_WORK/setup.log" 2>&1
}

# The installer, silent; fails the test when it does not succeed.
wdi_install() {
    local status=0
    wdi_note "install $*"
    wdi_run_setup "$WDI_SETUP" "$@" || status=$?
    [ $status -eq 0 ] || wdi_fail "the installer failed ($*): exit $status"
}

# Wine hands a Windows exit code to Unix as its low 8 bits (3010 arrives as
# 194): true when STATUS is CODE so.
wdi_is_exit_code() { # STATUS CODE
    [ "$1" -eq $(($2 % 256)) ]
}

# The installer, silent, which must end with exit code CODE.
wdi_install_ends_with() { # CODE [SETUP_EXE] switches...
    local code=$1 setup=$WDI_SETUP status=0
    shift
    case "${1:-}" in *.exe) setup=$1 && shift ;; esac
    wdi_note "install $* (expecting exit code $code)"
    wdi_run_setup "$setup" "$@" || status=$?
    wdi_is_exit_code $status "$code" || wdi_fail "the installer ($*) ended with $status, not $code"
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

# The uninstaller, silent and run in place (it then waits and returns its
# exit code, but cannot delete itself), which must end with exit code CODE.
wdi_uninstall_in_place_ends_with() { # CODE DIR
    local status=0
    wdi_note "uninstall in place from $2 (expecting exit code $1)"
    # NSIS reads _?= only unquoted and last: through cmd, with the program's
    # short name, which needs no quotes.
    local program
    program=$(winepath -s "$2\\uninstall.exe")
    wine cmd /c "$program /S _?=$2" </dev/null >>"$WDI_WORK/setup.log" 2>&1 || status=$?
    wdi_is_exit_code $status "$1" || wdi_fail "the uninstaller ended with $status, not $1"
}

# The probe answers with exit status 0 (yes) or 1 (no). Any other status is
# Wine's, not an answer (an unhandled fault ends a program with 5): the
# probe is run once more, and that second try is noted for the test
# command's summary.
wdi_probe() {
    local out status=0
    out=$(wine "$WDI_PROBE" "$@" </dev/null 2>/dev/null) || status=$?
    if [ "$status" -gt 1 ]; then
        mkdir -p "$WDI_SRC/build/$WDI_BUILD"
        echo "installer_probe $* (${WDI_WORK##*/}): exit status $status" >>"$WDI_SRC/build/$WDI_BUILD/second-tries.log"
        echo "lib.sh: installer_probe $* ended with exit status $status, not an answer; tried again" >&2
        status=0
        out=$(wine "$WDI_PROBE" "$@" </dev/null 2>/dev/null) || status=$?
    fi
    printf '%s' "$out"
    return "$status"
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

# What `nxsim install` puts in place, besides the adapter's own key, is gone.
wdi_expect_no_simulated_installation() {
    wdi_expect_no_key "$WDI_WORLD_KEY"
    wdi_expect_no_key "$WDI_SERVICES_KEY\\DOVIZ"
    wdi_expect_no_key "$WDI_DEVICE_NODE_KEY"
    wdi_expect_no_file "$WINEPREFIX/drive_c/windows/system32/drivers/DOVIZ.sys"
}

# The Windows path as the Unix file name inside the prefix.
wdi_unix() {
    winepath -u "$1" 2>/dev/null
}

# Starts a probe that runs until `wdi_probe close` (refuse-exit, hold FILE),
# and waits until it is there.
wdi_probe_background() {
    wine "$WDI_PROBE" "$@" </dev/null >/dev/null 2>&1 &
    wdi_probe wait || wdi_fail "installer_probe $* did not start"
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
