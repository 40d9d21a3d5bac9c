// The sheet's buttons and the Status page against the simulated adapter:
// the ten texts, the closed-adapter rule, the page's own timer and the
// level meter's cover.
#include "tests/ui/PageTestSupport.h"

#include <string.h>

namespace {

struct Cover {
    RECT meter;
    RECT cover;
    bool visible;
};

Cover ReadCover(HWND page) {
    return Cover{ControlRect(page, IDC_STATUS_METER), ControlRect(page, IDC_STATUS_COVER),
                 ::IsWindowVisible(::GetDlgItem(page, IDC_STATUS_COVER)) != FALSE};
}

int Height(const RECT& r) {
    return r.bottom - r.top;
}

int Width(const RECT& r) {
    return r.right - r.left;
}

// Shows `signalLevel` on an open Status page: its text and its cover.
void ExpectSignal(UtilitySheet& s, int32_t signalLevel, const char* text, double covered) {
    AdapterStatusSnapshot snapshot = ConnectedSnapshot();
    snapshot.signalLevel = signalLevel;
    ASSERT_TRUE(SetSnapshot(snapshot));
    HWND page = s.status.m_hWnd;
    ::SendMessageA(page, WM_TIMER, CDlgPPageStatus::kTimerId, 0);
    EXPECT_EQ(text, ControlText(page, IDC_STATUS_SIGNAL)) << "signal level " << signalLevel;
    Cover c = ReadCover(page);
    int inner = Height(c.meter) - 6;
    EXPECT_EQ(static_cast<int>(inner * covered), Height(c.cover)) << "signal level " << signalLevel;
    EXPECT_EQ(c.meter.left + 3, c.cover.left);
    EXPECT_EQ(c.meter.top + 3, c.cover.top);
    EXPECT_EQ(Width(c.meter) - 6, Width(c.cover));
    EXPECT_TRUE(c.visible);
}

} // namespace

TEST_F(PageTest, SheetHidesHelpAndApplyAndCentresOkAndCancelEightPixelsApart) {
    UtilitySheet s;
    s.Run([&] {
        HWND sheet = s.Window();
        HWND help = ::GetDlgItem(sheet, IDHELP);
        if (help) {
            EXPECT_FALSE(::IsWindowVisible(help));
        }
        HWND apply = ::GetDlgItem(sheet, IDC_SHEET_APPLY);
        ASSERT_NE(nullptr, apply);
        EXPECT_FALSE(::IsWindowVisible(apply));
        RECT client;
        ::GetClientRect(sheet, &client);
        int middle = (client.left + client.right) / 2;
        RECT ok = ControlRect(sheet, IDOK), cancel = ControlRect(sheet, IDCANCEL);
        EXPECT_EQ(middle - 4, ok.right);
        EXPECT_EQ(middle + 4, cancel.left);
        EXPECT_EQ(ok.top, cancel.top);
        EXPECT_EQ(Width(ok), Width(cancel));
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(sheet, IDOK)));
        char caption[128] = {};
        ::GetWindowTextA(sheet, caption, sizeof caption);
        EXPECT_STREQ("VELNORA KX750 802.11a Configuration Utility", caption);
        s.Cancel();
    });
}

TEST_F(PageTest, StatusShowsTheSnapshotInItsTenFields) {
    RUN_AS("winxp");
    OpenAdapter();
    AdapterStatusSnapshot snapshot = ConnectedSnapshot();
    snapshot.wepEnabled = 1;
    snapshot.networkMode = 1;
    ASSERT_TRUE(SetSnapshot(snapshot));
    UtilitySheet s;
    s.Run([&] {
        HWND page = s.status.m_hWnd;
        ASSERT_NE(nullptr, page);
        EXPECT_EQ("Connect to:", ControlText(page, IDC_STATUS_CONNECT_LABEL));
        EXPECT_EQ("LabNet", ControlText(page, IDC_STATUS_NETWORK_NAME));
        EXPECT_EQ("00-0B-A1-12-34-56", ControlText(page, IDC_STATUS_AP_ADDRESS));
        EXPECT_EQ("Ad Hoc", ControlText(page, IDC_STATUS_MODE));
        EXPECT_EQ("36 / 5.18 GHz", ControlText(page, IDC_STATUS_CHANNEL));
        EXPECT_EQ("54 Mbps", ControlText(page, IDC_STATUS_TX_RATE));
        EXPECT_EQ("48 Mbps", ControlText(page, IDC_STATUS_RX_RATE));
        EXPECT_EQ("WEP Enabled", ControlText(page, IDC_STATUS_ENCRYPTION));
        EXPECT_EQ("100%", ControlText(page, IDC_STATUS_SIGNAL));
        // The adapter's own address is filled but never shown.
        EXPECT_EQ("00-0B-6B-4A-21-7C", ControlText(page, IDC_STATUS_OWN_MAC));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, IDC_STATUS_OWN_MAC)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, IDC_STATUS_OWN_MAC_LABEL)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_STATUS_OWN_MAC)));
    });
}

TEST_F(PageTest, StatusShowsSignalTenElevenAndFiftyThreeWithTheirCovers) {
    RUN_AS("winxp");
    OpenAdapter();
    UtilitySheet s;
    s.Run([&] {
        ExpectSignal(s, 10, "10%", 0.90);
        ExpectSignal(s, 11, "56%", 0.44);
        ExpectSignal(s, 53, "100%", 0.0);
        ExpectSignal(s, 0, "0%", 1.0);
    });
}

TEST_F(PageTest, StatusCoversTheWholeMeterForANegativeSignal) {
    RUN_AS("winxp");
    OpenAdapter();
    UtilitySheet s;
    s.Run([&] {
        // The text shows the figure as computed; the cover never outgrows the meter.
        ExpectSignal(s, -20, "-21%", 1.0);
        ExpectSignal(s, -95, "-100%", 1.0);
    });
}

TEST_F(PageTest, StatusShowsChannelsZeroAndOneFortyNineAndHidesTheBroadcastBssid) {
    RUN_AS("winxp");
    OpenAdapter();
    UtilitySheet s;
    s.Run([&] {
        HWND page = s.status.m_hWnd;
        AdapterStatusSnapshot snapshot = ConnectedSnapshot();
        snapshot.channel = 0;
        memset(snapshot.bssid, 0xFF, 6);
        snapshot.networkMode = 2;
        ASSERT_TRUE(SetSnapshot(snapshot));
        ::SendMessageA(page, WM_TIMER, CDlgPPageStatus::kTimerId, 0);
        EXPECT_EQ("0 / 5.00 GHz", ControlText(page, IDC_STATUS_CHANNEL));
        EXPECT_EQ("", ControlText(page, IDC_STATUS_AP_ADDRESS));
        EXPECT_EQ("", ControlText(page, IDC_STATUS_MODE));

        snapshot.channel = 149;
        memset(snapshot.bssid, 0x00, 6);
        snapshot.disconnected = 1;
        ASSERT_TRUE(SetSnapshot(snapshot));
        ::SendMessageA(page, WM_TIMER, CDlgPPageStatus::kTimerId, 0);
        EXPECT_EQ("149 / 5.74 GHz", ControlText(page, IDC_STATUS_CHANNEL));
        EXPECT_EQ("00-00-00-00-00-00", ControlText(page, IDC_STATUS_AP_ADDRESS));
        EXPECT_EQ("Disconnected:", ControlText(page, IDC_STATUS_CONNECT_LABEL));
        EXPECT_EQ("LabNet", ControlText(page, IDC_STATUS_NETWORK_NAME));
    });
}

TEST_F(PageTest, StatusWithTheAdapterClosedShowsNotAvailableAndFillsAtTheNextTwoSecondTick) {
    RUN_AS("winxp");
    UtilitySheet s;
    s.Run([&] {
        HWND page = s.status.m_hWnd;
        EXPECT_EQ("Not Available", ControlText(page, IDC_STATUS_CONNECT_LABEL));
        for (int id : {IDC_STATUS_NETWORK_NAME, IDC_STATUS_AP_ADDRESS, IDC_STATUS_MODE,
                       IDC_STATUS_CHANNEL, IDC_STATUS_TX_RATE, IDC_STATUS_RX_RATE,
                       IDC_STATUS_ENCRYPTION, IDC_STATUS_SIGNAL, IDC_STATUS_OWN_MAC})
            EXPECT_EQ("", ControlText(page, id)) << "control " << id;
        Cover c = ReadCover(page);
        EXPECT_EQ(Height(c.meter) - 6, Height(c.cover));

        // The adapter opens while the page is active: the page's own timer
        // shows it within two seconds, and not much sooner.
        ASSERT_TRUE(GetAdapterAccess().Open(NX_SIM_ADAPTER_DESCRIPTION));
        DWORD start = ::GetTickCount();
        while (ControlText(page, IDC_STATUS_CONNECT_LABEL) == "Not Available" &&
               ::GetTickCount() - start < 5000) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpMessages();
        }
        DWORD elapsed = ::GetTickCount() - start;
        EXPECT_EQ("Connect to:", ControlText(page, IDC_STATUS_CONNECT_LABEL));
        EXPECT_GE(elapsed, 1500u);
        EXPECT_LE(elapsed, 3000u);
        EXPECT_NE("", ControlText(page, IDC_STATUS_CHANNEL));
    });
}

TEST_F(PageTest, StatusTimerRunsOnlyWhileThePageIsActive) {
    RUN_AS("winxp");
    OpenAdapter();
    UtilitySheet s;
    s.Run([&] {
        HWND page = s.status.m_hWnd;
        // KillTimer tells whether the timer existed; it is put back at once.
        EXPECT_TRUE(::KillTimer(page, CDlgPPageStatus::kTimerId));
        ::SetTimer(page, CDlgPPageStatus::kTimerId, CDlgPPageStatus::kTimerPeriod, nullptr);
        s.Select(3);
        EXPECT_FALSE(::KillTimer(page, CDlgPPageStatus::kTimerId));
        s.Select(0);
        EXPECT_TRUE(::KillTimer(page, CDlgPPageStatus::kTimerId));
    });
}
