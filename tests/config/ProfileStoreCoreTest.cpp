// The store's work on an in-memory registry: what does not depend on the
// Windows registry itself (the Wine tests cover that), checked on the host.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "config/KeyText.h"
#include "config/ProfileStoreCore.h"
#include "config/RegistryNames.h"
#include "fuzz/MemoryRegistry.h"

namespace {

const char kAdapter[] = "System\\Class\\0001";
const char kCardId[] = "9B3D2E70-4A1C-47e5-8C2F-6D0B9E51A3C8";

int g_prepared = 0;
int g_enciphered = 0;

int CompareNoCase(const char* a, const char* b) {
    return CString(a).CompareNoCase(b);
}
void Prepare() {
    ++g_prepared;
}
CString Encipher(const char* plain, int32_t bits) {
    ++g_enciphered;
    return EncipherKeyText(reinterpret_cast<const uint8_t*>(kCardId), strlen(kCardId), plain, bits);
}
const ProfileStoreServices kServices = {CompareNoCase, Prepare, Encipher};

std::string Dword(uint32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

class ProfileStoreCore : public testing::Test {
protected:
    void SetUp() override {
        ClearConfigurations();
        g_prepared = g_enciphered = 0;
        root = registry.Root();
    }
    void TearDown() override { ClearConfigurations(); }

    std::string Configurations() const {
        return std::string(kAdapter) + "\\" + RegistryName(kRegConfigurations);
    }
    void Text(const std::string& key, RegName name, const std::string& text) {
        registry.Set(key, RegistryName(name), MemoryRegistry::kText, text);
    }
    void Number(const std::string& key, RegName name, uint32_t v) {
        registry.Set(key, RegistryName(name), MemoryRegistry::kDword, Dword(v));
    }
    const MemoryRegistry::Value* Stored(const std::string& key, RegName name) {
        MemoryRegistry::Key* k = registry.Find(key);
        if (!k)
            return nullptr;
        auto it = k->values.find(RegistryName(name));
        return it == k->values.end() ? nullptr : &it->second;
    }
    bool Load() { return LoadConfigurationsFrom(*root, kAdapter, kServices); }

    MemoryRegistry registry;
    std::unique_ptr<RegistryKeyAccess> root;
};

} // namespace

TEST_F(ProfileStoreCore, EverySavedProfileLoadsBackAsItWasWithItsSelection) {
    Number(Configurations(), kRegMajorVersion, 1);
    Number(Configurations(), kRegSelectedConfigurationIndex, 1);
    Text(Configurations(), kRegSelectedConfigurationName, "office");
    std::string cfg0 = Configurations() + "\\Cfg0", cfg1 = Configurations() + "\\Cfg1";
    Text(cfg0, kRegConfigurationName, "Home");
    Text(cfg1, kRegConfigurationName, "Office");
    Text(kAdapter, kRegSsid, "driver-net");
    ASSERT_TRUE(Load());
    ASSERT_EQ(2, GetConfigurationCount());
    ASSERT_TRUE(IsSelectionFound());
    EXPECT_EQ(CString("driver-net"), FindConfiguration(nullptr)->networkName);

    CConfigRecord* home = FindConfiguration("Home");
    home->networkName = "home-net";
    home->connectionType = 0;
    home->powerManagement = 2;
    home->enableMacAddress = 1;
    home->macAddress = "00-11-22-33-44-55";
    home->enableSecurity = 1;
    home->defaultKey = 3;
    home->sharedKey[2] = "A5532BCD49803EFF";
    home->sharedKeyLength[2] = 104;
    home->uniqueKeyLength = 128;
    home->dirty = 1;
    CConfigRecord before = *home;
    EXPECT_TRUE(SaveConfigurationsTo(*root, nullptr));
    EXPECT_EQ(0, home->dirty);

    ClearConfigurations();
    ASSERT_TRUE(Load());
    CConfigRecord* back = FindConfiguration("Home");
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(before.networkName, back->networkName);
    EXPECT_EQ(before.connectionType, back->connectionType);
    EXPECT_EQ(before.powerManagement, back->powerManagement);
    EXPECT_EQ(before.macAddress, back->macAddress);
    EXPECT_EQ(before.enableMacAddress, back->enableMacAddress);
    EXPECT_EQ(before.enableSecurity, back->enableSecurity);
    EXPECT_EQ(before.defaultKey, back->defaultKey);
    EXPECT_EQ(before.sharedKey[2], back->sharedKey[2]);
    EXPECT_EQ(before.sharedKeyLength[2], back->sharedKeyLength[2]);
    EXPECT_EQ(before.uniqueKeyLength, back->uniqueKeyLength);
    EXPECT_EQ(CString("Office"), FindConfiguration(nullptr)->name);
    EXPECT_EQ(1, GetSelectedIndex());
}

TEST_F(ProfileStoreCore, PlainKeysBefore02AreEncipheredOnceThroughTheServicesAndMarked) {
    Number(Configurations(), kRegMinorVersion, 1);
    std::string cfg0 = Configurations() + "\\Cfg0";
    Text(cfg0, kRegConfigurationName, "Home");
    Text(cfg0, kRegSharedKey1, "0123456789");
    Text(cfg0, kRegUniqueKey, "00112233445566778899AABBCC");
    Number(cfg0, kRegUniqueKeyLength, 104);
    ASSERT_TRUE(Load());
    EXPECT_EQ(1, g_prepared);
    EXPECT_EQ(2, g_enciphered) << "one call per key that is set";
    EXPECT_EQ(CString("A5532BCD49803EFF"), FindConfiguration("Home")->sharedKey[0]);
    ASSERT_NE(nullptr, Stored(cfg0, kRegSharedKey1));
    EXPECT_EQ("A5532BCD49803EFF", Stored(cfg0, kRegSharedKey1)->data);
    ASSERT_NE(nullptr, Stored(Configurations(), kRegKeysEnciphered));
    EXPECT_EQ(Dword(1), Stored(Configurations(), kRegKeysEnciphered)->data);
    EXPECT_EQ(Dword(1), Stored(Configurations(), kRegMinorVersion)->data) << "version rewritten";

    ClearConfigurations();
    ASSERT_TRUE(Load());
    EXPECT_EQ(1, g_prepared) << "the marked keys were enciphered again";
    EXPECT_EQ(2, g_enciphered);
    EXPECT_EQ(CString("A5532BCD49803EFF"), FindConfiguration("Home")->sharedKey[0]);
}

TEST_F(ProfileStoreCore, SelectionNameIsComparedByTheServicesComparison) {
    Number(Configurations(), kRegSelectedConfigurationIndex, 0);
    Text(Configurations(), kRegSelectedConfigurationName, "HOME");
    Text(Configurations() + "\\Cfg0", kRegConfigurationName, "home");
    ProfileStoreServices exact = kServices;
    exact.compareNoCase = [](const char* a, const char* b) { return strcmp(a, b); };
    ASSERT_TRUE(LoadConfigurationsFrom(*root, kAdapter, exact));
    EXPECT_FALSE(IsSelectionFound());
    ClearConfigurations();
    ASSERT_TRUE(Load());
    EXPECT_TRUE(IsSelectionFound());
}

TEST_F(ProfileStoreCore, SaveWithoutConfigurationsKeyCreatesItMarkedAndWritesNewProfilesAsCfgN) {
    Text(kAdapter, kRegSsid, "driver-net");
    EXPECT_FALSE(Load());
    ASSERT_EQ(1, GetConfigurationCount());
    EXPECT_EQ(nullptr, registry.Find(Configurations())) << "the load wrote";
    FindConfiguration(nullptr)->dirty = 1;
    SaveConfigurationsTo(*root, nullptr);
    ASSERT_NE(nullptr, Stored(Configurations() + "\\Cfg0", kRegConfigurationName));
    EXPECT_EQ("Default", Stored(Configurations() + "\\Cfg0", kRegConfigurationName)->data);
    ASSERT_NE(nullptr, Stored(Configurations(), kRegKeysEnciphered));
    ASSERT_NE(nullptr, Stored(kAdapter, kRegSsid));
    EXPECT_EQ("driver-net", Stored(kAdapter, kRegSsid)->data);
}
