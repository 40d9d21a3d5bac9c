// The Configuration page and its hex key edits against the simulated
// adapter's profile store: loading with placeholders, the enabling rules,
// key typing and pasting, key sizes, the network list, validation with its
// exact message, and apply through the strategy of each Windows family.
#include "tests/ui/PageTestSupport.h"

#include <string.h>

#include "config/KeyProtection.h"
#include "platform/Platform.h"

namespace {

const char kKey104[] = "0123456789ABCDEF0123456789";
const char kCaption[] = "Network Configuration Settings(Security)";
const char kIntro[] = "Correct the following error(s) in this page:\n\n";
const char kNoDefaultKeyLine[] = "Default Encryption Key:\tDefault Encryption Key not selected. "
                                 "Select a default encryption key.\n";
const char kNotSetLine[] = "Shared Keys: \t\tShared keys are not set. Enter at least one shared "
                           "key to enable security.";

const int kSharedEdits[4] = {IDC_CFG_SHARED_KEY1, IDC_CFG_SHARED_KEY2, IDC_CFG_SHARED_KEY3,
                             IDC_CFG_SHARED_KEY4};
const int kSharedSizes[4] = {IDC_CFG_SHARED_SIZE1, IDC_CFG_SHARED_SIZE2, IDC_CFG_SHARED_SIZE3,
                             IDC_CFG_SHARED_SIZE4};
const int kSharedRadios[4] = {IDC_CFG_DEFAULT_KEY1, IDC_CFG_DEFAULT_KEY2, IDC_CFG_DEFAULT_KEY3,
                              IDC_CFG_DEFAULT_KEY4};

std::string Cfg0(const std::string& adapterKeyPath) {
    return adapterKeyPath + "\\CustomParams\\Configurations\\Cfg0";
}

bool Enabled(HWND page, int id) {
    return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE;
}

int ListSelection(HWND page, int id) {
    return static_cast<int>(::SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
}

// Whether the sheet counts a page as changed: it enables Apply (hidden here).
bool Modified(const UtilitySheet& s) {
    return ::IsWindowEnabled(::GetDlgItem(s.Window(), IDC_SHEET_APPLY)) != FALSE;
}

std::string Decipher(const std::string& cipher, int bits) {
    CString plain;
    DecryptKeyText(cipher.c_str(), plain, bits / 8);
    return plain.c_str();
}

// Puts text on the clipboard, as a user's copy would; `owner` owns it (a
// clipboard emptied without an owner takes no data).
bool SetClipboardText(HWND owner, const char* text) {
    if (!::OpenClipboard(owner))
        return false;
    ::EmptyClipboard();
    size_t size = strlen(text) + 1;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    bool ok = false;
    if (memory) {
        memcpy(::GlobalLock(memory), text, size);
        ::GlobalUnlock(memory);
        ok = ::SetClipboardData(CF_TEXT, memory) != nullptr;
        if (!ok)
            ::GlobalFree(memory);
    }
    ::CloseClipboard();
    return ok;
}

// Counts the hex key edit's caret notices at its parent.
class CaretNoticeSpy : public CWnd {
public:
    int notices = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_HEXKEY_CARET && wParam == 0 && lParam == 0)
            ++notices;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class ConfigPageTest : public PageTest {
protected:
    // Writes `profile` as the selected configuration and opens the adapter,
    // which loads it.
    void Load(const StoredProfile& profile) {
        ASSERT_TRUE(WriteStoredProfile(SimClassInstanceKeyPath(), profile));
        OpenAdapter();
        ASSERT_NE(nullptr, FindConfiguration(nullptr));
    }
    // A profile with security on and Key 1 a stored 128-bit key.
    StoredProfile SecuredProfile() {
        StoredProfile p;
        p.enableSecurity = 1;
        p.defaultKey = 1;
        p.sharedKeyLength[0] = 104;
        return p;
    }
    // Stores a key enciphered under this installation's identifier (the
    // store must have loaded the adapter key first).
    static void StoreKey(int slot, const char* plain, int bits) {
        CConfigRecord* selected = FindConfiguration(nullptr);
        ASSERT_NE(nullptr, selected);
        CString cipher = EncryptKeyText(plain, bits);
        ASSERT_FALSE(cipher.IsEmpty());
        if (slot == 4) {
            selected->uniqueKey = cipher;
            selected->uniqueKeyLength = bits;
        } else {
            selected->sharedKey[slot] = cipher;
            selected->sharedKeyLength[slot] = bits;
        }
    }
    // Opens the sheet on the Configuration page.
    void RunOnConfig(UtilitySheet& s, const std::function<void(HWND)>& steps) {
        s.Run([&] {
            s.Select(1);
            HWND page = s.config.m_hWnd;
            ASSERT_NE(nullptr, page);
            ASSERT_EQ(page, s.CurrentPage());
            steps(page);
        });
    }
};

} // namespace

TEST_F(ConfigPageTest, LoadsTheSelectedProfileWithPlaceholdersOnlyForUsableKeys) {
    RUN_AS("winxp");
    StoredProfile p = SecuredProfile();
    p.connectionType = 0;
    p.powerManagement = 2;
    p.enableTurbo = 1;
    p.sharedKey[1] = "NOT A CIPHER";
    p.sharedKeyLength[2] = 64; // no such size
    Load(p);
    StoreKey(0, kKey104, 104);
    StoreKey(2, "0123456789", 40);
    FindConfiguration(nullptr)->sharedKeyLength[2] = 64;
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        EXPECT_EQ("LabNet", ControlText(page, IDC_CFG_NETWORK_NAME));
        EXPECT_TRUE(IsChecked(page, IDC_CFG_ADHOC));
        EXPECT_FALSE(IsChecked(page, IDC_CFG_INFRASTRUCTURE));
        EXPECT_TRUE(IsChecked(page, IDC_CFG_TURBO));
        EXPECT_TRUE(IsChecked(page, IDC_CFG_SECURITY));
        EXPECT_EQ(2, ListSelection(page, IDC_CFG_POWER_SAVING));
        EXPECT_TRUE(IsChecked(page, IDC_CFG_DEFAULT_KEY1));

        EXPECT_EQ(std::string(26, 'H'), ControlText(page, IDC_CFG_SHARED_KEY1));
        EXPECT_EQ(26, ::SendDlgItemMessageA(page, IDC_CFG_SHARED_KEY1, EM_GETLIMITTEXT, 0, 0));
        EXPECT_EQ('*', ::SendDlgItemMessageA(page, IDC_CFG_SHARED_KEY1, EM_GETPASSWORDCHAR, 0, 0));
        EXPECT_EQ(1, ListSelection(page, IDC_CFG_SHARED_SIZE1));
        EXPECT_EQ("", ControlText(page, IDC_CFG_SHARED_KEY2)); // not decipherable: dropped
        EXPECT_EQ("", ControlText(page, IDC_CFG_SHARED_KEY3)); // no size: dropped
        EXPECT_EQ(-1, ListSelection(page, IDC_CFG_SHARED_SIZE3));
        EXPECT_TRUE(s.config.State().cipherText[1].IsEmpty());
        EXPECT_TRUE(s.config.State().cipherText[2].IsEmpty());
        EXPECT_EQ(3, ::SendDlgItemMessageA(page, IDC_CFG_SHARED_SIZE4, CB_GETCOUNT, 0, 0));
        EXPECT_FALSE(Modified(s)); // loading is no change

        // Ad hoc: the unique key is off; loading leaves power saving on.
        EXPECT_TRUE(Enabled(page, IDC_CFG_POWER_SAVING));
        EXPECT_FALSE(Enabled(page, IDC_CFG_UNIQUE_KEY));
        EXPECT_FALSE(Enabled(page, IDC_CFG_UNIQUE_SIZE));
        EXPECT_FALSE(Enabled(page, IDC_CFG_DEFAULT_UNIQUE));
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(Enabled(page, kSharedEdits[i]));
            EXPECT_TRUE(Enabled(page, kSharedSizes[i]));
            EXPECT_TRUE(Enabled(page, kSharedRadios[i]));
        }
        // The unique key's controls are there but hidden.
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, IDC_CFG_UNIQUE_KEY)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, IDC_CFG_DEFAULT_UNIQUE)));
    });
}

TEST_F(ConfigPageTest, ModeAndSecurityClicksFollowTheEnablingRules) {
    RUN_AS("winxp");
    Load(SecuredProfile());
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        EXPECT_TRUE(Enabled(page, IDC_CFG_UNIQUE_KEY));
        Click(page, IDC_CFG_ADHOC);
        EXPECT_FALSE(Enabled(page, IDC_CFG_POWER_SAVING));
        EXPECT_FALSE(Enabled(page, IDC_CFG_UNIQUE_KEY));
        EXPECT_FALSE(Enabled(page, IDC_CFG_UNIQUE_SIZE));
        EXPECT_FALSE(Enabled(page, IDC_CFG_DEFAULT_UNIQUE));
        EXPECT_TRUE(Enabled(page, IDC_CFG_SHARED_KEY1));
        EXPECT_TRUE(Modified(s));
        Click(page, IDC_CFG_INFRASTRUCTURE);
        EXPECT_TRUE(Enabled(page, IDC_CFG_POWER_SAVING));
        EXPECT_TRUE(Enabled(page, IDC_CFG_UNIQUE_KEY));
        EXPECT_FALSE(Modified(s)); // back to what is stored

        Click(page, IDC_CFG_SECURITY); // off
        for (int i = 0; i < 4; ++i) {
            EXPECT_FALSE(Enabled(page, kSharedEdits[i]));
            EXPECT_FALSE(Enabled(page, kSharedSizes[i]));
            EXPECT_FALSE(Enabled(page, kSharedRadios[i]));
        }
        EXPECT_FALSE(Enabled(page, IDC_CFG_UNIQUE_KEY));
        EXPECT_TRUE(Modified(s));
        Click(page, IDC_CFG_SECURITY); // on again
        EXPECT_TRUE(Enabled(page, IDC_CFG_SHARED_KEY4));
        EXPECT_FALSE(Modified(s));
    });
}

TEST_F(ConfigPageTest, ModifiedMarkFollowsEveryAction) {
    RUN_AS("winxp");
    Load(SecuredProfile());
    StoreKey(0, kKey104, 104);
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        EXPECT_FALSE(Modified(s));
        Click(page, IDC_CFG_TURBO);
        EXPECT_TRUE(Modified(s));
        Click(page, IDC_CFG_TURBO);
        EXPECT_FALSE(Modified(s));
        ChooseListItem(page, IDC_CFG_POWER_SAVING, 0);
        EXPECT_TRUE(Modified(s));
        ChooseListItem(page, IDC_CFG_POWER_SAVING, 1);
        EXPECT_FALSE(Modified(s));
        Click(page, IDC_CFG_DEFAULT_KEY3);
        EXPECT_TRUE(Modified(s));
        Click(page, IDC_CFG_DEFAULT_KEY1);
        EXPECT_FALSE(Modified(s));
        SetControlText(page, IDC_CFG_NETWORK_NAME, "Other");
        NotifyCombo(page, IDC_CFG_NETWORK_NAME, CBN_EDITCHANGE);
        EXPECT_TRUE(Modified(s));
        SetControlText(page, IDC_CFG_NETWORK_NAME, "LabNet");
        NotifyCombo(page, IDC_CFG_NETWORK_NAME, CBN_EDITCHANGE);
        EXPECT_FALSE(Modified(s));
        Type(page, IDC_CFG_SHARED_KEY2, "0123456789");
        EXPECT_TRUE(Modified(s));
        Type(page, IDC_CFG_SHARED_KEY2, "\b\b\b\b\b\b\b\b\b\b");
        EXPECT_EQ("", ControlText(page, IDC_CFG_SHARED_KEY2));
        EXPECT_FALSE(Modified(s));
        s.Cancel();
    });
}

TEST_F(ConfigPageTest, TypedGBeepsAndChangesNothingWhileHexDigitsAreTakenInUpperCase) {
    RUN_AS("winxp");
    Load(SecuredProfile());
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        Type(page, IDC_CFG_SHARED_KEY2, "12");
        EXPECT_EQ(0u, BeepLog::Count());
        Type(page, IDC_CFG_SHARED_KEY2, "G");
        EXPECT_EQ("12", ControlText(page, IDC_CFG_SHARED_KEY2));
        ASSERT_EQ(1u, BeepLog::Count());
        EXPECT_EQ(static_cast<unsigned>(MB_ICONHAND), BeepLog::Types()[0]);
        Type(page, IDC_CFG_SHARED_KEY2, " -");
        EXPECT_EQ(3u, BeepLog::Count());
        Type(page, IDC_CFG_SHARED_KEY2, "af\b");
        EXPECT_EQ("12A", ControlText(page, IDC_CFG_SHARED_KEY2));
        EXPECT_EQ(3u, BeepLog::Count());
        EXPECT_EQ(CString("12A"), s.config.State().sharedKeyText[1]);
        // Typed keys are shown in clear.
        EXPECT_EQ(0, ::SendDlgItemMessageA(page, IDC_CFG_SHARED_KEY2, EM_GETPASSWORDCHAR, 0, 0));
    });
}

TEST_F(ConfigPageTest, FirstTypedDigitReplacesThePlaceholder) {
    RUN_AS("winxp");
    Load(SecuredProfile());
    StoreKey(0, kKey104, 104);
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        ASSERT_EQ(std::string(26, 'H'), ControlText(page, IDC_CFG_SHARED_KEY1));
        // Part of the placeholder selected: the whole of it goes, quietly.
        ::SendDlgItemMessageA(page, IDC_CFG_SHARED_KEY1, EM_SETSEL, 3, 8);
        Type(page, IDC_CFG_SHARED_KEY1, "7");
        EXPECT_EQ("7", ControlText(page, IDC_CFG_SHARED_KEY1));
        EXPECT_FALSE(s.config.State().placeholderShown[0]);
        EXPECT_EQ(0u, BeepLog::Count());
        Type(page, IDC_CFG_SHARED_KEY1, "8");
        EXPECT_EQ("78", ControlText(page, IDC_CFG_SHARED_KEY1));
    });
}

TEST_F(ConfigPageTest, PastedNonHexTextEmptiesTheKeyWithABeep) {
    RUN_AS("winxp");
    Load(SecuredProfile());
    StoreKey(0, kKey104, 104);
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        ASSERT_TRUE(SetClipboardText(page, "12xy!"));
        ::SendDlgItemMessageA(page, IDC_CFG_SHARED_KEY1, WM_PASTE, 0, 0);
        EXPECT_EQ("", ControlText(page, IDC_CFG_SHARED_KEY1));
        EXPECT_EQ(1u, BeepLog::Count());
        EXPECT_FALSE(s.config.State().placeholderShown[0]);
        // Hex text pastes as it is (upper case), through Ctrl+V as well.
        ASSERT_TRUE(SetClipboardText(page, "0a1b"));
        Type(page, IDC_CFG_SHARED_KEY1, "\x16");
        EXPECT_EQ("0A1B", ControlText(page, IDC_CFG_SHARED_KEY1));
        EXPECT_EQ(1u, BeepLog::Count());
    });
}

TEST_F(ConfigPageTest, KeyEditSendsTheCaretNoticeForEndHomeLeftRightAndClicks) {
    RUN_AS("winxp");
    Load(SecuredProfile());
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        CaretNoticeSpy spy;
        ASSERT_TRUE(spy.SubclassWindow(page));
        HWND edit = ::GetDlgItem(page, IDC_CFG_SHARED_KEY1);
        for (WPARAM key : {VK_END, VK_HOME, VK_LEFT, VK_RIGHT})
            ::SendMessageA(edit, WM_KEYDOWN, key, 1);
        EXPECT_EQ(4, spy.notices);
        ::SendMessageA(edit, WM_KEYDOWN, VK_UP, 1);
        ::SendMessageA(edit, WM_KEYDOWN, VK_DOWN, 1);
        EXPECT_EQ(4, spy.notices);
        ::SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(5, spy.notices);
        spy.UnsubclassWindow();
    });
}

TEST_F(ConfigPageTest, ShownKeyEditsCarryThePasswordStyle) {
    RUN_AS("winxp");
    Load(SecuredProfile());
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        HWND edit = ::GetDlgItem(page, IDC_CFG_SHARED_KEY3);
        ::SetWindowLongA(edit, GWL_STYLE, ::GetWindowLongA(edit, GWL_STYLE) & ~ES_PASSWORD);
        ::ShowWindow(edit, SW_HIDE);
        ::ShowWindow(edit, SW_SHOW);
        EXPECT_NE(0, ::GetWindowLongA(edit, GWL_STYLE) & ES_PASSWORD);
    });
}

TEST_F(ConfigPageTest, PlaceholderOf128BitsSwitchedTo64KeepsItsCipherTextWith40Bits) {
    RUN_AS("winxp");
    Load(SecuredProfile());
    StoreKey(0, kKey104, 104);
    std::string stored = FindConfiguration(nullptr)->sharedKey[0].c_str();
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        ChooseListItem(page, IDC_CFG_SHARED_SIZE1, 0);
        EXPECT_EQ(std::string(10, 'H'), ControlText(page, IDC_CFG_SHARED_KEY1));
        EXPECT_TRUE(s.config.State().placeholderShown[0]);
        EXPECT_EQ(10, ::SendDlgItemMessageA(page, IDC_CFG_SHARED_KEY1, EM_GETLIMITTEXT, 0, 0));
        EXPECT_TRUE(Modified(s));
        EXPECT_TRUE(s.Ok());
    });
    EXPECT_TRUE(messages_.Entries().empty());
    std::string cfg = Cfg0(SimClassInstanceKeyPath());
    EXPECT_EQ(stored, RegReadString(cfg, "SharedKey1"));
    EXPECT_EQ(40u, RegReadDword(cfg, "SharedKey1Length"));
    EXPECT_EQ(stored, RegReadString(SimClassInstanceKeyPath(), "key0"));
    EXPECT_EQ("5", RegReadString(SimClassInstanceKeyPath(), "keyLength0"));
    // The first five bytes of the stored key are the 64-bit key now.
    EXPECT_EQ("0123456789", Decipher(stored, 40));
}

TEST_F(ConfigPageTest, TypedSixtyFourBitKeyIsEncipheredStoredAndMirroredOnXp) {
    RUN_AS("winxp");
    StoredProfile p;
    p.enableSecurity = 0;
    Load(p);
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        Click(page, IDC_CFG_SECURITY);
        Type(page, IDC_CFG_SHARED_KEY1, "0123456789");
        Click(page, IDC_CFG_DEFAULT_KEY1);
        EXPECT_TRUE(s.Ok());
    });
    EXPECT_TRUE(messages_.Entries().empty()); // valid, and no reboot notice on XP
    ASSERT_NE(nullptr, dynamic_cast<CPlatformNT5*>(GetAdapterAccess().Strategy()));
    std::string cfg = Cfg0(SimClassInstanceKeyPath());
    std::string cipher = RegReadString(cfg, "SharedKey1");
    EXPECT_EQ(16u, cipher.size());
    EXPECT_EQ(std::string::npos, cipher.find("0123456789"));
    EXPECT_EQ("0123456789", Decipher(cipher, 40));
    EXPECT_EQ(1u, RegReadDword(cfg, "EnableSecurity"));
    EXPECT_EQ(1u, RegReadDword(cfg, "DefaultKey"));
    EXPECT_EQ(40u, RegReadDword(cfg, "SharedKey1Length"));
    EXPECT_EQ(cipher, RegReadString(SimClassInstanceKeyPath(), "key0"));
    EXPECT_EQ("1", RegReadString(SimClassInstanceKeyPath(), "privacyInvoked"));
    EXPECT_EQ("0", RegReadString(SimClassInstanceKeyPath(), "defaultKey"));
}

TEST_F(ConfigPageTest, ApplyOnNt4StoresTheProfileAndAsksForAReboot) {
    RUN_AS("nt40");
    // As NT 4.0 the profiles live under the adapter service's Parameters
    // key; the strategy needs only the store, not an open adapter.
    StoredProfile p;
    ASSERT_TRUE(WriteStoredProfile(SimNt4ParametersKeyPath(), p));
    ASSERT_TRUE(LoadConfigurations(SimNt4ParametersKeyPath().c_str()));
    ASSERT_NE(nullptr, dynamic_cast<CPlatformNT4*>(GetAdapterAccess().Strategy()));
    ASSERT_EQ(nullptr, dynamic_cast<CPlatformNT5*>(GetAdapterAccess().Strategy()));
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        Click(page, IDC_CFG_TURBO);
        Click(page, IDC_CFG_SECURITY);
        Type(page, IDC_CFG_SHARED_KEY2, "FEDCBA9876");
        Click(page, IDC_CFG_DEFAULT_KEY2);
        EXPECT_TRUE(s.Ok());
    });
    ASSERT_EQ(1u, messages_.Entries().size());
    EXPECT_EQ("Warning", messages_.Entries()[0].caption);
    EXPECT_EQ("You have changed the configuration , please reboot your computer to enable the "
              "change",
              messages_.Entries()[0].text);
    std::string cfg = Cfg0(SimNt4ParametersKeyPath());
    EXPECT_EQ(1u, RegReadDword(cfg, "EnableTurbo"));
    EXPECT_EQ("FEDCBA9876", Decipher(RegReadString(cfg, "SharedKey2"), 40));
    EXPECT_EQ("1", RegReadString(SimNt4ParametersKeyPath(), "TurboEnable"));
}

TEST_F(ConfigPageTest, UnchangedPageAppliesNothing) {
    RUN_AS("nt40");
    StoredProfile p;
    ASSERT_TRUE(WriteStoredProfile(SimNt4ParametersKeyPath(), p));
    ASSERT_TRUE(LoadConfigurations(SimNt4ParametersKeyPath().c_str()));
    UtilitySheet s;
    RunOnConfig(s, [&](HWND) { EXPECT_TRUE(s.Ok()); });
    EXPECT_TRUE(messages_.Entries().empty()); // no reboot notice: nothing was handed on
}

TEST_F(ConfigPageTest, SecurityOffPassesValidationAndLeavesTheStoredKeys) {
    RUN_AS("nt40");
    StoredProfile p;
    p.enableSecurity = 1;
    p.defaultKey = 2;
    p.sharedKey[1] = "ABCDEF";
    ASSERT_TRUE(WriteStoredProfile(SimNt4ParametersKeyPath(), p));
    ASSERT_TRUE(LoadConfigurations(SimNt4ParametersKeyPath().c_str()));
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        Click(page, IDC_CFG_SECURITY);
        Type(page, IDC_CFG_SHARED_KEY1, "123"); // disabled for the user, typed anyway
        EXPECT_TRUE(s.Ok());
    });
    ASSERT_EQ(1u, messages_.Entries().size()); // the reboot notice, no validation box
    std::string cfg = Cfg0(SimNt4ParametersKeyPath());
    EXPECT_EQ(0u, RegReadDword(cfg, "EnableSecurity"));
    EXPECT_EQ("ABCDEF", RegReadString(cfg, "SharedKey2"));
    EXPECT_EQ("", RegReadString(cfg, "SharedKey1"));
    EXPECT_EQ(2u, RegReadDword(cfg, "DefaultKey"));
}

TEST_F(ConfigPageTest, NoSharedKeyWithADefaultKeyListsTheNotSetLineEvenWithAUniqueKey) {
    RUN_AS("winxp");
    StoredProfile p;
    p.enableSecurity = 1;
    p.defaultKey = 1;
    Load(p);
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        SetControlText(page, IDC_CFG_UNIQUE_KEY, "0123456789");
        EXPECT_FALSE(s.Ok());
        // Refused: the user stays on the page.
        EXPECT_EQ(page, s.CurrentPage());
    });
    ASSERT_EQ(1u, messages_.Entries().size());
    EXPECT_EQ(std::string(kIntro) + kNotSetLine, messages_.Entries()[0].text);
    EXPECT_EQ(kCaption, messages_.Entries()[0].caption);
    EXPECT_EQ(static_cast<unsigned>(MB_OK), messages_.Entries()[0].type);
}

TEST_F(ConfigPageTest, ApplyAloneValidatesAndRefusesAnInvalidPage) {
    RUN_AS("winxp");
    StoredProfile p;
    p.enableSecurity = 1; // no shared key: invalid as stored
    p.defaultKey = 1;
    Load(p);
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        Click(page, IDC_CFG_TURBO); // a change the apply would store
        // The sheet sends PSN_APPLY to every page it has built; only the
        // current one hears PSN_KILLACTIVE before. The apply checks for itself.
        NMHDR apply = {s.Window(), 0, static_cast<UINT>(PSN_APPLY)};
        ::SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        ::SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply));
        EXPECT_EQ(PSNRET_INVALID_NOCHANGEPAGE, ::GetWindowLongPtrA(page, DWLP_MSGRESULT));
        ASSERT_EQ(1u, messages_.Entries().size());
        EXPECT_EQ(std::string(kIntro) + kNotSetLine, messages_.Entries()[0].text);
    });
    EXPECT_EQ(0u, RegReadDword(Cfg0(SimClassInstanceKeyPath()), "EnableTurbo"));
}

TEST_F(ConfigPageTest, NineDigitKeyTwoWithoutDefaultKeyListsBothLinesAndKeepsThePage) {
    RUN_AS("winxp");
    StoredProfile p;
    p.enableSecurity = 1;
    Load(p);
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        Type(page, IDC_CFG_SHARED_KEY2, "123456789");
        s.Select(2); // leaving the page validates too
        EXPECT_EQ(page, s.CurrentPage());
    });
    ASSERT_EQ(1u, messages_.Entries().size());
    EXPECT_EQ(std::string(kIntro) + kNoDefaultKeyLine +
                  "Shared Key - Key 2:   \tInvalid length. Type in a 10 digit hex number.\n",
              messages_.Entries()[0].text);
    EXPECT_EQ(kCaption, messages_.Entries()[0].caption);
}

TEST_F(ConfigPageTest, ValidKeyOneWithDefaultKeyOneLetsTheUserLeave) {
    RUN_AS("winxp");
    StoredProfile p;
    p.enableSecurity = 1;
    Load(p);
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        Type(page, IDC_CFG_SHARED_KEY1, "0123456789");
        Click(page, IDC_CFG_DEFAULT_KEY1);
        s.Select(2);
        EXPECT_EQ(s.statistics.m_hWnd, s.CurrentPage());
    });
    EXPECT_TRUE(messages_.Entries().empty());
}

TEST_F(ConfigPageTest, TypedKeyWithoutASizeIsRefusedRatherThanLost) {
    RUN_AS("winxp");
    StoredProfile p = SecuredProfile();
    p.sharedKeyLength[0] = 64; // a damaged length: no size is selected
    Load(p);
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        ASSERT_EQ(-1, ListSelection(page, IDC_CFG_SHARED_SIZE1));
        Type(page, IDC_CFG_SHARED_KEY1, "0123456789");
        EXPECT_FALSE(s.Ok());
        ASSERT_EQ(1u, messages_.Entries().size());
        EXPECT_NE(std::string::npos, messages_.Entries()[0].text.find("Shared Key - Key 1:"));
        EXPECT_NE(std::string::npos, messages_.Entries()[0].text.find("Select a key size"));
        ChooseListItem(page, IDC_CFG_SHARED_SIZE1, 0);
        EXPECT_TRUE(s.Ok());
    });
    ASSERT_EQ(1u, messages_.Entries().size());
    std::string cfg = Cfg0(SimClassInstanceKeyPath());
    EXPECT_EQ("0123456789", Decipher(RegReadString(cfg, "SharedKey1"), 40));
    EXPECT_EQ(40u, RegReadDword(cfg, "SharedKey1Length"));
}

TEST_F(ConfigPageTest, SmallerSizeCutsATypedKeyAndALongerSizeAsksForMoreDigits) {
    RUN_AS("winxp");
    Load(SecuredProfile());
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        ChooseListItem(page, IDC_CFG_SHARED_SIZE1, 1);
        Type(page, IDC_CFG_SHARED_KEY1, kKey104);
        ChooseListItem(page, IDC_CFG_SHARED_SIZE1, 0);
        EXPECT_EQ("0123456789", ControlText(page, IDC_CFG_SHARED_KEY1));
        ChooseListItem(page, IDC_CFG_SHARED_SIZE1, 2);
        EXPECT_EQ(32, ::SendDlgItemMessageA(page, IDC_CFG_SHARED_KEY1, EM_GETLIMITTEXT, 0, 0));
        EXPECT_FALSE(s.Ok());
    });
    ASSERT_EQ(1u, messages_.Entries().size());
    EXPECT_EQ(std::string(kIntro) +
                  "Shared Key - Key 1:   \tInvalid length. Type in a 32 digit hex number.\n",
              messages_.Entries()[0].text);
}

TEST_F(ConfigPageTest, NetworkListOpenedTwiceAddsEachSeenNetworkOnce) {
    RUN_AS("winxp");
    Load(StoredProfile());
    std::vector<SimNetwork> networks(3);
    networks[0].ssid = "Office";
    networks[0].bssid[5] = 1;
    networks[1].ssid = "Office"; // a second access point of the same network
    networks[1].bssid[5] = 2;
    networks[2].ssid = "Lab";
    networks[2].bssid[5] = 3;
    ASSERT_TRUE(SimSetNetworks(networks));
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        HWND combo = ::GetDlgItem(page, IDC_CFG_NETWORK_NAME);
        NotifyCombo(page, IDC_CFG_NETWORK_NAME, CBN_DROPDOWN);
        NotifyCombo(page, IDC_CFG_NETWORK_NAME, CBN_DROPDOWN);
        ASSERT_EQ(2, ::SendMessageA(combo, CB_GETCOUNT, 0, 0));
        char text[64] = {};
        ::SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ("Office", text);
        ::SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ("Lab", text);

        // A name already there in other letter case is not added again; a
        // new one goes to its place in the fetched list, not to the end.
        std::vector<SimNetwork> later(2);
        later[0].ssid = "Rooftop";
        later[1].ssid = "LAB";
        ASSERT_TRUE(SimSetNetworks(later));
        NotifyCombo(page, IDC_CFG_NETWORK_NAME, CBN_DROPDOWN);
        ASSERT_EQ(3, ::SendMessageA(combo, CB_GETCOUNT, 0, 0));
        ::SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ("Rooftop", text);
        ::SendMessageA(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ("Lab", text);
        ::SendMessageA(combo, CB_DELETESTRING, 0, 0);

        // Choosing one makes it the network name.
        ::SendMessageA(combo, CB_SETCURSEL, 1, 0);
        NotifyCombo(page, IDC_CFG_NETWORK_NAME, CBN_SELENDOK);
        EXPECT_EQ(CString("Lab"), s.config.State().networkName);
        EXPECT_TRUE(Modified(s));
    });
}

TEST_F(ConfigPageTest, NetworkListStaysAsItWasWhenTheAdapterIsClosed) {
    RUN_AS("winxp");
    Load(StoredProfile());
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        GetAdapterAccess().Close();
        NotifyCombo(page, IDC_CFG_NETWORK_NAME, CBN_DROPDOWN);
        EXPECT_EQ(0, ::SendDlgItemMessageA(page, IDC_CFG_NETWORK_NAME, CB_GETCOUNT, 0, 0));
        EXPECT_EQ("LabNet", ControlText(page, IDC_CFG_NETWORK_NAME));
    });
}

TEST_F(ConfigPageTest, ReturningToThePageKeepsStoredKeysAndTypedKeys) {
    RUN_AS("winxp");
    Load(SecuredProfile());
    StoreKey(0, kKey104, 104);
    std::string stored = FindConfiguration(nullptr)->sharedKey[0].c_str();
    UtilitySheet s;
    RunOnConfig(s, [&](HWND page) {
        Type(page, IDC_CFG_SHARED_KEY2, "0123456789");
        s.Select(0);
        s.Select(1);
        ASSERT_EQ(page, s.CurrentPage());
        // Refilling the controls on return is not typing.
        EXPECT_EQ(std::string(26, 'H'), ControlText(page, IDC_CFG_SHARED_KEY1));
        EXPECT_TRUE(s.config.State().placeholderShown[0]);
        EXPECT_EQ("0123456789", ControlText(page, IDC_CFG_SHARED_KEY2));
        EXPECT_EQ(0u, BeepLog::Count());
        EXPECT_TRUE(s.Ok());
    });
    EXPECT_TRUE(messages_.Entries().empty());
    std::string cfg = Cfg0(SimClassInstanceKeyPath());
    EXPECT_EQ(stored, RegReadString(cfg, "SharedKey1"));
    EXPECT_EQ("0123456789", Decipher(RegReadString(cfg, "SharedKey2"), 40));
}
