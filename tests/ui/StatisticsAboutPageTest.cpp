// The Statistics page with its two throughput graphs, and the About page,
// against the simulated adapter's status snapshot.
#include "tests/ui/PageTestSupport.h"

#include <regex>

#include "platform/Platform.h"
#include "tests/support/Picture.h"

namespace {

// The snapshot with these packet counters (and nothing else) from now on.
bool SetCounters(uint32_t tx, uint32_t rx) {
    AdapterStatusSnapshot s = ConnectedSnapshot();
    s.txPackets = tx;
    s.rxPackets = rx;
    return SetSnapshot(s);
}

void Tick(const UtilitySheet& s) {
    ::SendMessageA(s.statistics.m_hWnd, WM_TIMER, CDlgPPageStatistics::kTimerId, 0);
}

void Repaint(const CThroughputGraph& graph) {
    ::RedrawWindow(graph.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool Contains(const CString& text, const char* part) {
    return text.Find(part) >= 0;
}

} // namespace

TEST_F(PageTest, StatisticsThreePacketsInATickPrintCurrentThreeInTheGraphColour) {
    RUN_AS("winxp");
    OpenAdapter();
    ASSERT_TRUE(SetCounters(100, 200));
    UtilitySheet s;
    s.Run([&] {
        s.Select(2);
        HWND page = s.statistics.m_hWnd;
        ASSERT_EQ(page, s.CurrentPage());
        EXPECT_EQ("100", ControlText(page, IDC_STATS_TX_PACKETS));
        EXPECT_EQ("200", ControlText(page, IDC_STATS_RX_PACKETS));
        const CThroughputGraph& tx = s.statistics.TransmitGraph();
        const CThroughputGraph& rx = s.statistics.ReceiveGraph();
        EXPECT_EQ(RGB(192, 0, 0), tx.Color());
        EXPECT_EQ(RGB(0, 192, 0), rx.Color());
        {
            // No traffic yet: black, with zero figures.
            Repaint(tx);
            EXPECT_TRUE(Contains(tx.PaintedText(), " Max.= 0 packets/sec."));
            EXPECT_TRUE(Contains(tx.PaintedText(), " Current = 0 packets/sec."));
            Picture r(tx.m_hWnd);
            EXPECT_EQ(0, r.CountInColumn(r.width - 1, 0, r.height - 1, RGB(192, 0, 0)));
        }

        ASSERT_TRUE(SetCounters(103, 201));
        Tick(s);
        EXPECT_EQ("103", ControlText(page, IDC_STATS_TX_PACKETS));
        EXPECT_EQ(1500, tx.History().Sample(0));
        EXPECT_EQ(500, rx.History().Sample(0));
        // Each graph asks to be repainted with its new sample.
        ::UpdateWindow(tx.m_hWnd);
        ::UpdateWindow(rx.m_hWnd);
        EXPECT_EQ(CString(" Max.= 3 packets/sec.\n Current = 3 packets/sec."), tx.PaintedText());
        EXPECT_EQ(CString(" Max.= 1 packets/sec.\n Current = 1 packets/sec."), rx.PaintedText());
        Picture r(tx.m_hWnd);
        // 1500 fills the height (the scale is the maximum, 1500); the
        // line runs from the bottom row up to, not including, the top row.
        EXPECT_EQ(r.height - 1, r.CountInColumn(r.width - 1, 1, r.height - 1, RGB(192, 0, 0)));
        EXPECT_EQ(RGB(0, 0, 0), r.At(r.width - 2, r.height - 1));
        // The text, white on black, at the top left.
        EXPECT_GT(r.CountInRect(0, 0, r.width / 2, r.height / 2, RGB(255, 255, 255)), 0);
        EXPECT_EQ(
            0, r.CountInRect(r.width / 2, r.height / 2, r.width - 1, r.height, RGB(255, 255, 255)));
    });
}

TEST_F(PageTest, StatisticsPageTakesASampleEverySecondWhileActive) {
    RUN_AS("winxp");
    OpenAdapter();
    ASSERT_TRUE(SetCounters(100, 100));
    UtilitySheet s;
    s.Run([&] {
        s.Select(2);
        DWORD start = ::GetTickCount();
        HWND page = s.statistics.m_hWnd;
        ASSERT_TRUE(SetCounters(105, 100));
        // The page's own timer: the new count shows after a second.
        while (ControlText(page, IDC_STATS_TX_PACKETS) == "100" &&
               ::GetTickCount() - start < 5000) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            PumpMessages();
        }
        DWORD elapsed = ::GetTickCount() - start;
        EXPECT_EQ("105", ControlText(page, IDC_STATS_TX_PACKETS));
        EXPECT_GE(elapsed, 800u);
        EXPECT_LT(elapsed, 1700u);
    });
}

TEST_F(PageTest, StatisticsLeavingThePageDropsThePreviousCounts) {
    RUN_AS("winxp");
    OpenAdapter();
    ASSERT_TRUE(SetCounters(10, 10));
    UtilitySheet s;
    s.Run([&] {
        s.Select(2);
        const CThroughputGraph& tx = s.statistics.TransmitGraph();
        ASSERT_TRUE(SetCounters(14, 10));
        Tick(s);
        EXPECT_EQ(2000, tx.History().Sample(0));
        s.Select(3);
        EXPECT_FALSE(::KillTimer(s.statistics.m_hWnd, CDlgPPageStatistics::kTimerId));
        ASSERT_TRUE(SetCounters(50, 10));
        s.Select(2);
        EXPECT_TRUE(::KillTimer(s.statistics.m_hWnd, CDlgPPageStatistics::kTimerId));
        Tick(s); // the first tick after returning only takes a reading
        EXPECT_EQ(2000, tx.History().Sample(0));
        EXPECT_EQ(0, tx.History().Sample(1));
        ASSERT_TRUE(SetCounters(51, 10));
        Tick(s);
        EXPECT_EQ(500, tx.History().Sample(0));
        EXPECT_EQ(2000, tx.History().Sample(1));
        EXPECT_EQ(2000u, tx.History().MaxSample());
    });
}

TEST_F(PageTest, StatisticsCounterGoingBackwardsStartsAfreshWithoutASpike) {
    RUN_AS("winxp");
    OpenAdapter();
    ASSERT_TRUE(SetCounters(1000, 1000));
    UtilitySheet s;
    s.Run([&] {
        s.Select(2);
        const CThroughputGraph& tx = s.statistics.TransmitGraph();
        ASSERT_TRUE(SetCounters(1004, 1000));
        Tick(s);
        ASSERT_TRUE(SetCounters(7, 1000)); // the driver restarted
        Tick(s);
        EXPECT_EQ(2000, tx.History().Sample(0)); // nothing added
        EXPECT_EQ(2000u, tx.History().MaxSample());
        ASSERT_TRUE(SetCounters(9, 1000));
        Tick(s);
        EXPECT_EQ(1000, tx.History().Sample(0));
        Repaint(tx);
        EXPECT_EQ(CString(" Max.= 4 packets/sec.\n Current = 2 packets/sec."), tx.PaintedText());
    });
}

TEST_F(PageTest, StatisticsHugeCountKeepsTheSampleAndScalePositive) {
    RUN_AS("winxp");
    OpenAdapter();
    ASSERT_TRUE(SetCounters(1, 1));
    UtilitySheet s;
    s.Run([&] {
        s.Select(2);
        const CThroughputGraph& tx = s.statistics.TransmitGraph();
        ASSERT_TRUE(SetCounters(0xF0000000u, 1));
        Tick(s);
        EXPECT_GT(tx.History().Sample(0), 0);
        Repaint(tx);
        EXPECT_TRUE(Contains(tx.PaintedText(), " Max.= 4294967 packets/sec."));
        Picture r(tx.m_hWnd);
        EXPECT_EQ(r.height - 1, r.CountInColumn(r.width - 1, 1, r.height - 1, RGB(192, 0, 0)));
    });
}

TEST_F(PageTest, StatisticsHiddenErrorSumsAreComputedEveryTick) {
    RUN_AS("winxp");
    OpenAdapter();
    AdapterStatusSnapshot snapshot = ConnectedSnapshot();
    ASSERT_TRUE(SetSnapshot(snapshot));
    UtilitySheet s;
    s.Run([&] {
        s.Select(2);
        HWND page = s.statistics.m_hWnd;
        EXPECT_EQ("0", ControlText(page, IDC_STATS_TX_ERRORS));
        snapshot.txErrorCount1 = 1;
        snapshot.txErrorCount2 = 2;
        snapshot.txErrorCount3 = 3;
        snapshot.txErrorCount4 = 4;
        snapshot.txErrorCount5 = 5;
        snapshot.txErrorCount6 = 6;
        snapshot.rxErrorCount1 = 7;
        snapshot.rxErrorCount2 = 8;
        snapshot.rxErrorCount3 = 9;
        ASSERT_TRUE(SetSnapshot(snapshot));
        Tick(s);
        EXPECT_EQ("21", ControlText(page, IDC_STATS_TX_ERRORS));
        EXPECT_EQ("24", ControlText(page, IDC_STATS_RX_ERRORS));
        for (int id :
             {IDC_STATS_TX_ERRORS, IDC_STATS_RX_ERRORS, IDC_STATS_TX_BYTES, IDC_STATS_RX_BYTES})
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, id))) << "control " << id;
        EXPECT_EQ("", ControlText(page, IDC_STATS_TX_BYTES));
        EXPECT_EQ("", ControlText(page, IDC_STATS_RX_BYTES));
    });
}

TEST_F(PageTest, AboutShowsDeviceDriverAndUtilityTextsWithRegulatoryDomain0x30) {
    RUN_AS("winxp");
    OpenAdapter();
    AdapterStatusSnapshot snapshot = ConnectedSnapshot();
    snapshot.regulatoryDomain = 0x30;
    ASSERT_TRUE(SetSnapshot(snapshot));
    const CPlatform* strategy = GetAdapterAccess().Strategy();
    ASSERT_NE(nullptr, strategy);
    ASSERT_FALSE(strategy->DriverVersion().IsEmpty());
    UtilitySheet s;
    s.Run([&] {
        s.Select(3);
        HWND page = s.about.m_hWnd;
        ASSERT_EQ(page, s.CurrentPage());
        EXPECT_EQ("Device Name: VELNORA KX750 802.11a Wireless Adapter",
                  ControlText(page, IDC_ABOUT_DEVICE_NAME));
        EXPECT_EQ("Regional Domain: 0x30 ETSI", ControlText(page, IDC_ABOUT_DOMAIN));
        EXPECT_EQ(std::string("Driver Version: ") + strategy->DriverVersion().c_str(),
                  ControlText(page, IDC_ABOUT_DRIVER_VERSION));
        EXPECT_EQ(std::string("Driver Date: ") + strategy->DriverDate().c_str(),
                  ControlText(page, IDC_ABOUT_DRIVER_DATE));
        EXPECT_EQ("MAC Address: 00-0B-6B-4A-21-7C", ControlText(page, IDC_ABOUT_MAC));
        // The test program's own version resource and file date.
        EXPECT_EQ("Version: 1.0.2.15", ControlText(page, IDC_ABOUT_VERSION));
        EXPECT_TRUE(std::regex_match(ControlText(page, IDC_ABOUT_DATE),
                                     std::regex("Date: \\d\\d [A-Z][a-z]{2} \\d{4} "
                                                "\\d\\d:\\d\\d:\\d\\d")))
            << ControlText(page, IDC_ABOUT_DATE);
    });
}

TEST_F(PageTest, AboutTextsAreComposedWhenThePageIsMade) {
    RUN_AS("winxp");
    OpenAdapter();
    AdapterStatusSnapshot snapshot = ConnectedSnapshot();
    snapshot.regulatoryDomain = 0x31;
    ASSERT_TRUE(SetSnapshot(snapshot));
    UtilitySheet s;
    snapshot.regulatoryDomain = 0x40;
    ASSERT_TRUE(SetSnapshot(snapshot));
    s.Run([&] {
        s.Select(3);
        EXPECT_EQ("Regional Domain: 0x31 Spain", ControlText(s.about.m_hWnd, IDC_ABOUT_DOMAIN));
    });
}

TEST_F(PageTest, AboutWithTheAdapterNeverOpenedShowsDriverLabelsAlone) {
    RUN_AS("winxp");
    UtilitySheet s;
    s.Run([&] {
        s.Select(3);
        HWND page = s.about.m_hWnd;
        EXPECT_EQ("Driver Version: ", ControlText(page, IDC_ABOUT_DRIVER_VERSION));
        EXPECT_EQ("Driver Date: ", ControlText(page, IDC_ABOUT_DRIVER_DATE));
        EXPECT_EQ("Version: 1.0.2.15", ControlText(page, IDC_ABOUT_VERSION));
    });
}
