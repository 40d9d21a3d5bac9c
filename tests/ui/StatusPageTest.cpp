// The sheet's buttons and the Status page against the simulated adapter:
// the ten texts, the closed-adapter rule, the page's own timer and the
// level meter's cover.
#include "tests/ui/PageTestSupport.h"

#include "tests/support/Picture.h"

#include <stdlib.h>
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

RECT ClientRectIn(HWND page, HWND control) {
    RECT r;
    ::GetClientRect(control, &r);
    ::MapWindowPoints(control, page, reinterpret_cast<POINT*>(&r), 2);
    return r;
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

TEST_F(PageTest, SheetHidesHelpAlsoForAPageThatOffersIt) {
    // The utility's pages clear their help flag; a page that keeps it would
    // have the system show Help, which the sheet has nothing behind.
    CDlgPSheet sheet{IDS_APP_TITLE, nullptr, 0};
    CPropertyPage offersHelp(IDD_PAGE_ABOUT);
    ASSERT_NE(0u, offersHelp.m_psp.dwFlags & PSP_HASHELP);
    sheet.AddPage(&offersHelp);
    bool helpExists = false, helpShown = true;
    RunWithSteps([&] { return sheet.DoModal(); },
                 [&] {
                     HWND help = ::GetDlgItem(sheet.m_hWnd, IDHELP);
                     helpExists = help != nullptr;
                     helpShown = help && ::IsWindowVisible(help);
                     ::SendMessageA(sheet.m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                 });
    EXPECT_TRUE(helpExists);
    EXPECT_FALSE(helpShown);
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

TEST_F(PageTest, StatusTimerRunsOnlyWhileThePageIsActiveAndReturningShowsTheSnapshotAtOnce) {
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
        // The link changed while the user was away: the page shows it as it
        // becomes active, not two seconds later.
        AdapterStatusSnapshot snapshot = ConnectedSnapshot();
        strcpy(snapshot.ssid, "Elsewhere");
        snapshot.signalLevel = 10;
        ASSERT_TRUE(SetSnapshot(snapshot));
        s.Select(0);
        EXPECT_EQ("Elsewhere", ControlText(page, IDC_STATUS_NETWORK_NAME));
        EXPECT_EQ("10%", ControlText(page, IDC_STATUS_SIGNAL));
        Cover c = ReadCover(page);
        EXPECT_EQ(static_cast<int>((Height(c.meter) - 6) * 0.9), Height(c.cover));
        EXPECT_TRUE(::KillTimer(page, CDlgPPageStatus::kTimerId));
    });
}

TEST_F(PageTest, StatusMeterShowsItsBitmapUnscaledUnderTheCoverWithThePercentageBelow) {
    RUN_AS("winxp");
    OpenAdapter();
    ASSERT_TRUE(SetSnapshot(ConnectedSnapshot()));
    UtilitySheet s;
    s.Run([&] {
        HWND page = s.status.m_hWnd;
        HWND meter = ::GetDlgItem(page, IDC_STATUS_METER);
        Picture image(IDB_METER);
        ASSERT_EQ(22, image.width);
        ASSERT_EQ(123, image.height);

        // Inside its frame the meter is exactly as large as its image...
        RECT inside = ClientRectIn(page, meter);
        EXPECT_EQ(22, Width(inside));
        EXPECT_EQ(123, Height(inside));
        // ...which the cover, 3 pixels in from the frame's outer edge, lies on.
        ExpectSignal(s, 0, "0%", 1.0);
        Cover c = ReadCover(page);
        EXPECT_EQ(inside.left, c.cover.left);
        EXPECT_EQ(inside.top, c.cover.top);
        EXPECT_EQ(Width(inside), Width(c.cover));
        EXPECT_EQ(Height(inside), Height(c.cover));

        // Drawn pixel for pixel: one-pixel black lines between two-pixel bars.
        Picture drawn(meter);
        ASSERT_EQ(22, drawn.width);
        int mismatches = 0;
        for (int y = 0; y < 123; ++y)
            for (int x = 0; x < 22; ++x)
                mismatches += drawn.At(x, y) != image.At(x, y);
        EXPECT_EQ(0, mismatches);
        for (int group = 0; group < 41; ++group) {
            int y = group * 3;
            EXPECT_EQ(RGB(0, 0, 0), drawn.At(11, y)) << "row " << y;
            EXPECT_NE(RGB(0, 0, 0), drawn.At(11, y + 1)) << "row " << y + 1;
            EXPECT_EQ(drawn.At(11, y + 1), drawn.At(11, y + 2)) << "row " << y + 2;
        }

        // The percentage box lies under the meter, its middle under the
        // meter's, within the group; the "0%" mark ends level with the meter.
        RECT meterRect = ControlRect(page, IDC_STATUS_METER);
        RECT box = ControlRect(page, IDC_STATUS_SIGNAL);
        RECT group = ControlRect(page, IDC_STATUS_SIGNAL_GROUP);
        EXPECT_GT(box.top, meterRect.bottom);
        EXPECT_LE(abs((box.left + box.right) - (meterRect.left + meterRect.right)), 1);
        EXPECT_GT(box.left, group.left);
        EXPECT_LT(box.bottom, group.bottom);
        EXPECT_EQ(meterRect.bottom, ControlRect(page, IDC_STATUS_SCALE_BOTTOM).bottom);
        EXPECT_EQ(meterRect.top, ControlRect(page, IDC_STATUS_SCALE_TOP).top);
    });
}

TEST_F(PageTest, ValueTextsKeepASmallMarginInsideTheirFrames) {
    RUN_AS("winxp");
    OpenAdapter();
    AdapterStatusSnapshot snapshot = ConnectedSnapshot();
    snapshot.txPackets = 8888;
    snapshot.rxPackets = 8888;
    ASSERT_TRUE(SetSnapshot(snapshot));
    UtilitySheet s;
    s.Run([&] {
        struct Field {
            HWND page;
            int id;
        };
        HWND status = s.status.m_hWnd;
        s.Select(2);
        HWND statistics = s.statistics.m_hWnd;
        s.Select(0);
        for (Field f :
             {Field{status, IDC_STATUS_NETWORK_NAME}, Field{status, IDC_STATUS_AP_ADDRESS},
              Field{status, IDC_STATUS_MODE}, Field{status, IDC_STATUS_CHANNEL},
              Field{status, IDC_STATUS_TX_RATE}, Field{status, IDC_STATUS_RX_RATE},
              Field{status, IDC_STATUS_ENCRYPTION}, Field{statistics, IDC_STATS_TX_PACKETS},
              Field{statistics, IDC_STATS_RX_PACKETS}}) {
            HWND control = ::GetDlgItem(f.page, f.id);
            ASSERT_NE("", ControlText(f.page, f.id)) << f.id;
            Picture drawn(control);
            // The text, in the window text colour, starts a few pixels in.
            int first = drawn.FirstColumnOf(::GetSysColor(COLOR_WINDOWTEXT));
            EXPECT_GE(first, 3) << "control " << f.id;
            EXPECT_LT(first, 8) << "control " << f.id;
        }
    });
}
