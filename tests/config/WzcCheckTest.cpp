// The Wireless Zero Configuration warning, run as the Windows versions that
// differ: XP (5.1) checks, Windows 2000 (5.0) does not.
#include <string>

#include "RegistryFixture.h"
#include "config/ProfileStore.h"
#include "framework/UserMessage.h"
#include "tests/support/WineFamily.h"

namespace {

int g_messages = 0;
std::string g_text;
unsigned int g_type = 0;

int CountMessage(const char* text, const char*, unsigned int type) {
    ++g_messages;
    g_text = text ? text : "";
    g_type = type;
    return IDOK;
}

} // namespace

class WzcCheckTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // An interface identifier of this test's own, so that tests running
        // side by side do not share the interface key.
        instanceId_ = std::string("{WavedeskTest-") + info->name() + "}";
        interfacePath_ = "Software\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\" + instanceId_;
        g_messages = 0;
        previous_ = SetUserMessageHandler(CountMessage);
    }
    void TearDown() override {
        SetUserMessageHandler(previous_);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, interfacePath_);
        RegistryTest::TearDown();
    }
    void Interface(bool withId, DWORD flags) {
        if (withId)
            SetSz(Path(), "NetCfgInstanceId", instanceId_);
        SetDw(interfacePath_, "ControlFlags", flags);
    }

    std::string instanceId_;
    std::string interfacePath_;
    UserMessageHandler previous_ = nullptr;
};

TEST_F(WzcCheckTest, XpWithManagedFlagIsWarnedOncePerLoad) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("winxp"));
        return;
    }
    Interface(true, 0x8000 | 0x2);
    LoadConfigurations(Path());
    EXPECT_EQ(1, g_messages);
    EXPECT_EQ(0u, g_type & 0xF) << "an OK box";
    EXPECT_EQ("Please disable the Wireless Zero Config feature for VELNORA KX750 Wireless "
              "adapter.\nIt can be disabled in the Wireless Network Connection Properties window "
              "by\nunchecking the \"Use windows to configure my wireless network settings\" box.",
              g_text);
    EXPECT_EQ(1, GetConfigurationCount()) << "the load goes on after the warning";
    ClearConfigurations();
    LoadConfigurations(Path());
    EXPECT_EQ(2, g_messages);
}

TEST_F(WzcCheckTest, XpWithoutManagedFlagIsNotWarned) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("winxp"));
        return;
    }
    Interface(true, 0x7FFF);
    LoadConfigurations(Path());
    EXPECT_EQ(0, g_messages);
}

TEST_F(WzcCheckTest, XpWithoutInterfaceIdentifierIsNotWarned) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("winxp"));
        return;
    }
    Interface(false, 0x8000);
    LoadConfigurations(Path());
    EXPECT_EQ(0, g_messages);
    SetDw(Path(), RegistryName(kRegNetCfgInstanceId), 1); // wrong type
    LoadConfigurations(Path());
    EXPECT_EQ(0, g_messages);
}

TEST_F(WzcCheckTest, Windows2000IsNotWarned) {
    if (!InFamilyChild()) {
        EXPECT_EQ(0, RunTestAs("win2k"));
        return;
    }
    Interface(true, 0x8000);
    LoadConfigurations(Path());
    EXPECT_EQ(0, g_messages);
}
