// CRegistryKey: holds one open registry key; the destructor closes it.
// Operations return 1 on success and 0 on failure; keys are opened and
// created with KEY_ALL_ACCESS.
#pragma once

#include <windows.h>

#include "framework/CString.h"

class CRegistryKey {
public:
    // Buffer sizes of the text reads: value data in bytes, subkey names in
    // characters.
    static const DWORD kTextBufferSize = 1024;
    static const DWORD kNameBufferSize = 1024;

    CRegistryKey() = default;
    ~CRegistryKey() { Close(); }
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Fails at once, leaving the handle alone, when a key is already held.
    int Open(HKEY parent, const char* subPath);
    // Opens below this key into `child` (which must hold no key).
    int OpenChild(const char* subPath, CRegistryKey& child);
    // Creates or opens; `disposition` (may be null) tells which.
    int Create(HKEY parent, const char* subPath, DWORD* disposition);
    int CreateChild(const char* subPath, DWORD* disposition, CRegistryKey& child);
    // Always leaves the handle null; the result tells whether the close worked.
    int Close();

    // A REG_DWORD of exactly 4 bytes; anything else fails.
    int QueryDword(const char* name, DWORD& value);
    // A REG_SZ of at most kTextBufferSize bytes, cut at its first zero (data
    // stored without a terminator is terminated here). On failure `text`
    // keeps its old content.
    int QueryString(const char* name, CString& text);
    int SetDword(const char* name, DWORD value);
    // REG_SZ written with the text length as byte count, as the driver's
    // installation does (no terminating zero counted).
    int SetString(const char* name, const char* text);
    int EnumChild(DWORD index, CString& name);
    // Refuses a null or empty name rather than delete the default value.
    int DeleteValue(const char* name);

    HKEY Handle() const { return key_; }
    bool IsOpen() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};
