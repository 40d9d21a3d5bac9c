#!/usr/bin/env bash
# With "Simulated adapter (demonstration)": the stand-in driver and nxsim go
# beside the utility and the simulated adapter is installed; at the next
# log-on the Run value starts the utility, which shows its icon against it.
# Installing again in place while the utility runs with its property sheet
# open ends it on the first try and starts it again afterwards. Uninstalling
# while it runs with its sheet open ends it, stops and deletes the NXPROTO
# service and takes the simulated installation away.
. "$(dirname "$0")/lib.sh"
wdi_start

wdi_install /DEMO
dir="$WDI_DEFAULT_DIR"
udir=$(wdi_unix "$dir")
bin=$(dirname "$WDI_SETUP")/bin

wdi_note "files and the simulated adapter"
for f in wavedesk.exe NXLIB32.dll NXPROTO.SYS NXPROTO4.SYS nxsim.exe; do
    cmp -s "$bin/$f" "$udir/$f" || wdi_fail "$udir/$f is not the release build's $f"
done
wdi_expect_key "$WDI_WORLD_KEY"
drift=$(wdi_probe dword "$WDI_WORLD_KEY" Drift) && [ "$drift" -gt 0 ] ||
    wdi_fail "the simulated world is not the living demonstration world (nxsim demo)"
adapter=$(wdi_probe adapter-key) || wdi_fail "the simulated adapter's key is missing"
wdi_expect_sz "$adapter" DriverDesc "VELNORA KX750 Wireless Adapter"
wdi_expect_no_key "$WDI_SERVICES_KEY\\NXPROTO"

wdi_note "log on: the Run value starts the utility"
wdi_log_on
wdi_expect_icon "started at log-on"
[ "$(wdi_wdctl count)" = 1 ] || wdi_fail "not exactly one utility runs"
# NXLIB32 registered its driver from the folder it was installed to.
image=$(wdi_sz "$WDI_SERVICES_KEY\\NXPROTO" ImagePath)
[ "$(wdi_unix "$image")" -ef "$udir/NXPROTO.SYS" ] ||
    wdi_fail "the NXPROTO service runs $image, not the installed NXPROTO.SYS"

wdi_note "install again in place, over the running utility with its sheet open"
wdi_wdctl open
wdi_wdctl wait-sheet || wdi_fail "the property sheet did not open"
before=$(wdi_probe tray-process) || wdi_fail "no tray dialog"
wdi_install /DEMO
wdi_expect_icon "started again after installing over it"
after=$(wdi_probe tray-process) || wdi_fail "no tray dialog"
[ "$after" != "$before" ] || wdi_fail "the utility that ran before installing still runs"
[ "$(wdi_wdctl state)" = "1 1 0 -1" ] ||
    wdi_fail "the utility started again is not the tray alone (wdctl state: $(wdi_wdctl state))"
[ "$(wdi_wdctl count)" = 1 ] || wdi_fail "not exactly one utility runs"
for f in wavedesk.exe NXLIB32.dll NXPROTO.SYS NXPROTO4.SYS nxsim.exe; do
    cmp -s "$bin/$f" "$udir/$f" || wdi_fail "$udir/$f is not the release build's $f"
done
[ "$(ls "$(dirname "$udir")")" = "$(basename "$udir")" ] ||
    wdi_fail "Program Files\\VELNORA holds $(ls "$(dirname "$udir")" | tr '\n' ' ')"
wdi_expect_sz "$WDI_UNINSTALL_KEY" InstallLocation "$dir"
wdi_expect_sz "$WDI_UNINSTALL_KEY" DriverServices "NXPROTO NXPROTO4"
# Setup removed the service of the driver it replaced; the utility started
# again registered it afresh.
image=$(wdi_sz "$WDI_SERVICES_KEY\\NXPROTO" ImagePath)
[ "$(wdi_unix "$image")" -ef "$udir/NXPROTO.SYS" ] ||
    wdi_fail "the NXPROTO service runs $image, not the installed NXPROTO.SYS"

wdi_note "uninstall while the property sheet is open"
wdi_wdctl open
wdi_wdctl wait-sheet || wdi_fail "the property sheet did not open"
wdi_uninstall "$dir"
[ "$(wdi_wdctl state)" = "0 0 0 -1" ] ||
    wdi_fail "the utility still runs after uninstalling (wdctl state: $(wdi_wdctl state))"
wdi_expect_no_key "$WDI_SERVICES_KEY\\NXPROTO"
wdi_expect_no_key "$WDI_SERVICES_KEY\\NXPROTO4"
wdi_expect_no_simulated_installation
wdi_expect_no_file "$udir"
! wdi_probe sz "$WDI_RUN_KEY" wavedesk >/dev/null || wdi_fail "the Run value is still there"
wdi_expect_no_key "$WDI_UNINSTALL_KEY"
# The adapter's own key stays only for the user's data (profiles.sh).
! wdi_probe sz "$adapter" DriverDesc >/dev/null || wdi_fail "the simulated adapter is still listed"

wdi_note "log on again: nothing starts"
wdi_log_on
sleep 2
[ "$(wdi_wdctl count)" = 0 ] || wdi_fail "a utility started after uninstalling"
echo "PASS"
