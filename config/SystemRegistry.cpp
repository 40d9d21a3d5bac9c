#include "config/SystemRegistry.h"

bool SystemRegistryKey::QueryDword(const char* name, uint32_t& value) {
    DWORD v = 0;
    if (!key_.QueryDword(name, v))
        return false;
    value = v;
    return true;
}

bool SystemRegistryKey::QueryString(const char* name, CString& text) {
    return key_.QueryString(name, text) == 1;
}

bool SystemRegistryKey::SetDword(const char* name, uint32_t value) {
    return key_.SetDword(name, value) == 1;
}

bool SystemRegistryKey::SetString(const char* name, const char* text) {
    return key_.SetString(name, text) == 1;
}

bool SystemRegistryKey::DeleteValue(const char* name) {
    return key_.DeleteValue(name) == 1;
}

bool SystemRegistryKey::EnumChild(uint32_t index, CString& name) {
    return key_.EnumChild(index, name) == 1;
}

std::unique_ptr<RegistryKeyAccess> SystemRegistryKey::OpenChild(const char* subPath) {
    std::unique_ptr<SystemRegistryKey> child(new SystemRegistryKey(Child()));
    bool ok =
        root_ ? child->key_.Open(root_, subPath) == 1 : key_.OpenChild(subPath, child->key_) == 1;
    if (!ok)
        return nullptr;
    return child;
}

std::unique_ptr<RegistryKeyAccess> SystemRegistryKey::CreateChild(const char* subPath,
                                                                  bool* created) {
    std::unique_ptr<SystemRegistryKey> child(new SystemRegistryKey(Child()));
    DWORD disposition = 0;
    bool ok = root_ ? child->key_.Create(root_, subPath, &disposition) == 1
                    : key_.CreateChild(subPath, &disposition, child->key_) == 1;
    if (!ok)
        return nullptr;
    if (created)
        *created = disposition == REG_CREATED_NEW_KEY;
    return child;
}
