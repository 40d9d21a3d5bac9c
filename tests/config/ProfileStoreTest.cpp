#include <string>

#include "RegistryFixture.h"
#include "config/KeyProtection.h"
#include "config/KeyText.h"
#include "config/ProfileStore.h"
#include "framework/UserMessage.h"

namespace {

const char kFixedId[] = "9B3D2E70-4A1C-47e5-8C2F-6D0B9E51A3C8";

int g_messages = 0;
int CountMessage(const char*, const char*, unsigned int) {
    ++g_messages;
    return IDOK;
}

} // namespace

class ProfileStoreTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        g_messages = 0;
        previous_ = SetUserMessageHandler(CountMessage);
    }
    void TearDown() override {
        SetUserMessageHandler(previous_);
        RegistryTest::TearDown();
    }

    // A stored configuration with the values every test starts from.
    void Profile(const char* subkey, const char* name, const char* network = "net") {
        std::string p = CfgPath(subkey);
        if (name)
            SetSz(p, RegistryName(kRegConfigurationName), name);
        else
            MakeKey(p);
        SetSz(p, RegistryName(kRegNetworkName), network);
        SetDw(p, RegistryName(kRegNetworkConnectionType), 1);
        SetDw(p, RegistryName(kRegPowerManagement), 2);
    }
    void Selection(DWORD index, const char* name) {
        SetDw(ConfigurationsPath(), RegistryName(kRegSelectedConfigurationIndex), index);
        SetSz(ConfigurationsPath(), RegistryName(kRegSelectedConfigurationName), name);
    }
    void Version(DWORD major, DWORD minor) {
        SetDw(ConfigurationsPath(), RegistryName(kRegMajorVersion), major);
        SetDw(ConfigurationsPath(), RegistryName(kRegMinorVersion), minor);
    }

    UserMessageHandler previous_ = nullptr;
};

TEST_F(ProfileStoreTest, ProfileWithoutReadableNameIsDroppedAndNamedOneLoaded) {
    Version(1, 0);
    Profile("Cfg0", "Home");
    Profile("Cfg1", nullptr);
    Profile("Cfg2", nullptr);
    SetDw(CfgPath("Cfg2"), RegistryName(kRegConfigurationName), 5);
    Profile("Cfg3", nullptr);
    SetSz(CfgPath("Cfg3"), RegistryName(kRegConfigurationName), std::string(1500, 'n'));
    EXPECT_TRUE(LoadConfigurations(Path()));
    ASSERT_EQ(1, GetConfigurationCount());
    EXPECT_EQ(CString("Home"), GetConfigurationAt(0)->name);
    EXPECT_EQ(nullptr, GetConfigurationAt(1));
    EXPECT_EQ(nullptr, GetConfigurationAt(-1));
}

TEST_F(ProfileStoreTest, StoredValuesLoadByTheirRulesAndWrongTypesCountAsMissing) {
    Version(1, 0);
    Profile("Cfg0", "A");
    std::string p = CfgPath("Cfg0");
    SetDw(p, RegistryName(kRegPowerManagement), 7);
    SetDw(p, RegistryName(kRegNetworkConnectionType), 5);
    SetSz(p, RegistryName(kRegEnableTurbo), "1"); // wrong type: missing
    SetDw(p, RegistryName(kRegEnableSecurity), 1);
    SetDw(p, RegistryName(kRegSharedKey2Length), 104);
    SetDw(p, RegistryName(kRegMacAddress), 3);           // wrong type: missing
    SetSz(p, RegistryName(kRegSharedKey1Length), "128"); // wrong type: stays 40
    SetRaw(p, RegistryName(kRegSharedKey3), REG_SZ, "A5532BCD49803EFFxx", 16); // no zero
    Profile("Cfg1", "B");
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, CfgPath("Cfg1")); // recreated bare below
    SetSz(CfgPath("Cfg1"), RegistryName(kRegConfigurationName), "B");
    SetSz(CfgPath("Cfg1"), RegistryName(kRegNetworkName), std::string(2000, 's'));

    EXPECT_TRUE(LoadConfigurations(Path()));
    ASSERT_EQ(2, GetConfigurationCount());
    const CConfigRecord* a = GetConfigurationAt(0);
    EXPECT_EQ(1, a->powerManagement);
    EXPECT_EQ(1, a->connectionType);
    EXPECT_EQ(0, a->enableTurbo);
    EXPECT_EQ(1, a->enableSecurity);
    EXPECT_EQ(0, a->defaultKey) << "missing DefaultKey loads as 0";
    EXPECT_EQ(40, a->sharedKeyLength[0]);
    EXPECT_EQ(104, a->sharedKeyLength[1]);
    EXPECT_TRUE(a->macAddress.IsEmpty());
    EXPECT_EQ(CString("A5532BCD49803EFF"), a->sharedKey[2]);
    EXPECT_EQ(0, a->dirty);

    const CConfigRecord* b = GetConfigurationAt(1);
    EXPECT_EQ(0, b->powerManagement) << "missing PowerManagement loads as Off";
    EXPECT_EQ(1, b->connectionType);
    EXPECT_TRUE(b->networkName.IsEmpty()) << "oversized text must count as missing";
    EXPECT_EQ(40, b->uniqueKeyLength);
}

TEST_F(ProfileStoreTest, SelectionNeedsNumberAndNameAndIsRefreshedFromDriver) {
    Version(1, 0);
    Profile("Cfg0", "Home", "home-net");
    Profile("Cfg1", "Office", "office-net");
    Selection(1, "oFFICE");
    SetSz(Path(), RegistryName(kRegSsid), "driver-net");
    SetSz(Path(), RegistryName(kRegBssType), "2");

    EXPECT_TRUE(LoadConfigurations(Path()));
    EXPECT_TRUE(IsSelectionFound());
    CConfigRecord* selected = FindConfiguration(nullptr);
    ASSERT_NE(nullptr, selected);
    EXPECT_EQ(CString("Office"), selected->name);
    EXPECT_EQ(CString("driver-net"), selected->networkName) << "driver values win";
    EXPECT_EQ(0, selected->connectionType);
    EXPECT_EQ(0, selected->dirty);
    EXPECT_EQ(CString("home-net"), FindConfiguration("Home")->networkName);
    EXPECT_EQ(nullptr, FindConfiguration("home")) << "name search is case-sensitive";
    EXPECT_EQ(nullptr, FindConfiguration("Nowhere"));

    // The name matches another number: nothing is found or refreshed.
    ClearConfigurations();
    Selection(0, "Office");
    EXPECT_TRUE(LoadConfigurations(Path()));
    EXPECT_FALSE(IsSelectionFound());
    EXPECT_EQ(CString("office-net"), FindConfiguration("Office")->networkName);
    EXPECT_EQ(CString("home-net"), FindConfiguration(nullptr)->networkName);
}

TEST_F(ProfileStoreTest, MissingSelectionSelectsFirstWithoutRefreshingIt) {
    Version(1, 0);
    Profile("Cfg0", "Home", "home-net");
    SetSz(Path(), RegistryName(kRegSsid), "driver-net");
    EXPECT_TRUE(LoadConfigurations(Path()));
    EXPECT_EQ(0, GetSelectedIndex());
    ASSERT_NE(nullptr, FindConfiguration(nullptr));
    EXPECT_EQ(CString("Home"), FindConfiguration(nullptr)->name);
    EXPECT_EQ(CString("home-net"), FindConfiguration(nullptr)->networkName);
    EXPECT_FALSE(IsSelectionFound());
}

TEST_F(ProfileStoreTest, OddSubkeyNamesMatchTheSelectionOnlyByTheirNumber) {
    Version(1, 0);
    Profile("Cfg", "Short");
    Profile("X", "Shorter");
    Profile("ABC7", "Seven");
    Selection(static_cast<DWORD>(-1), "Short");
    EXPECT_TRUE(LoadConfigurations(Path()));
    EXPECT_EQ(3, GetConfigurationCount());
    EXPECT_FALSE(IsSelectionFound()) << "N = -1 must never match";
    EXPECT_EQ(CString("Seven"), GetConfigurationAt(0)->name) << "numbered names first";

    ClearConfigurations();
    Selection(7, "Seven");
    EXPECT_TRUE(LoadConfigurations(Path()));
    EXPECT_TRUE(IsSelectionFound());
    EXPECT_EQ(CString("Seven"), FindConfiguration(nullptr)->name);
}

TEST_F(ProfileStoreTest, MissingConfigurationsKeyBuildsDefaultFromDriverWithoutWriting) {
    SetSz(Path(), RegistryName(kRegSsid), "driver-net");
    SetSz(Path(), RegistryName(kRegSleepMode), "0");
    SetSz(Path(), RegistryName(kRegKey1), "A5532BCD49803EFF");
    SetSz(Path(), RegistryName(kRegDriverDefaultKey), "1");
    EXPECT_FALSE(LoadConfigurations(Path()));
    ASSERT_EQ(1, GetConfigurationCount());
    const CConfigRecord* d = FindConfiguration(nullptr);
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(CString("Default"), d->name);
    EXPECT_EQ(CString("driver-net"), d->networkName);
    EXPECT_EQ(0, d->powerManagement);
    EXPECT_EQ(CString("A5532BCD49803EFF"), d->sharedKey[1]);
    EXPECT_EQ(2, d->defaultKey);
    EXPECT_EQ(0, d->dirty);
    EXPECT_EQ(CString("Default"), CString(GetSelectedName()));
    EXPECT_EQ(1u, GetMajorVersion());
    EXPECT_EQ(0u, GetMinorVersion());
    EXPECT_FALSE(KeyExists(ConfigurationsPath())) << "nothing is written at load";
}

TEST_F(ProfileStoreTest, MissingAdapterKeyLoadsNothingAndSaveStillSucceeds) {
    EXPECT_FALSE(LoadConfigurations(Below("Missing").c_str()));
    EXPECT_EQ(0, GetConfigurationCount());
    EXPECT_EQ(nullptr, FindConfiguration(nullptr));
    EXPECT_TRUE(SaveConfigurations(nullptr));
}

TEST_F(ProfileStoreTest, UnopenableSubkeyIsSkippedAndTheLoadGoesOn) {
    Version(1, 0);
    Profile("Cfg0", "Home");
    Profile("Cfg2", "Away");
    // A registry link whose target is missing: listed, but cannot be opened.
    HKEY link;
    std::string linkPath = CfgPath("Cfg1");
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, linkPath.c_str(), 0, nullptr,
                              REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS, nullptr, &link, nullptr));
    const wchar_t target[] = L"\\Registry\\Machine\\Software\\WavedeskTests\\NoSuchKey";
    RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target),
                   sizeof target - sizeof(wchar_t));
    RegCloseKey(link);
    HKEY probe;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, linkPath.c_str(), 0, KEY_READ, &probe) == ERROR_SUCCESS) {
        RegCloseKey(probe);
        GTEST_SKIP() << "this registry opens dangling links";
    }
    EXPECT_TRUE(LoadConfigurations(Path()));
    ASSERT_EQ(2, GetConfigurationCount());
    EXPECT_EQ(CString("Home"), GetConfigurationAt(0)->name);
    EXPECT_EQ(CString("Away"), GetConfigurationAt(1)->name);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, linkPath);
    EXPECT_FALSE(KeyExists(linkPath));
    HKEY gone;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, linkPath.c_str(),
                                           REG_OPTION_OPEN_LINK, KEY_READ, &gone))
        << "the test left its link behind";
}

TEST_F(ProfileStoreTest, SaveRewritesOnlyChangedProfilesAndMirrorsTheSelectedOne) {
    Version(1, 0);
    Profile("Cfg0", "A");
    Profile("Cfg1", "B");
    Profile("Cfg2", "C");
    Selection(2, "C");
    // Values a rewrite would change: stored 5 loads as 1.
    for (const char* s : {"Cfg0", "Cfg1", "Cfg2"})
        SetDw(CfgPath(s), RegistryName(kRegNetworkConnectionType), 5);
    ASSERT_TRUE(LoadConfigurations(Path()));
    SetSz(Path(), RegistryName(kRegNetworkAddress), "00-01-02-03-04-05");

    CConfigRecord* c = GetConfigurationAt(2);
    ASSERT_NE(nullptr, c);
    c->networkName = "edited";
    c->sharedKey[0] = "A5532BCD49803EFF";
    c->enableSecurity = 1;
    c->dirty = 1;
    EXPECT_TRUE(SaveConfigurations(nullptr));
    EXPECT_EQ(0, c->dirty);

    EXPECT_EQ(5u, GetDw(CfgPath("Cfg0"), RegistryName(kRegNetworkConnectionType)));
    EXPECT_EQ(5u, GetDw(CfgPath("Cfg1"), RegistryName(kRegNetworkConnectionType)));
    EXPECT_EQ(1u, GetDw(CfgPath("Cfg2"), RegistryName(kRegNetworkConnectionType)));
    EXPECT_EQ("edited", GetSz(CfgPath("Cfg2"), RegistryName(kRegNetworkName)));
    EXPECT_EQ("A5532BCD49803EFF", GetSz(CfgPath("Cfg2"), RegistryName(kRegSharedKey1)));
    EXPECT_EQ(40u, GetDw(CfgPath("Cfg2"), RegistryName(kRegSharedKey1Length)));
    EXPECT_EQ(1u, GetDw(CfgPath("Cfg2"), RegistryName(kRegDefaultKey), 0))
        << "refreshed from the driver: a missing defaultKey selects shared key 1";

    EXPECT_EQ("edited", GetSz(Path(), RegistryName(kRegSsid)));
    EXPECT_EQ("A5532BCD49803EFF", GetSz(Path(), RegistryName(kRegKey0)));
    EXPECT_EQ("5", GetSz(Path(), RegistryName(kRegKeyLength0)));
    EXPECT_EQ("1", GetSz(Path(), RegistryName(kRegPrivacyInvoked)));
    EXPECT_FALSE(HasValue(Path(), RegistryName(kRegNetworkAddress)));

    // The installation's four values are never written.
    EXPECT_EQ(1u, GetDw(ConfigurationsPath(), RegistryName(kRegMajorVersion)));
    EXPECT_EQ(0u, GetDw(ConfigurationsPath(), RegistryName(kRegMinorVersion)));
    EXPECT_EQ(2u, GetDw(ConfigurationsPath(), RegistryName(kRegSelectedConfigurationIndex)));
    EXPECT_EQ("C", GetSz(ConfigurationsPath(), RegistryName(kRegSelectedConfigurationName)));
}

TEST_F(ProfileStoreTest, ElevenProfilesEachSaveToTheirOwnSubkey) {
    Version(1, 0);
    for (int i = 0; i <= 10; ++i) {
        std::string name = "P" + std::to_string(i);
        Profile(("Cfg" + std::to_string(i)).c_str(), name.c_str(), (name + "-net").c_str());
    }
    Selection(10, "P10");
    ASSERT_TRUE(LoadConfigurations(Path()));
    ASSERT_EQ(11, GetConfigurationCount());
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ(CString(("P" + std::to_string(i)).c_str()), GetConfigurationAt(i)->name);
    EXPECT_TRUE(IsSelectionFound());
    ASSERT_NE(nullptr, FindConfiguration(nullptr));
    EXPECT_EQ(CString("P10"), FindConfiguration(nullptr)->name);

    for (int i = 0; i <= 10; ++i) {
        CConfigRecord* r = GetConfigurationAt(i);
        r->networkName = r->name + "-saved";
        r->dirty = 1;
    }
    SaveConfigurations(nullptr);
    for (int i = 0; i <= 10; ++i) {
        std::string p = CfgPath(("Cfg" + std::to_string(i)).c_str());
        std::string name = "P" + std::to_string(i);
        EXPECT_EQ(name, GetSz(p, RegistryName(kRegConfigurationName))) << p;
        EXPECT_EQ(name + "-saved", GetSz(p, RegistryName(kRegNetworkName))) << p;
    }
    EXPECT_FALSE(KeyExists(CfgPath("Cfg11")));
    EXPECT_EQ("P10-saved", GetSz(Path(), RegistryName(kRegSsid)));

    ClearConfigurations();
    ASSERT_TRUE(LoadConfigurations(Path()));
    EXPECT_EQ(11, GetConfigurationCount());
    EXPECT_EQ(CString("P10"), FindConfiguration(nullptr)->name);
}

TEST_F(ProfileStoreTest, ProfilesWithGapsOrOddNamesSaveToTheSubkeysTheyCameFrom) {
    Version(1, 0);
    Profile("Cfg0", "Zero");
    Profile("Cfg3", "Three");
    Profile("Cfg", "NoNumber");
    ASSERT_TRUE(LoadConfigurations(Path()));
    ASSERT_EQ(3, GetConfigurationCount());
    for (int i = 0; i < 3; ++i) {
        GetConfigurationAt(i)->networkName = GetConfigurationAt(i)->name + "!";
        GetConfigurationAt(i)->dirty = 1;
    }
    SaveConfigurations(nullptr);
    EXPECT_EQ("Zero", GetSz(CfgPath("Cfg0"), RegistryName(kRegConfigurationName)));
    EXPECT_EQ("Zero!", GetSz(CfgPath("Cfg0"), RegistryName(kRegNetworkName)));
    EXPECT_EQ("Three!", GetSz(CfgPath("Cfg3"), RegistryName(kRegNetworkName)));
    EXPECT_EQ("NoNumber!", GetSz(CfgPath("Cfg"), RegistryName(kRegNetworkName)));
    EXPECT_FALSE(KeyExists(CfgPath("Cfg1")));
    EXPECT_FALSE(KeyExists(CfgPath("Cfg2")));
}

TEST_F(ProfileStoreTest, UpgradeEnciphersEveryKeyExactlyOnceAcrossLoads) {
    SetSz(Path(), RegistryName(kRegCardCfgId), kFixedId);
    Version(0, 1);
    Profile("Cfg0", "Home");
    SetSz(CfgPath("Cfg0"), RegistryName(kRegSharedKey1), "0123456789");
    SetDw(CfgPath("Cfg0"), RegistryName(kRegSharedKey1Length), 40);
    Profile("Cfg1", "Office");
    SetSz(CfgPath("Cfg1"), RegistryName(kRegUniqueKey), "0123456789");
    Selection(0, "Home");
    // Before 0.2 the driver values held plain keys too.
    SetSz(Path(), RegistryName(kRegKey0), "0123456789");
    SetSz(Path(), RegistryName(kRegKeyLength0), "5");

    ASSERT_TRUE(LoadConfigurations(Path()));
    const char enciphered[] = "A5532BCD49803EFF";
    EXPECT_EQ(CString(enciphered), FindConfiguration("Home")->sharedKey[0]);
    EXPECT_EQ(CString(enciphered), FindConfiguration("Office")->uniqueKey);
    EXPECT_EQ(enciphered, GetSz(CfgPath("Cfg0"), RegistryName(kRegSharedKey1)));
    EXPECT_EQ(enciphered, GetSz(CfgPath("Cfg1"), RegistryName(kRegUniqueKey)));
    EXPECT_EQ(enciphered, GetSz(Path(), RegistryName(kRegKey0)));
    EXPECT_EQ(0, FindConfiguration("Home")->dirty);
    EXPECT_EQ(0u, GetDw(ConfigurationsPath(), RegistryName(kRegMajorVersion)));
    EXPECT_EQ(1u, GetDw(ConfigurationsPath(), RegistryName(kRegMinorVersion)));

    // The second load finds the same version but must not encipher again.
    ClearConfigurations();
    ASSERT_TRUE(LoadConfigurations(Path()));
    EXPECT_EQ(CString(enciphered), FindConfiguration("Home")->sharedKey[0]);
    EXPECT_EQ(CString(enciphered), FindConfiguration("Office")->uniqueKey);
    EXPECT_EQ(enciphered, GetSz(CfgPath("Cfg0"), RegistryName(kRegSharedKey1)));
    EXPECT_EQ(enciphered, GetSz(Path(), RegistryName(kRegKey0)));
    CString plain;
    DecryptKeyText(FindConfiguration("Home")->sharedKey[0], plain, 5);
    EXPECT_EQ(CString("0123456789"), plain);
}

TEST_F(ProfileStoreTest, CurrentVersionIsNeitherRewrittenNorMirroredAtLoad) {
    SetSz(Path(), RegistryName(kRegCardCfgId), kFixedId);
    Version(1, 0);
    Profile("Cfg0", "Home");
    SetSz(CfgPath("Cfg0"), RegistryName(kRegSharedKey1), "A5532BCD49803EFF");
    SetDw(CfgPath("Cfg0"), RegistryName(kRegNetworkConnectionType), 5);
    Selection(0, "Home");
    ASSERT_TRUE(LoadConfigurations(Path()));
    EXPECT_EQ(CString("A5532BCD49803EFF"), FindConfiguration(nullptr)->sharedKey[0]);
    EXPECT_EQ(5u, GetDw(CfgPath("Cfg0"), RegistryName(kRegNetworkConnectionType)));
    EXPECT_FALSE(HasValue(Path(), RegistryName(kRegSsid))) << "no driver values at load";
}

TEST_F(ProfileStoreTest, DefaultConfigurationSavedByTheStoreIsNotEncipheredAgainAtTheNextLoad) {
    SetSz(Path(), RegistryName(kRegCardCfgId), kFixedId);
    SetSz(Path(), RegistryName(kRegSsid), "driver-net");
    EXPECT_FALSE(LoadConfigurations(Path()));
    CConfigRecord* d = FindConfiguration(nullptr);
    ASSERT_NE(nullptr, d);
    d->sharedKey[0] = EncryptKeyText("0123456789", 40);
    EXPECT_EQ(CString("A5532BCD49803EFF"), d->sharedKey[0]);
    d->enableSecurity = 1;
    d->defaultKey = 1;
    d->dirty = 1;
    SaveConfigurations(nullptr);
    EXPECT_EQ("Default", GetSz(CfgPath("Cfg0"), RegistryName(kRegConfigurationName)));
    EXPECT_FALSE(HasValue(ConfigurationsPath(), RegistryName(kRegMajorVersion)));

    // The key now has no version values (0.0) and a profile selected by default.
    ClearConfigurations();
    EXPECT_TRUE(LoadConfigurations(Path()));
    ASSERT_NE(nullptr, FindConfiguration(nullptr));
    EXPECT_EQ(CString("A5532BCD49803EFF"), FindConfiguration(nullptr)->sharedKey[0]);
    EXPECT_EQ("A5532BCD49803EFF", GetSz(CfgPath("Cfg0"), RegistryName(kRegSharedKey1)));
}

TEST_F(ProfileStoreTest, SecondLoadWithoutClearReplacesTheProfiles) {
    Version(1, 0);
    Profile("Cfg0", "A");
    Profile("Cfg1", "B");
    Selection(1, "B");
    ASSERT_TRUE(LoadConfigurations(Path()));
    ASSERT_TRUE(LoadConfigurations(Path()));
    EXPECT_EQ(2, GetConfigurationCount());
    EXPECT_EQ(CString("B"), FindConfiguration(nullptr)->name);
}

TEST_F(ProfileStoreTest, ClearResetsTheWholeStoreState) {
    Version(1, 2);
    Profile("Cfg0", "A");
    Selection(0, "A");
    ASSERT_TRUE(LoadConfigurations(Path()));
    EXPECT_EQ(2u, GetMinorVersion());
    EXPECT_STREQ(Path(), GetAdapterKeyPath());
    ClearConfigurations();
    EXPECT_EQ(0, GetConfigurationCount());
    EXPECT_EQ(-1, GetSelectedIndex());
    EXPECT_EQ(nullptr, FindConfiguration(nullptr));
    EXPECT_STREQ("", GetSelectedName());
    EXPECT_STREQ("", GetAdapterKeyPath());
    EXPECT_EQ(0u, GetMajorVersion());
    EXPECT_EQ(0u, GetMinorVersion());
    EXPECT_FALSE(IsSelectionFound());
}

TEST_F(ProfileStoreTest, EmptyAdapterPathNeitherReadsNorWritesAtTheRegistryRoot) {
    EXPECT_FALSE(LoadConfigurations(""));
    EXPECT_EQ(0, GetConfigurationCount());
    EXPECT_FALSE(LoadConfigurations(nullptr));
    EXPECT_EQ(0, GetConfigurationCount());
    EXPECT_TRUE(SaveConfigurations(nullptr));
    EXPECT_FALSE(KeyExists(RegistryName(kRegCustomParams)));
    EXPECT_FALSE(KeyExists(std::string("\\") + RegistryName(kRegConfigurations)));
}
