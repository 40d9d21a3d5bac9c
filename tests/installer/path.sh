#!/usr/bin/env bash
# An install folder with spaces and letters beyond ASCII (in the ANSI code
# page, Windows-1252, as the ANSI installer and utility need): the files go
# there, the Run value and the uninstall entry name it exactly, the utility
# starts from there at log-on (NXLIB32 registers its driver from there) and
# the uninstaller run from there removes it.
. "$(dirname "$0")/lib.sh"
wdi_start

dir='C:\Program Files\Wellen Büro\Netz Ähre'
wdi_install /DEMO "/D=$dir"
udir=$(wdi_unix "$dir")
[ "$(basename "$udir")" = "Netz Ähre" ] || wdi_fail "the folder's Unix name is $udir"

wdi_note "files, Run value and uninstall entry"
for f in wavedesk.exe NXLIB32.dll NXPROTO.SYS nxsim.exe uninstall.exe; do
    wdi_expect_file "$udir/$f"
done
ansi() { printf '%s' "$1" | iconv -f UTF-8 -t CP1252; }
[ "$(wdi_sz "$WDI_RUN_KEY" wavedesk)" = "$(ansi "\"$dir\\wavedesk.exe\"")" ] ||
    wdi_fail "the Run value does not name $dir\\wavedesk.exe"
[ "$(wdi_sz "$WDI_UNINSTALL_KEY" InstallLocation)" = "$(ansi "$dir")" ] ||
    wdi_fail "InstallLocation is not $dir"
[ "$(wdi_sz "$WDI_UNINSTALL_KEY" UninstallString)" = "$(ansi "\"$dir\\uninstall.exe\"")" ] ||
    wdi_fail "UninstallString does not name $dir\\uninstall.exe"

wdi_note "log on: the utility starts from there"
wdi_log_on
wdi_expect_icon "started from $dir"
image=$(wdi_sz "$WDI_SERVICES_KEY\\NXPROTO" ImagePath)
[ "$(wdi_unix "$image")" -ef "$udir/NXPROTO.SYS" ] ||
    wdi_fail "the NXPROTO service runs $image, not the NXPROTO.SYS in $dir"

wdi_uninstall "$dir"
[ "$(wdi_wdctl count)" = 0 ] || wdi_fail "the utility still runs after uninstalling"
wdi_expect_no_file "$udir"
wdi_expect_no_key "$WDI_SERVICES_KEY\\NXPROTO"
wdi_expect_no_key "$WDI_UNINSTALL_KEY"
echo "PASS"
