#!/usr/bin/env bash
# The default components: the utility and NXLIB32 go under Program Files
# with a Start Menu shortcut, the Run value and an Add/Remove Programs entry
# that carries version.h's version and publisher; the simulator stays out.
# The uninstaller then takes all of it away, and only it: another program's
# NXPROTO service stays through both. Before that, setup refuses with
# nothing written: a user who is no administrator (one message; silent:
# exit code 5), and a running utility that does not end (silent: 32).
. "$(dirname "$0")/lib.sh"
wdi_start

dir="$WDI_DEFAULT_DIR"
udir=$(wdi_unix "$dir")
bin=$(dirname "$WDI_SETUP")/bin
product=$(wdi_define WD_PRODUCT_NAME)
publisher=$(wdi_define WD_COMPANY_NAME)
expect_nothing_installed() {
    wdi_expect_no_file "$(dirname "$udir")"
    wdi_expect_no_key "$WDI_UNINSTALL_KEY"
    ! wdi_probe sz "$WDI_RUN_KEY" wavedesk >/dev/null || wdi_fail "a Run value was written"
    [ -z "$(find "$WINEPREFIX/drive_c" -path "*/Start Menu/Programs/$publisher")" ] ||
        wdi_fail "a Start Menu folder was made"
}

# Wine's user is always an administrator: the variant with the tests'
# stand-ins lets the rights check read another account type.
wdi_note "a user who is no administrator: one message, then setup stops"
WD_SETUP_ACCOUNT_TYPE=User wine "$(winepath -w "$WDI_SETUP_SEAMS")" </dev/null \
    >>"$WDI_WORK/setup.log" 2>&1 &
setup_pid=$!
text=$(wdi_wdctl -t 30 answer "$product Setup") || wdi_fail "setup showed no message"
case "$text" in
*"administrator rights"*) ;;
*) wdi_fail "setup's message does not speak of administrator rights: $text" ;;
esac
status=0
wait $setup_pid || status=$?
[ $status -eq 5 ] || wdi_fail "setup refused by a user went on or ended with $status, not 5"
WD_SETUP_ACCOUNT_TYPE=User wdi_install_ends_with 5 "$WDI_SETUP_SEAMS"
WD_SETUP_ACCOUNT_TYPE=Power wdi_install_ends_with 5 "$WDI_SETUP_SEAMS"
expect_nothing_installed

wdi_note "a running utility that does not end: setup stops, nothing written"
wdi_probe_background refuse-exit
wdi_install_ends_with 32
[ "$(wdi_wdctl count)" = 1 ] || wdi_fail "the stand-in has gone"
expect_nothing_installed
wdi_probe close || wdi_fail "the stand-in did not end"

wdi_note "another program's NXPROTO service, registered before"
foreign='C:\Other Vendor\NXPROTO.SYS'
wdi_wine sc create NXPROTO type= kernel start= demand binPath= "$foreign" >/dev/null ||
    wdi_fail "could not register the other program's service"
expect_foreign_service() {
    wdi_expect_sz "$WDI_SERVICES_KEY\\NXPROTO" ImagePath "$foreign"
}
expect_foreign_service

wdi_install

wdi_note "files"
for f in wavedesk.exe NXLIB32.dll; do
    cmp -s "$bin/$f" "$udir/$f" || wdi_fail "$udir/$f is not the release build's $f"
done
wdi_expect_file "$udir/uninstall.exe"
for f in NXPROTO.SYS NXPROTO4.SYS nxsim.exe; do
    wdi_expect_no_file "$udir/$f"
done
wdi_expect_no_key "$WDI_WORLD_KEY"

wdi_note "shortcut"
shortcut=$(find "$WINEPREFIX/drive_c" -path "*/Start Menu/Programs/$publisher/$product.lnk")
[ -n "$shortcut" ] || wdi_fail "no Start Menu shortcut \"$publisher/$product.lnk\""
case "$shortcut" in
*/users/*/Start\ Menu/*) wdi_fail "the shortcut is in one user's Start Menu: $shortcut" ;;
esac
wdi_note "shortcut: ${shortcut#$WINEPREFIX/}"
grep -aq 'KX750 Configuration Utility\\wavedesk.exe' "$shortcut" ||
    wdi_fail "the shortcut does not name the installed wavedesk.exe"

wdi_note "Run value and uninstall entry"
wdi_expect_sz "$WDI_RUN_KEY" wavedesk "\"$dir\\wavedesk.exe\""
version="$(wdi_define WD_VERSION_MAJOR).$(wdi_define WD_VERSION_MINOR).$(wdi_define WD_VERSION_PATCH).$(wdi_define WD_VERSION_BUILD)"
wdi_expect_sz "$WDI_UNINSTALL_KEY" DisplayName "$product"
wdi_expect_sz "$WDI_UNINSTALL_KEY" DisplayVersion "$version"
wdi_expect_sz "$WDI_UNINSTALL_KEY" Publisher "$publisher"
wdi_expect_sz "$WDI_UNINSTALL_KEY" UninstallString "\"$dir\\uninstall.exe\""
wdi_expect_sz "$WDI_UNINSTALL_KEY" QuietUninstallString "\"$dir\\uninstall.exe\" /S"
wdi_expect_sz "$WDI_UNINSTALL_KEY" InstallLocation "$dir"
wdi_expect_sz "$WDI_UNINSTALL_KEY" DisplayIcon "$dir\\wavedesk.exe,0"
[ "$(wdi_probe dword "$WDI_UNINSTALL_KEY" NoModify)" = 1 ] || wdi_fail "NoModify is not 1"
size=$(wdi_probe dword "$WDI_UNINSTALL_KEY" EstimatedSize) || wdi_fail "no EstimatedSize"
files_kb=$(du -sk --apparent-size "$udir" | cut -f1)
[ "$size" -ge $((files_kb - 8)) ] && [ "$size" -le $((files_kb + 8)) ] ||
    wdi_fail "EstimatedSize is $size KB, the folder holds $files_kb KB"

wdi_note "the other program's service, untouched and not claimed"
expect_foreign_service
[ "$(wdi_sz "$WDI_UNINSTALL_KEY" DriverServices)" = NXPROTO4 ] ||
    wdi_fail "the uninstall entry claims the driver services \"$(wdi_sz "$WDI_UNINSTALL_KEY" DriverServices)\""

wdi_uninstall "$dir"
expect_foreign_service
wdi_expect_no_file "$udir"
wdi_expect_no_file "$(dirname "$udir")"
wdi_expect_no_file "$shortcut"
wdi_expect_no_file "$(dirname "$shortcut")"
! wdi_probe sz "$WDI_RUN_KEY" wavedesk >/dev/null || wdi_fail "the Run value is still there"
wdi_expect_no_key "$WDI_UNINSTALL_KEY"
echo "PASS"
