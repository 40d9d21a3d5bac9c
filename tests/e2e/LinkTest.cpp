// The link as the user follows it, with the utility running as Windows XP
// while the simulated world changes: the Status page and the tray after a
// wrong and a right WEP key, the icon as the signal falls and rises, the
// network list, and the adapter taken out and put back.
#include "tests/e2e/Desktop.h"

#include <stdlib.h>

#include <algorithm>
#include <functional>
#include <string>

#include "adapter/StatusText.h"
#include "res/resource.h"
#include "sim/SimControl.h"
#include "ui/PageIds.h"

namespace {

std::string Id(int id) {
    return std::to_string(id);
}

// The network of the world that asks for a WEP key.
SimNetwork WepNetwork() {
    for (const SimNetwork& n : SimReadNetworks())
        if (!n.wepKey.empty())
            return n;
    return SimNetwork();
}

std::vector<std::string> WorldNames() {
    std::vector<std::string> names;
    for (const SimNetwork& n : SimReadNetworks())
        if (std::find(names.begin(), names.end(), n.ssid) == names.end())
            names.push_back(n.ssid);
    std::sort(names.begin(), names.end());
    return names;
}

class EndToEndLink : public WavedeskDesktop {
protected:
    void OpenSheet() {
        ASSERT_EQ(0u, Ctl("open"));
        ASSERT_EQ(0u, Ctl("wait-sheet"));
    }

    // OK on the sheet: applied, the adapter restarted (the tray icon goes
    // and comes back), the sheet closed.
    void ApplyWithRestart() {
        ASSERT_EQ(0u, Ctl("press-watch ok")) << "the adapter did not restart";
        ASSERT_EQ(0u, Ctl("wait-no-sheet"));
    }

    std::string Tooltip() {
        std::string tooltip;
        TrayIcon(&tooltip);
        return tooltip;
    }

    // The tray's tooltip once the next tick has set it.
    bool WaitForTooltip(const std::string& want) {
        for (int i = 0; i < 40; ++i) {
            if (Tooltip() == want)
                return true;
            Sleep(100);
        }
        return false;
    }

    // Pixels of colour `rgb` (RRGGBB) in graph `id` on the screen, or -1.
    long Pixels(int id, const char* rgb) {
        std::string printed;
        if (Ctl("pixels " + Id(id) + " " + rgb, &printed) != 0)
            return -1;
        return atol(printed.c_str());
    }

    std::vector<std::string> NetworkList() {
        std::vector<std::string> items = CtlLines("items " + Id(IDC_CFG_NETWORK_NAME));
        std::sort(items.begin(), items.end());
        return items;
    }

    const std::string prefix_ = UtilityString(IDS_TOOLTIP_PREFIX);
};

} // namespace

TEST_F(EndToEndLink, WrongKeyShowsDisconnectedAndTheRightKeyConnectsToThatNetwork) {
    ASSERT_EQ(0u, Nxsim("drift off")); // a steady signal for a steady icon
    SimNetwork net = WepNetwork();
    ASSERT_FALSE(net.ssid.empty()) << "the world has no WEP network";
    std::string wrong = net.wepKey;
    wrong.back() = wrong.back() == '0' ? '1' : '0';
    ASSERT_NO_FATAL_FAILURE(StartUtility(Family::WinXP));

    ASSERT_NO_FATAL_FAILURE(OpenSheet());
    ASSERT_EQ(0u, Ctl("page " + Id(kConfigurationPage)));
    ASSERT_EQ(0u, Ctl("type " + Id(IDC_CFG_NETWORK_NAME) + " " + net.ssid));
    ASSERT_EQ(0u, Ctl("click " + Id(IDC_CFG_SECURITY)));
    ASSERT_EQ(0u, Ctl("type " + Id(IDC_CFG_SHARED_KEY1) + " " + wrong));
    ASSERT_EQ(0u, Ctl("click " + Id(IDC_CFG_DEFAULT_KEY1)));
    ASSERT_NO_FATAL_FAILURE(ApplyWithRestart());

    ASSERT_NO_FATAL_FAILURE(OpenSheet()); // at the Status page
    EXPECT_EQ(0u, Ctl("wait-text " + Id(IDC_STATUS_CONNECT_LABEL) + " Disconnected:"));
    EXPECT_EQ(net.ssid, Text(IDC_STATUS_NETWORK_NAME));
    EXPECT_EQ("", Text(IDC_STATUS_AP_ADDRESS));
    EXPECT_EQ(0u, Ctl("wait-tray " + Id(IDI_LINK_NONE)));
    EXPECT_EQ(prefix_ + "Disconnected", Tooltip());

    // The right key, typed over the stored one's placeholder (in lower case:
    // the field writes upper case).
    std::string right = net.wepKey;
    std::transform(right.begin(), right.end(), right.begin(), ::tolower);
    ASSERT_EQ(0u, Ctl("page " + Id(kConfigurationPage)));
    ASSERT_EQ(0u, Ctl("type " + Id(IDC_CFG_SHARED_KEY1) + " " + right));
    EXPECT_EQ(net.wepKey, Text(IDC_CFG_SHARED_KEY1));
    ASSERT_NO_FATAL_FAILURE(ApplyWithRestart());

    ASSERT_NO_FATAL_FAILURE(OpenSheet());
    EXPECT_EQ(0u, Ctl("wait-text " + Id(IDC_STATUS_CONNECT_LABEL) + " \"Connect to:\""));
    EXPECT_EQ(net.ssid, Text(IDC_STATUS_NETWORK_NAME));
    EXPECT_EQ(std::string(FormatMacAddress(net.bssid)), Text(IDC_STATUS_AP_ADDRESS));
    EXPECT_EQ("WEP Enabled", Text(IDC_STATUS_ENCRYPTION));
    EXPECT_EQ(0u, Ctl("wait-tray " + Id(IDI_LINK_GOOD)));
    EXPECT_TRUE(WaitForTooltip(prefix_ + "Connect to: " + net.ssid)) << Tooltip();
}

TEST_F(EndToEndLink, SignalBelowTheMarkShowsTheWeakIconAndRisingShowsTheGoodOneAgain) {
    ASSERT_EQ(0u, Nxsim("drift off"));
    ASSERT_NO_FATAL_FAILURE(StartUtility(Family::WinXP));
    AdapterStatusSnapshot s;
    ASSERT_TRUE(StandInSnapshot(s));
    const std::string ssid = s.ssid;
    ASSERT_NO_FATAL_FAILURE(OpenSheet());

    // Raw signal 10 is 10 %, below the mark of 35; 11 is 11 + 45 = 56 %.
    const struct {
        int raw;
        int icon;
        const char* percent;
    } steps[] = {{10, IDI_LINK_WEAK, "10%"},
                 {11, IDI_LINK_GOOD, "56%"},
                 {5, IDI_LINK_WEAK, "5%"},
                 {60, IDI_LINK_GOOD, "100%"}};
    for (const auto& step : steps) {
        SCOPED_TRACE("signal " + std::to_string(step.raw));
        ASSERT_EQ(0u, Nxsim("signal " + ssid + " " + std::to_string(step.raw)));
        EXPECT_EQ(0u, Ctl("wait-tray " + Id(step.icon)));
        EXPECT_EQ(prefix_ + "Connect to: " + ssid, Tooltip());
        EXPECT_EQ(0u, Ctl("wait-text " + Id(IDC_STATUS_SIGNAL) + " " + step.percent));
    }

    // Out of range the link drops; back in range it returns.
    ASSERT_EQ(0u, Nxsim("range out"));
    EXPECT_EQ(0u, Ctl("wait-tray " + Id(IDI_LINK_NONE)));
    EXPECT_EQ(0u, Ctl("wait-text " + Id(IDC_STATUS_CONNECT_LABEL) + " Disconnected:"));
    ASSERT_EQ(0u, Nxsim("range in"));
    EXPECT_EQ(0u, Ctl("wait-tray " + Id(IDI_LINK_GOOD)));
    EXPECT_EQ(0u, Ctl("wait-text " + Id(IDC_STATUS_CONNECT_LABEL) + " \"Connect to:\""));
}

TEST_F(EndToEndLink, NetworkListOffersExactlyTheWorldsNetworksEachOnce) {
    ASSERT_NO_FATAL_FAILURE(StartUtility(Family::WinXP));
    ASSERT_NO_FATAL_FAILURE(OpenSheet());
    ASSERT_EQ(0u, Ctl("page " + Id(kConfigurationPage)));

    EXPECT_EQ(WorldNames(), NetworkList());
    EXPECT_EQ(WorldNames(), NetworkList()); // dropped down again: nothing twice

    // A network that comes into range is offered at the next drop-down.
    ASSERT_EQ(0u, Nxsim("network add Attic 00-0B-6B-01-02-03 40 30"));
    std::vector<std::string> world = WorldNames();
    ASSERT_NE(world.end(), std::find(world.begin(), world.end(), "Attic"));
    EXPECT_EQ(world, NetworkList());
}

// nxsim broadcasts the device-change record as an ANSI program expects it;
// Wine's own notification of the stand-in's interface arrives in the wide
// form only (driver/README.md), whose name the utility cannot match.
TEST_F(EndToEndLink, RemovalClosesTheSheetAndStopsTheTrayArrivalStartsItAgain) {
    ASSERT_EQ(0u, Nxsim("drift off"));
    ASSERT_NO_FATAL_FAILURE(StartUtility(Family::WinXP));
    AdapterStatusSnapshot s;
    ASSERT_TRUE(StandInSnapshot(s));
    const std::string ssid = s.ssid;
    ASSERT_NO_FATAL_FAILURE(OpenSheet());

    ASSERT_EQ(0u, Nxsim("unplug"));
    EXPECT_EQ(0u, Ctl("wait-no-sheet"));
    EXPECT_EQ(0u, Ctl("wait-no-icon"));
    EXPECT_EQ(0u, Ctl("wait-tray 0")); // gone from the notification area

    ASSERT_EQ(0u, Nxsim("plug"));
    EXPECT_EQ(0u, Ctl("wait-icon"));
    EXPECT_EQ(0u, Ctl("wait-tray " + Id(IDI_LINK_GOOD)));
    EXPECT_TRUE(WaitForTooltip(prefix_ + "Connect to: " + ssid)) << Tooltip();
}

// The stand-in sends and receives at rates of their own; the Statistics
// page shows each direction in its own counter and graph (transmit red
// above, receive green below), as the screen shows them.
TEST_F(EndToEndLink, TransmitAndReceiveGraphsAndCountersEachFollowTheirOwnDirection) {
    const char kTransmitPen[] = "C00000", kReceivePen[] = "00C000";
    ASSERT_EQ(0u, Nxsim("drift off"));
    ASSERT_EQ(0u, Nxsim("traffic 0 40")); // receiving only
    ASSERT_NO_FATAL_FAILURE(StartUtility(Family::WinXP));
    ASSERT_NO_FATAL_FAILURE(OpenSheet());
    ASSERT_EQ(0u, Ctl("page 2"));
    auto waitFor = [](const std::function<bool()>& test) {
        for (int i = 0; i < 100 && !test(); ++i)
            Sleep(100);
        return test();
    };
    EXPECT_TRUE(waitFor([&] { return Pixels(IDC_STATS_RX_GRAPH, kReceivePen) > 0; }));
    Sleep(1500);
    AdapterStatusSnapshot s;
    ASSERT_TRUE(StandInSnapshot(s));
    EXPECT_EQ(0u, s.txPackets);
    EXPECT_GT(s.rxPackets, 40u);
    EXPECT_EQ("0", Text(IDC_STATS_TX_PACKETS));
    EXPECT_GT(atol(Text(IDC_STATS_RX_PACKETS).c_str()), 40);
    EXPECT_EQ(0, Pixels(IDC_STATS_TX_GRAPH, kTransmitPen));
    EXPECT_EQ(0, Pixels(IDC_STATS_RX_GRAPH, kTransmitPen));
    EXPECT_EQ(0, Pixels(IDC_STATS_TX_GRAPH, kReceivePen));

    // Now sending only: the transmit side moves, the receive side stands.
    ASSERT_EQ(0u, Nxsim("traffic 40 0"));
    EXPECT_TRUE(waitFor([&] { return Pixels(IDC_STATS_TX_GRAPH, kTransmitPen) > 0; }));
    Sleep(1500); // a sample of no receive traffic at least, its column drawn
    ASSERT_TRUE(StandInSnapshot(s));
    std::string received = Text(IDC_STATS_RX_PACKETS);
    long receivePixels = Pixels(IDC_STATS_RX_GRAPH, kReceivePen);
    EXPECT_EQ(std::to_string(s.rxPackets), received);
    EXPECT_GT(s.txPackets, 0u);
    Sleep(2000);
    EXPECT_EQ(received, Text(IDC_STATS_RX_PACKETS));
    EXPECT_GT(atol(Text(IDC_STATS_TX_PACKETS).c_str()), 0);
    // The receive graph's columns only move left: as many pixels as before.
    EXPECT_EQ(receivePixels, Pixels(IDC_STATS_RX_GRAPH, kReceivePen));
    EXPECT_EQ(0, Pixels(IDC_STATS_RX_GRAPH, kTransmitPen));
}
