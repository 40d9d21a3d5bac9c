#!/usr/bin/env bash
# Where the simulator has no place, the installer leaves it out: on the 95
# family (the stand-in is an NT kernel driver), when installing again
# without it (an earlier install's simulator goes), and beside a real
# adapter (nxsim would write over the adapter's installation). A file that
# is in use when it should go is removed at the next restart, and setup and
# the uninstaller say so (silent: exit code 3010). The uninstaller, too,
# refuses a user who is no administrator (silent: exit code 5).
. "$(dirname "$0")/lib.sh"
wdi_start

dir="$WDI_DEFAULT_DIR"
udir=$(wdi_unix "$dir")
expect_no_simulator() {
    for f in NXPROTO.SYS NXPROTO4.SYS nxsim.exe; do
        wdi_expect_no_file "$udir/$f"
    done
    wdi_expect_no_simulated_installation
    wdi_expect_file "$udir/wavedesk.exe"
    wdi_expect_key "$WDI_UNINSTALL_KEY"
}

wdi_note "Windows 98: /DEMO installs the utility alone"
setup_name=$(basename "$WDI_SETUP")
wdi_wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$setup_name" /v Version /d win98 /f >/dev/null
wdi_install /DEMO
expect_no_simulator
wdi_wine reg delete "HKCU\\Software\\Wine\\AppDefaults\\$setup_name" /f >/dev/null

wdi_note "XP: /DEMO adds it, installing again without it takes it away"
wdi_install /DEMO
wdi_expect_file "$udir/nxsim.exe"
wdi_expect_key "$WDI_WORLD_KEY"
wdi_install
expect_no_simulator

wdi_note "beside a real adapter: /DEMO leaves the simulator out and the adapter alone"
real='System\CurrentControlSet\Control\Class\{4D36E972-E325-11CE-BFC1-08002BE10318}\0042'
wdi_wine reg add "HKLM\\$real" /v DriverDesc /d "VELNORA KX750 Wireless Adapter" /f >/dev/null
wdi_wine reg add "HKLM\\$real" /v NetCfgInstanceID /d "{0C4E5A4B-2D8C-4E0A-9E61-5D0F3F1B7A22}" /f >/dev/null
wdi_wine reg add "HKLM\\$real" /v ssid /d "Workshop" /f >/dev/null
wdi_install /DEMO
expect_no_simulator
wdi_expect_sz "$real" ssid Workshop
wdi_expect_sz "$real" NetCfgInstanceID "{0C4E5A4B-2D8C-4E0A-9E61-5D0F3F1B7A22}"
wdi_wine reg delete "HKLM\\$real" /f >/dev/null

expect_scheduled() {
    local pending
    # The probe's C runtime ends its lines with CR LF.
    pending=$(wdi_probe multi "$WDI_PENDING_KEY" PendingFileRenameOperations | tr -d '\r') ||
        pending=""
    printf '%s\n' "$pending" | grep -qixF '\??\'"$1" ||
        wdi_fail "$1 is not scheduled to go at the next restart (pending: $pending)"
}

wdi_note "setup: a file in use goes at the next restart"
wdi_install /DEMO
wdi_probe_background hold "$dir\\NXPROTO4.SYS"
wdi_install_ends_with 3010
expect_scheduled "$dir\\NXPROTO4.SYS"
wdi_expect_no_file "$udir/nxsim.exe"
wdi_expect_no_simulated_installation
wdi_probe close || wdi_fail "the file was not let go"

wdi_note "the uninstaller: no administrator, then a file in use"
# The variant with the tests' stand-ins writes an uninstaller that has them.
wdi_install_ends_with 0 "$WDI_SETUP_SEAMS"
WD_SETUP_ACCOUNT_TYPE=User wdi_uninstall_in_place_ends_with 5 "$dir"
wdi_expect_file "$udir/wavedesk.exe"
wdi_expect_file "$udir/NXLIB32.dll"
wdi_expect_key "$WDI_UNINSTALL_KEY"
wdi_probe_background hold "$dir\\NXLIB32.dll"
wdi_uninstall_in_place_ends_with 3010 "$dir"
expect_scheduled "$dir\\NXLIB32.dll"
wdi_expect_no_file "$udir/wavedesk.exe"
wdi_expect_no_key "$WDI_UNINSTALL_KEY"
wdi_probe close || wdi_fail "the file was not let go"
echo "PASS"
