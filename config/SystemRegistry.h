// The Windows registry behind RegistryKeyAccess: HKEY_LOCAL_MACHINE as the
// root, every key below it held by a CRegistryKey (opened and created with
// its rules and buffer sizes).
#pragma once

#include <windows.h>

#include "config/RegistryAccess.h"
#include "config/RegistryKey.h"

class SystemRegistryKey : public RegistryKeyAccess {
public:
    // The root: HKEY_LOCAL_MACHINE itself, which holds no values here.
    SystemRegistryKey() : root_(HKEY_LOCAL_MACHINE) {}

    bool QueryDword(const char* name, uint32_t& value) override;
    bool QueryString(const char* name, CString& text) override;
    bool SetDword(const char* name, uint32_t value) override;
    bool SetString(const char* name, const char* text) override;
    bool DeleteValue(const char* name) override;
    bool EnumChild(uint32_t index, CString& name) override;
    std::unique_ptr<RegistryKeyAccess> OpenChild(const char* subPath) override;
    std::unique_ptr<RegistryKeyAccess> CreateChild(const char* subPath, bool* created) override;

private:
    struct Child {};
    explicit SystemRegistryKey(Child) {}

    HKEY root_ = nullptr; // set for the root only
    CRegistryKey key_;
};
