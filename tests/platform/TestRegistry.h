// Registry helpers for the Wine tests: write and read values under
// HKEY_LOCAL_MACHINE, remove throwaway trees, answer message boxes.
#pragma once

#include <windows.h>

#include <shlwapi.h>

#include <string>
#include <vector>

#include "framework/UserMessage.h"

inline bool RegWriteString(const std::string& path, const char* name, const std::string& value,
                           DWORD type = REG_SZ) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

inline bool RegWriteDword(const std::string& path, const char* name, DWORD value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

inline bool RegCreatePath(const std::string& path) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// "<missing>" when the value cannot be read.
inline std::string RegReadString(const std::string& path, const char* name) {
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(buffer) : "<missing>";
}

inline DWORD RegReadDword(const std::string& path, const char* name, DWORD missing = 0xDEADBEEF) {
    DWORD value = missing, size = 4;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return missing;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        value = missing;
    RegCloseKey(key);
    return value;
}

inline void RegRemoveTree(const std::string& path) {
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

// Records every message box instead of showing it, answering IDOK.
struct MessageLog {
    struct Entry {
        std::string text, caption;
        unsigned type;
    };
    static std::vector<Entry>& Entries() {
        static std::vector<Entry> entries;
        return entries;
    }
    static int Answer(const char* text, const char* caption, unsigned type) {
        Entries().push_back({text ? text : "", caption ? caption : "", type});
        return IDOK;
    }
    MessageLog() {
        Entries().clear();
        previous_ = SetUserMessageHandler(&MessageLog::Answer);
    }
    ~MessageLog() { SetUserMessageHandler(previous_); }
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

private:
    UserMessageHandler previous_;
};
