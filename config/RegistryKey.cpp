#include "config/RegistryKey.h"

#include <string.h>

int CRegistryKey::Open(HKEY parent, const char* subPath) {
    if (key_)
        return 0;
    HKEY k = nullptr;
    if (RegOpenKeyExA(parent, subPath, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
        return 0;
    key_ = k;
    return 1;
}

int CRegistryKey::OpenChild(const char* subPath, CRegistryKey& child) {
    if (!key_ || child.key_)
        return 0;
    return child.Open(key_, subPath);
}

int CRegistryKey::Create(HKEY parent, const char* subPath, DWORD* disposition) {
    if (key_)
        return 0;
    HKEY k = nullptr;
    DWORD d = 0;
    char emptyClass[] = "";
    if (RegCreateKeyExA(parent, subPath, 0, emptyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &k, &d) != ERROR_SUCCESS)
        return 0;
    key_ = k;
    if (disposition)
        *disposition = d;
    return 1;
}

int CRegistryKey::CreateChild(const char* subPath, DWORD* disposition, CRegistryKey& child) {
    if (!key_ || child.key_)
        return 0;
    return child.Create(key_, subPath, disposition);
}

int CRegistryKey::Close() {
    if (!key_)
        return 0;
    LONG rc = RegCloseKey(key_);
    key_ = nullptr;
    return rc == ERROR_SUCCESS ? 1 : 0;
}

int CRegistryKey::QueryDword(const char* name, DWORD& value) {
    if (!key_ || !name)
        return 0;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
        ERROR_SUCCESS)
        return 0;
    if (type != REG_DWORD || size != sizeof data)
        return 0;
    value = data;
    return 1;
}

int CRegistryKey::QueryString(const char* name, CString& text) {
    if (!key_ || !name)
        return 0;
    // One byte beyond the data buffer so that text stored without its
    // terminating zero still ends inside our buffer.
    char buffer[kTextBufferSize + 1];
    DWORD type = 0;
    DWORD size = kTextBufferSize;
    if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return 0;
    if (type != REG_SZ || size > kTextBufferSize)
        return 0;
    buffer[size] = '\0';
    text = CString(buffer, strnlen(buffer, size));
    SecureZeroMemory(buffer, sizeof buffer); // values may be key material
    return 1;
}

int CRegistryKey::SetDword(const char* name, DWORD value) {
    if (!key_ || !name)
        return 0;
    return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS
               ? 1
               : 0;
}

int CRegistryKey::SetString(const char* name, const char* text) {
    if (!key_ || !name)
        return 0;
    if (!text)
        text = "";
    return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(strlen(text))) == ERROR_SUCCESS
               ? 1
               : 0;
}

int CRegistryKey::EnumChild(DWORD index, CString& name) {
    if (!key_)
        return 0;
    char buffer[kNameBufferSize];
    DWORD length = kNameBufferSize;
    if (RegEnumKeyExA(key_, index, buffer, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    if (length >= kNameBufferSize)
        return 0;
    name = CString(buffer, length);
    return 1;
}

int CRegistryKey::DeleteValue(const char* name) {
    // Null and "" both name the key's default value, which no caller means.
    if (!key_ || !name || !*name)
        return 0;
    return RegDeleteValueA(key_, name) == ERROR_SUCCESS ? 1 : 0;
}
