#include "config/RegistryNames.h"

namespace {

const char* const kNames[] = {
    "CustomParams",
    "CustomParams\\Configurations",
    "ConfigurationName",
    "NetworkName",
    "NetworkConnectionType",
    "PowerManagement",
    "EnableTurbo",
    "EnableMacAddress",
    "MacAddress",
    "EnableSecurity",
    "DefaultKey",
    "UniqueKey",
    "SharedKey1",
    "SharedKey2",
    "SharedKey3",
    "SharedKey4",
    "SharedKey1Length",
    "SharedKey2Length",
    "SharedKey3Length",
    "SharedKey4Length",
    "UniqueKeyLength",
    "SelectedConfigurationName",
    "SelectedConfigurationIndex",
    "MajorVersion",
    "MinorVersion",
    "TurboEnable",
    "ssid",
    "defaultKey",
    "key0",
    "key1",
    "key2",
    "key3",
    "keyLength0",
    "keyLength1",
    "keyLength2",
    "keyLength3",
    "uniqKeyLength",
    "uniqKey",
    "bssType",
    "sleepMode",
    "privacyInvoked",
    "NetworkAddress",
    "clist",
    "CardCfgId",
    "NetCfgInstanceId",
    "WZCSVC",
    "KeysEnciphered",
};

static_assert(kRegInstalledNameCount == 46, "the shared name table holds 46 names");
static_assert(sizeof kNames / sizeof kNames[0] == kRegNameCount, "one text per name");

} // namespace

const char* RegistryName(RegName name) {
    if (name < 0 || name >= kRegNameCount)
        return "";
    return kNames[name];
}
