#include "tests/ui/PageTestSupport.h"

#include <string.h>

namespace {

std::string ConfigurationsPath(const std::string& adapterKeyPath) {
    return adapterKeyPath + "\\CustomParams\\Configurations";
}

} // namespace

bool WriteStoredProfile(const std::string& adapterKeyPath, const StoredProfile& p) {
    std::string configs = ConfigurationsPath(adapterKeyPath);
    std::string cfg = configs + "\\Cfg0";
    static const char* const kSharedNames[4] = {"SharedKey1", "SharedKey2", "SharedKey3",
                                                "SharedKey4"};
    static const char* const kLengthNames[4] = {"SharedKey1Length", "SharedKey2Length",
                                                "SharedKey3Length", "SharedKey4Length"};
    bool ok = RegWriteDword(configs, "MajorVersion", 1) &&
              RegWriteDword(configs, "MinorVersion", 0) &&
              RegWriteDword(configs, "SelectedConfigurationIndex", 0) &&
              RegWriteString(cfg, "ConfigurationName", p.name) &&
              RegWriteString(cfg, "NetworkName", p.networkName) &&
              RegWriteDword(cfg, "NetworkConnectionType", p.connectionType) &&
              RegWriteDword(cfg, "PowerManagement", p.powerManagement) &&
              RegWriteDword(cfg, "EnableTurbo", p.enableTurbo) &&
              RegWriteDword(cfg, "EnableSecurity", p.enableSecurity) &&
              RegWriteDword(cfg, "DefaultKey", p.defaultKey) &&
              RegWriteString(cfg, "UniqueKey", p.uniqueKey) &&
              RegWriteDword(cfg, "UniqueKeyLength", p.uniqueKeyLength);
    for (int i = 0; ok && i < 4; ++i)
        ok = RegWriteString(cfg, kSharedNames[i], p.sharedKey[i]) &&
             RegWriteDword(cfg, kLengthNames[i], p.sharedKeyLength[i]);
    return ok;
}

bool SetSnapshot(const AdapterStatusSnapshot& snapshot) {
    return SimSetOidAnswer(NX_OID_ADAPTER_STATUS, &snapshot, sizeof snapshot) &&
           GetAdapterAccess().RefreshStatus();
}

AdapterStatusSnapshot ConnectedSnapshot() {
    AdapterStatusSnapshot s;
    memset(&s, 0, sizeof s);
    s.txRateMbps = 54;
    s.rxRateMbps = 48;
    s.signalLevel = 60;
    s.channel = 36;
    const uint8_t bssid[6] = {0x00, 0x0B, 0xA1, 0x12, 0x34, 0x56};
    memcpy(s.bssid, bssid, 6);
    strcpy(s.ssid, "LabNet");
    s.networkMode = 0;
    s.regulatoryDomain = 0x10;
    return s;
}

void PageTest::SetUp() {
    if (!InFamilyChild())
        return;
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    SimClearOidAnswers();
    RegRemoveTree(SimClassInstanceKeyPath() + "\\CustomParams");
    RegRemoveTree(SimNt4ParametersKeyPath() + "\\CustomParams");
}

void PageTest::TearDown() {
    if (!InFamilyChild())
        return;
    GetAdapterAccess().Close();
    ClearConfigurations();
    SimClearOidAnswers();
    RegRemoveTree(SimClassInstanceKeyPath() + "\\CustomParams");
    RegRemoveTree(SimNt4ParametersKeyPath() + "\\CustomParams");
}

void PageTest::OpenAdapter() {
    ASSERT_TRUE(GetAdapterAccess().Open(NX_SIM_ADAPTER_DESCRIPTION));
}

INT_PTR UtilitySheet::Run(const std::function<void()>& steps) {
    ended = false;
    return RunWithSteps([&] { return sheet.DoModal(); },
                        [&] {
                            if (Window())
                                steps();
                            if (!ended)
                                Cancel();
                        });
}

void UtilitySheet::Select(int index) {
    ::SendMessageA(Window(), PSM_SETCURSEL, index, 0);
    PumpMessages();
}

HWND UtilitySheet::CurrentPage() const {
    return reinterpret_cast<HWND>(::SendMessageA(Window(), PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool UtilitySheet::Ok() {
    ::SendMessageA(Window(), PSM_PRESSBUTTON, PSBTN_OK, 0);
    // A sheet that accepted OK no longer has a current page.
    ended = CurrentPage() == nullptr;
    return ended;
}

void UtilitySheet::Cancel() {
    ::SendMessageA(Window(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ended = true;
}

std::string ControlText(HWND dialog, int id) {
    char text[512] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void SetControlText(HWND dialog, int id, const char* text) {
    ::SetDlgItemTextA(dialog, id, text);
}

bool IsChecked(HWND dialog, int id) {
    return ::SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND dialog, int id) {
    ::SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
}

void Type(HWND dialog, int id, const char* text) {
    for (const char* c = text; *c; ++c)
        ::SendDlgItemMessageA(dialog, id, WM_CHAR, static_cast<unsigned char>(*c), 1);
}

void ChooseListItem(HWND dialog, int id, int index) {
    ::SendDlgItemMessageA(dialog, id, CB_SETCURSEL, index, 0);
    NotifyCombo(dialog, id, CBN_SELENDOK);
}

void NotifyCombo(HWND dialog, int id, WORD code) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

RECT ControlRect(HWND dialog, int id) {
    RECT r = {};
    ::GetWindowRect(::GetDlgItem(dialog, id), &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
