// A throwaway adapter key per test, "Software\\WavedeskTests\\<Suite>_<Test>"
// below HKEY_LOCAL_MACHINE, removed before and after. The helpers write and read the
// registry with the plain API, so that what the store does is checked
// against the registry itself rather than through its own key holder.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "config/ProfileStore.h"
#include "config/RegistryNames.h"

inline void DeleteRegistryTree(HKEY root, const std::string& path) {
    HKEY k;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) {
        // A link whose target is missing cannot be opened through; remove
        // the link itself.
        if (RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &k) ==
            ERROR_SUCCESS) {
            RegDeleteKeyA(k, "");
            RegCloseKey(k);
        }
        return;
    }
    std::vector<std::string> children;
    char name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD n = sizeof name;
        if (RegEnumKeyExA(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.push_back(name);
    }
    RegCloseKey(k);
    for (const std::string& child : children)
        DeleteRegistryTree(root, path + "\\" + child);
    RegDeleteKeyA(root, path.c_str());
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ =
            std::string("Software\\WavedeskTests\\") + info->test_suite_name() + "_" + info->name();
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, path_);
        HKEY k;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &k, nullptr));
        RegCloseKey(k);
        ClearConfigurations();
    }
    void TearDown() override {
        ClearConfigurations();
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, path_);
    }

    const char* Path() const { return path_.c_str(); }
    // Path of a key below the adapter key ("" for the adapter key itself).
    std::string Below(const std::string& sub) const {
        return sub.empty() ? path_ : path_ + "\\" + sub;
    }
    std::string ConfigurationsPath() const { return Below(RegistryName(kRegConfigurations)); }
    std::string CfgPath(const char* subkey) const { return ConfigurationsPath() + "\\" + subkey; }

    static void SetRaw(const std::string& key, const char* name, DWORD type, const void* data,
                       DWORD size) {
        HKEY k;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &k, nullptr));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(k);
    }
    static void SetSz(const std::string& key, const char* name, const std::string& text) {
        SetRaw(key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    static void SetDw(const std::string& key, const char* name, DWORD v) {
        SetRaw(key, name, REG_DWORD, &v, sizeof v);
    }
    static void MakeKey(const std::string& key) {
        HKEY k;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &k, nullptr));
        RegCloseKey(k);
    }
    static bool KeyExists(const std::string& key) {
        HKEY k;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
            return false;
        RegCloseKey(k);
        return true;
    }
    // The value's text and type; false when it is missing.
    static bool GetRaw(const std::string& key, const char* name, std::string& data, DWORD& type) {
        HKEY k;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
            return false;
        char buffer[8192];
        DWORD size = sizeof buffer;
        LONG rc = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(k);
        if (rc != ERROR_SUCCESS)
            return false;
        data.assign(buffer, size);
        return true;
    }
    static std::string GetSz(const std::string& key, const char* name) {
        std::string data;
        DWORD type = 0;
        if (!GetRaw(key, name, data, type))
            return "<missing>";
        if (type != REG_SZ)
            return "<not text>";
        return std::string(data.c_str()); // up to the first zero, if any
    }
    static bool HasValue(const std::string& key, const char* name) {
        std::string data;
        DWORD type = 0;
        return GetRaw(key, name, data, type);
    }
    static DWORD GetDw(const std::string& key, const char* name, DWORD missing = 0xDEADBEEF) {
        std::string data;
        DWORD type = 0;
        if (!GetRaw(key, name, data, type) || type != REG_DWORD || data.size() != 4)
            return missing;
        DWORD v;
        memcpy(&v, data.data(), 4);
        return v;
    }

    std::string path_;
};
