// The registry name table: every registry key and value name the program
// uses, in one place. Code refers to a name through its RegName constant and
// RegistryName(); no other spelling of these names appears anywhere.
#pragma once

enum RegName : int {
    kRegCustomParams,   // kept in the table; not used
    kRegConfigurations, // configurations key below the adapter key
    // Values of a configuration subkey.
    kRegConfigurationName,
    kRegNetworkName,
    kRegNetworkConnectionType,
    kRegPowerManagement,
    kRegEnableTurbo,
    kRegEnableMacAddress,
    kRegMacAddress,
    kRegEnableSecurity,
    kRegDefaultKey,
    kRegUniqueKey,
    kRegSharedKey1,
    kRegSharedKey2,
    kRegSharedKey3,
    kRegSharedKey4,
    kRegSharedKey1Length,
    kRegSharedKey2Length,
    kRegSharedKey3Length,
    kRegSharedKey4Length,
    kRegUniqueKeyLength,
    // Values of the configurations key; the installation writes them.
    kRegSelectedConfigurationName,
    kRegSelectedConfigurationIndex,
    kRegMajorVersion,
    kRegMinorVersion,
    // The miniport driver's own parameter values in the adapter key.
    kRegTurboEnable,
    kRegSsid,
    kRegDriverDefaultKey,
    kRegKey0,
    kRegKey1,
    kRegKey2,
    kRegKey3,
    kRegKeyLength0,
    kRegKeyLength1,
    kRegKeyLength2,
    kRegKeyLength3,
    kRegUniqKeyLength,
    kRegUniqKey,
    kRegBssType,
    kRegSleepMode,
    kRegPrivacyInvoked,
    kRegNetworkAddress,
    kRegClist, // kept in the table; not used
    kRegCardCfgId,
    kRegNetCfgInstanceId,
    kRegWzcsvc,             // path component of the Wireless Zero Configuration key
    kRegInstalledNameCount, // the names the installation and the driver share

    // Names of this program's own beyond the shared ones.
    // DWORD 1 under the configurations key: the stored keys are enciphered.
    // Written when the store creates the key or upgrades plain keys, so the
    // upgrade of data older than version 0.2 never runs over enciphered keys.
    kRegKeysEnciphered = kRegInstalledNameCount,
    kRegNameCount
};

const char* RegistryName(RegName name);
