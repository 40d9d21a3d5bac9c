// nxdemo: installs the simulated adapter, lists the network adapters the
// agent library finds in the registry, opens ours the way the utility does
// and prints its status. The run script shows it until the tray exists.
#include <windows.h>

#include <stdio.h>

#include "adapter/AdapterAccess.h"
#include "adapter/NetworkScanList.h"
#include "adapter/StatusText.h"
#include "agent/W32N.h"
#include "platform/Platform.h"
#include "platform/ResourceText.h"
#include "res/resource.h"
#include "sim/SimControl.h"

namespace {

void ListAdapters() {
    printf("Network adapters in %s:\n", W32N_GetNetCardRegistryPath());
    AdapterRegistryInfo info;
    DWORD error = W32N_GetFirstAdapterRegistryInfo(&info);
    for (int i = 0; error != ERROR_NO_MORE_ITEMS && i < 64; ++i) {
        if (error == ERROR_SUCCESS)
            printf("  %-36s %-36s %s\n", info.description, info.title, info.name);
        error = W32N_GetNextAdapterRegistryInfo(&info);
    }
}

void PrintStatus(AdapterAccess& access) {
    const AdapterStatusSnapshot& s = access.Snapshot();
    printf("  %-20s %s\n", ConnectionLabel(s.disconnected), SnapshotSsid(s).c_str());
    printf("  %-20s %s\n", "AP MAC Address:", FormatAccessPointAddress(s.bssid).c_str());
    printf("  %-20s %s\n", "Network Mode:", NetworkModeText(s.networkMode));
    printf("  %-20s %s\n", "Channel/Frequency:", FormatChannelFrequency(s.channel).c_str());
    printf("  %-20s %s\n", "Transmit Rate:", FormatRate(s.txRateMbps).c_str());
    printf("  %-20s %s\n", "Receive Rate:", FormatRate(s.rxRateMbps).c_str());
    printf("  %-20s %s\n", "Encryption:", EncryptionText(s.wepEnabled));
    printf("  %-20s %s\n", "Signal Strength:", FormatSignalQuality(s.signalLevel).c_str());
    printf("  %-20s %u / %u\n", "Packets (tx/rx):", s.txPackets, s.rxPackets);
    CString domain;
    access.FormatRegulatoryDomain(domain);
    printf("  %-20s %s\n", "Regional Domain:", domain.c_str());
    if (CPlatform* strategy = access.Strategy()) {
        printf("  %-20s %s\n",
               "MAC Address:", FormatMacAddress(strategy->PermanentAddress()).c_str());
        printf("  %-20s %s, %s\n", "Driver:", strategy->DriverVersion().c_str(),
               strategy->DriverDate().c_str());
    }
}

void PrintNetworks(AdapterAccess& access) {
    NetworkScanList list;
    if (!BuildNetworkScanList(access, list)) {
        printf("  the adapter did not answer the scan query\n");
        return;
    }
    for (const auto& item : list)
        printf("  %-32s %s  %4s %4s\n", item->ssid.c_str(), item->bssidText.c_str(),
               item->value56Text.c_str(), item->value44Text.c_str());
}

} // namespace

int main() {
    if (!SimIsInstalled() && !SimInstallAdapter()) {
        printf("could not install the simulated adapter\n");
        return 1;
    }
    ListAdapters();

    CString description = LoadResourceText(IDS_ADAPTER_DESCRIPTION);
    AdapterAccess& access = GetAdapterAccess();
    if (!access.Open(description)) {
        printf("\n\"%s\" did not open (error word %d)\n", description.c_str(), W32N_GetLastError());
        return 1;
    }
    printf("\nOpened \"%s\":\n", description.c_str());
    PrintStatus(access);
    printf("\nNetworks in range:\n");
    PrintNetworks(access);
    access.Close();
    return 0;
}
