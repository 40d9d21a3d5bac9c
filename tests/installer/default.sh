#!/usr/bin/env bash
# The default components: the utility and NXLIB32 go under Program Files
# with a Start Menu shortcut, the Run value and an Add/Remove Programs entry
# that carries version.h's version and publisher; the simulator stays out.
# The uninstaller then takes all of it away.
. "$(dirname "$0")/lib.sh"
wdi_start

wdi_install
dir="$WDI_DEFAULT_DIR"
udir=$(wdi_unix "$dir")
bin=$(dirname "$WDI_SETUP")/bin

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
product=$(wdi_define WD_PRODUCT_NAME)
publisher=$(wdi_define WD_COMPANY_NAME)
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

wdi_uninstall "$dir"
wdi_expect_no_file "$udir"
wdi_expect_no_file "$(dirname "$udir")"
wdi_expect_no_file "$shortcut"
wdi_expect_no_file "$(dirname "$shortcut")"
! wdi_probe sz "$WDI_RUN_KEY" wavedesk >/dev/null || wdi_fail "the Run value is still there"
wdi_expect_no_key "$WDI_UNINSTALL_KEY"
echo "PASS"
