#!/usr/bin/env bash
# The user's data outlives an uninstall: the profiles and "CardCfgId" in the
# adapter's own key, and the driver's values that mirror the selected
# profile. A reinstall with the simulator finds them, and the utility loads
# the selected profile as it was (not the new installation's defaults).
# Installing into a second folder removes the first installation, so that
# one remains; its uninstaller then leaves nothing but the user's data.
. "$(dirname "$0")/lib.sh"
wdi_start

wdi_install /DEMO
dir="$WDI_DEFAULT_DIR"
adapter=$(wdi_probe adapter-key) || wdi_fail "the simulated adapter's key is missing"
configs="$adapter\\CustomParams\\Configurations"

# What the utility keeps after the user applied an ad hoc profile "Harbour"
# for the network HarbourLab with power saving at Maximum, beside an older
# "Office" profile: the profiles, the card identifier, and the selected
# profile written into the driver's values.
wdi_note "the user's profiles in $adapter"
card_id="3F2504E0-4F89-11D3-9A0C-0305E82C3301"
cat >"$WDI_WORK/profiles.reg" <<EOF
REGEDIT4

[HKEY_LOCAL_MACHINE\\$adapter]
"CardCfgId"="$card_id"
"ssid"="HarbourLab"
"bssType"="2"
"sleepMode"="1"
"TurboEnable"="0"
"privacyInvoked"="0"
"defaultKey"="-2"
"keyLength0"="0"
"keyLength1"="0"
"keyLength2"="0"
"keyLength3"="0"
"uniqKeyLength"="0"

[HKEY_LOCAL_MACHINE\\$configs]
"MajorVersion"=dword:00000001
"MinorVersion"=dword:00000000
"SelectedConfigurationName"="Harbour"
"SelectedConfigurationIndex"=dword:00000000

[HKEY_LOCAL_MACHINE\\$configs\\Cfg0]
"ConfigurationName"="Harbour"
"NetworkName"="HarbourLab"
"NetworkConnectionType"=dword:00000000
"PowerManagement"=dword:00000002
"EnableTurbo"=dword:00000000
"EnableMacAddress"=dword:00000000
"MacAddress"=""
"EnableSecurity"=dword:00000000
"DefaultKey"=dword:ffffffff
"SharedKey1"=""
"SharedKey2"=""
"SharedKey3"=""
"SharedKey4"=""
"UniqueKey"=""
"SharedKey1Length"=dword:00000028
"SharedKey2Length"=dword:00000028
"SharedKey3Length"=dword:00000028
"SharedKey4Length"=dword:00000028
"UniqueKeyLength"=dword:00000028

[HKEY_LOCAL_MACHINE\\$configs\\Cfg1]
"ConfigurationName"="Office"
"NetworkName"="VELNORA"
EOF
wdi_wine regedit /S "$(winepath -w "$WDI_WORK/profiles.reg")" >/dev/null 2>&1
wdi_expect_sz "$configs\\Cfg0" NetworkName HarbourLab

expect_user_data() {
    wdi_expect_sz "$adapter" CardCfgId "$card_id"
    wdi_expect_sz "$configs" SelectedConfigurationName Harbour
    wdi_expect_sz "$configs\\Cfg0" ConfigurationName Harbour
    wdi_expect_sz "$configs\\Cfg0" NetworkName HarbourLab
    wdi_expect_sz "$configs\\Cfg1" ConfigurationName Office
    wdi_expect_sz "$adapter" ssid HarbourLab
    wdi_expect_sz "$adapter" bssType 2
    wdi_expect_sz "$adapter" sleepMode 1
}

wdi_uninstall "$dir"
wdi_note "after uninstalling: the profiles only"
wdi_expect_no_key "$WDI_UNINSTALL_KEY"
wdi_expect_no_simulated_installation
wdi_expect_no_file "$(wdi_unix "$dir")"
expect_user_data

wdi_install /DEMO
wdi_note "reinstalled: the same key, the profiles as they were"
[ "$(wdi_probe adapter-key)" = "$adapter" ] || wdi_fail "the reinstall made another adapter key"
wdi_expect_key "$WDI_WORLD_KEY"
expect_user_data

wdi_note "the utility loads the selected profile"
wdi_log_on
wdi_expect_icon "started at log-on after the reinstall"
wdi_wdctl open
wdi_wdctl wait-sheet || wdi_fail "the property sheet did not open"
wdi_wdctl page 1 || wdi_fail "the Configuration page did not open"
name=$(wdi_probe page-text 1032) || wdi_fail "no network name field on the Configuration page"
[ "$name" = HarbourLab ] || wdi_fail "the Configuration page shows network \"$name\", not HarbourLab"
[ "$(wdi_probe page-checked 1025)" = 1 ] || wdi_fail "the Configuration page does not show ad hoc mode"
wdi_wdctl exit || wdi_fail "the utility did not exit"

wdi_note "install into a second folder: the first installation goes"
second='C:\Program Files\KX750'
usecond=$(wdi_unix "$second")
wdi_install /DEMO "/D=$second"
wdi_expect_no_file "$(dirname "$(wdi_unix "$dir")")"
wdi_expect_file "$usecond/wavedesk.exe"
wdi_expect_file "$usecond/uninstall.exe"
wdi_expect_sz "$WDI_UNINSTALL_KEY" InstallLocation "$second"
wdi_expect_sz "$WDI_RUN_KEY" wavedesk "\"$second\\wavedesk.exe\""
shortcuts=$(find "$WINEPREFIX/drive_c" -name "$(wdi_define WD_PRODUCT_NAME).lnk" | wc -l)
[ "$shortcuts" = 1 ] || wdi_fail "$shortcuts Start Menu shortcuts"
[ "$(wdi_probe adapter-key)" = "$adapter" ] || wdi_fail "the second installation made another adapter key"
expect_user_data

wdi_uninstall "$second"
wdi_note "after uninstalling the second: nothing but the user's data"
wdi_expect_no_file "$usecond"
wdi_expect_no_file "$(dirname "$(wdi_unix "$dir")")"
[ -z "$(find "$WINEPREFIX/drive_c" -name "$(wdi_define WD_PRODUCT_NAME).lnk")" ] ||
    wdi_fail "a Start Menu shortcut is left"
! wdi_probe sz "$WDI_RUN_KEY" wavedesk >/dev/null || wdi_fail "the Run value is still there"
wdi_expect_no_key "$WDI_UNINSTALL_KEY"
wdi_expect_no_key "$WDI_SERVICES_KEY\\NXPROTO"
wdi_expect_no_key "$WDI_SERVICES_KEY\\NXPROTO4"
wdi_expect_no_simulated_installation
! wdi_probe sz "$adapter" DriverDesc >/dev/null || wdi_fail "the simulated adapter is still listed"
expect_user_data
echo "PASS"
