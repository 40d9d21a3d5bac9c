// A WEP key typed on the Configuration page and applied with OK: the profile
// keeps it enciphered, the driver values mirror it, and each family puts it
// into effect its own way: Windows XP restarts the adapter (the stand-in
// reads the values again), NT 4.0 asks for a reboot and the adapter keeps
// its join until it starts again.
#include "tests/e2e/Desktop.h"

#include <ctype.h>
#include <stdio.h>

#include "config/KeyCipher.h"
#include "res/resource.h"
#include "sim/SimControl.h"
#include "tests/platform/TestRegistry.h"
#include "ui/PageIds.h"

namespace {

const char kTypedKey[] = "0123456789"; // 64 bits

// The plain key text of `byteCount` bytes that `cipher` deciphers to under
// the card identifier `cardId`.
std::string Decipher(const std::string& cipher, const std::string& cardId, size_t byteCount) {
    BlowfishContext work;
    uint8_t plain[64] = {};
    size_t got =
        KeyCipherDecipherText(&work, reinterpret_cast<const uint8_t*>(cardId.data()), cardId.size(),
                              cipher.c_str(), cipher.size(), plain, sizeof plain);
    if (got < byteCount)
        return "<undecipherable>";
    std::string text;
    for (size_t i = 0; i < byteCount; ++i) {
        char pair[3];
        snprintf(pair, sizeof pair, "%02X", plain[i]);
        text += pair;
    }
    return text;
}

// Names of the text values under `path` that hold `needle`, ignoring case.
std::vector<std::string> ValuesHolding(const std::string& path, const std::string& needle) {
    std::vector<std::string> found;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return found;
    auto upper = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        return s;
    };
    for (DWORD i = 0;; ++i) {
        char name[256], data[1024] = {};
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data),
                          &dataSize) != ERROR_SUCCESS)
            break;
        if (type == REG_SZ && upper(data).find(upper(needle)) != std::string::npos)
            found.push_back(name);
    }
    RegCloseKey(key);
    return found;
}

bool AllFF(const uint8_t (&bssid)[6]) {
    for (uint8_t b : bssid)
        if (b != 0xFF)
            return false;
    return true;
}

class EndToEndApply : public WavedeskDesktop {
protected:
    // Opens the sheet from the tray at the Configuration page, turns
    // security on, types Key 1 and makes it the default key.
    void EnterKey1() {
        ASSERT_EQ(0u, Ctl("open"));
        ASSERT_EQ(0u, Ctl("wait-sheet"));
        ASSERT_EQ(0u, Ctl("page " + std::to_string(kConfigurationPage)));
        ASSERT_EQ(0u, Ctl("click " + std::to_string(IDC_CFG_SECURITY)));
        ASSERT_EQ(0u, Ctl("type " + std::to_string(IDC_CFG_SHARED_KEY1) + " " + kTypedKey));
        ASSERT_EQ(0u, Ctl("click " + std::to_string(IDC_CFG_DEFAULT_KEY1)));
        EXPECT_EQ(kTypedKey, Text(IDC_CFG_SHARED_KEY1)); // a typed key is shown in clear
    }

    // The selected profile and the driver values of the running family's
    // adapter key after the apply.
    void ExpectStoredEncipheredAndMirrored() {
        std::string adapter = AdapterKeyPath();
        std::string cfg = adapter + "\\CustomParams\\Configurations\\Cfg0";
        std::string stored = RegReadString(cfg, "SharedKey1");
        EXPECT_EQ(16u, stored.size()) << stored; // 5 bytes padded to one block, as hex
        EXPECT_EQ(kTypedKey, Decipher(stored, RegReadString(adapter, "CardCfgId"), 5));
        EXPECT_EQ(1u, RegReadDword(cfg, "EnableSecurity"));
        EXPECT_EQ(1u, RegReadDword(cfg, "DefaultKey"));
        EXPECT_EQ(40u, RegReadDword(cfg, "SharedKey1Length"));
        EXPECT_TRUE(ValuesHolding(cfg, kTypedKey).empty());

        EXPECT_EQ(stored, RegReadString(adapter, "key0"));
        EXPECT_EQ("5", RegReadString(adapter, "keyLength0"));
        EXPECT_EQ("0", RegReadString(adapter, "defaultKey"));
        EXPECT_EQ("1", RegReadString(adapter, "privacyInvoked"));
        EXPECT_TRUE(ValuesHolding(adapter, kTypedKey).empty());
    }

    // Connected to the network the installation names (the first of the
    // world), as the stand-in reports it.
    void ExpectJoinedAsInstalled() {
        AdapterStatusSnapshot s;
        ASSERT_TRUE(StandInSnapshot(s));
        EXPECT_EQ(0u, s.disconnected);
        EXPECT_STREQ(SimReadNetworks().front().ssid.c_str(), s.ssid);
        EXPECT_EQ(0u, s.wepEnabled);
    }

    // Privacy on with the installation's open network: nothing to join.
    void ExpectNotJoined() {
        AdapterStatusSnapshot s;
        ASSERT_TRUE(StandInSnapshot(s));
        EXPECT_NE(0u, s.disconnected);
        EXPECT_TRUE(AllFF(s.bssid));
        EXPECT_STREQ(SimReadNetworks().front().ssid.c_str(), s.ssid); // the configured one
        EXPECT_EQ(0u, Ctl("wait-tray " + std::to_string(IDI_LINK_NONE)));
        std::string tooltip;
        TrayIcon(&tooltip);
        EXPECT_EQ(UtilityString(IDS_TOOLTIP_PREFIX) + "Disconnected", tooltip);
    }
};

} // namespace

TEST_F(EndToEndApply, XpStoresTheKeyEncipheredMirrorsItAndRestartsTheAdapterWithoutANotice) {
    ASSERT_NO_FATAL_FAILURE(StartUtility(Family::WinXP));
    ASSERT_NO_FATAL_FAILURE(ExpectJoinedAsInstalled());
    ASSERT_NO_FATAL_FAILURE(EnterKey1());

    // OK applies: the tray stops while the adapter restarts and starts again.
    std::string goneMs;
    ASSERT_EQ(0u, Ctl("press-watch ok", &goneMs)) << "the tray icon did not go and come back";
    EXPECT_EQ(0u, Ctl("wait-no-sheet"));
    EXPECT_EQ(1u, Ctl("-t 2 answer Warning")) << "a reboot notice appeared";
    EXPECT_EQ("1 1 0 -1", [&] {
        std::string state;
        Ctl("state", &state);
        return state;
    }());

    ExpectStoredEncipheredAndMirrored();
    // The restarted adapter took the new values up at once.
    ASSERT_NO_FATAL_FAILURE(ExpectNotJoined());
}

TEST_F(EndToEndApply, Nt4ShowsTheRebootNoticeAndTheAdapterKeepsItsJoinUntilItStartsAgain) {
    ASSERT_NO_FATAL_FAILURE(StartUtility(Family::Nt40));
    ASSERT_NO_FATAL_FAILURE(ExpectJoinedAsInstalled());
    ASSERT_NO_FATAL_FAILURE(EnterKey1());

    // While the notice is up the tray keeps running: its icon never goes.
    EXPECT_EQ(1u, Ctl("-t 3 press-watch ok"));
    std::string notice;
    ASSERT_EQ(0u, Ctl("answer Warning", &notice)) << "no reboot notice";
    EXPECT_EQ(UtilityString(IDS_REBOOT_NOTICE), notice);
    EXPECT_EQ(0u, Ctl("wait-no-sheet"));
    EXPECT_EQ(0u, Ctl("wait-icon"));

    ExpectStoredEncipheredAndMirrored();
    // Nothing restarted the adapter: it keeps the join it started with, and
    // the Status page shows it.
    ASSERT_NO_FATAL_FAILURE(ExpectJoinedAsInstalled());
    ASSERT_EQ(0u, Ctl("open"));
    ASSERT_EQ(0u, Ctl("wait-sheet"));
    EXPECT_EQ(0u,
              Ctl("wait-text " + std::to_string(IDC_STATUS_CONNECT_LABEL) + " \"Connect to:\""));
    EXPECT_EQ(SimReadNetworks().front().ssid, Text(IDC_STATUS_NETWORK_NAME));

    // The reboot: the utility ends and starts again, and the adapter with it.
    ASSERT_TRUE(ExitUtility());
    ASSERT_NO_FATAL_FAILURE(StartUtility(Family::Nt40));
    ASSERT_NO_FATAL_FAILURE(ExpectNotJoined());
}
