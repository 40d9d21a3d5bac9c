// The registry as the profile store and the driver parameter mirror use it:
// keys below a root, holding text and DWORD values. The product's root is
// HKEY_LOCAL_MACHINE, reached through CRegistryKey (config/SystemRegistry);
// a test or a fuzz target can put a small in-memory registry in its place.
// Pure code: no <windows.h>. Operations report success as true.
#pragma once

#include <stdint.h>

#include <memory>

#include "framework/CString.h"

class RegistryKeyAccess {
public:
    virtual ~RegistryKeyAccess() = default;

    // A REG_DWORD of exactly 4 bytes; anything else fails and leaves `value`.
    virtual bool QueryDword(const char* name, uint32_t& value) = 0;
    // A REG_SZ of at most 1024 bytes, cut at its first zero; on failure
    // `text` keeps its old content.
    virtual bool QueryString(const char* name, CString& text) = 0;
    virtual bool SetDword(const char* name, uint32_t value) = 0;
    virtual bool SetString(const char* name, const char* text) = 0;
    // Refuses a null or empty name (the default value).
    virtual bool DeleteValue(const char* name) = 0;
    // The name of subkey number `index`; false past the last one.
    virtual bool EnumChild(uint32_t index, CString& name) = 0;
    // The key at `subPath` below this one (components separated by
    // backslashes); null when it cannot be opened.
    virtual std::unique_ptr<RegistryKeyAccess> OpenChild(const char* subPath) = 0;
    // The same, created when missing; `created` (may be null) tells which.
    virtual std::unique_ptr<RegistryKeyAccess> CreateChild(const char* subPath, bool* created) = 0;
};
