// The profile store's work against any registry root: what LoadConfigurations
// and SaveConfigurations do below the root's adapter key path, with the few
// things that need the system handed in. The product runs it on
// HKEY_LOCAL_MACHINE (config/ProfileStore.cpp); tests and the fuzz target run
// it on an in-memory registry. Pure code.
#pragma once

#include <stdint.h>

#include "config/ProfileStore.h"
#include "config/RegistryAccess.h"
#include "framework/CString.h"

struct ProfileStoreServices {
    // Compares the stored selection name with a profile's name, ignoring
    // case (<0, 0, >0); the product's is multibyte-aware.
    int (*compareNoCase)(const char* a, const char* b);
    // Runs once before keys stored in plain form are enciphered (the
    // product makes sure a card identifier exists).
    void (*prepareEncipher)();
    // Enciphers one plain key text of `bits` bits.
    CString (*encipher)(const char* plain, int32_t bits);
};

// LoadConfigurations below `root` (the Wireless Zero Configuration check
// is the caller's).
bool LoadConfigurationsFrom(RegistryKeyAccess& root, const char* adapterKeyPath,
                            const ProfileStoreServices& services);

// SaveConfigurations below `root`.
bool SaveConfigurationsTo(RegistryKeyAccess& root, const char* adapterKeyPath);
