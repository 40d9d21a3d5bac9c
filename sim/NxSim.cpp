// nxsim: installs the simulated adapter into the prefix and changes its
// world from the command line, while the utility runs.
//
//   nxsim install | remove [keep-profiles] | show | demo
//     (keep-profiles: the user's profiles and CardCfgId stay, as uninstalling
//     the adapter leaves them)
//   nxsim network clear
//   nxsim network add <ssid> <bssid aa-bb-cc-dd-ee-ff> <channel> <signal> [wepkey|-] [mode] [turbo]
//   nxsim network remove <ssid>
//   nxsim signal <ssid> <0..95>
//   nxsim drift on | off | <depth>
//   nxsim range in | out | cycle <seconds>
//   nxsim domain <code>          nxsim traffic <sent/s> [<received/s>]
//   nxsim unplug | plug
//   nxsim set <Name> <dword>     (Signal, Channel and Mode act on the first network)
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "sim/SimControl.h"

namespace {

int Usage() {
    fputs("usage: nxsim install | remove [keep-profiles] | show | demo\n"
          "       nxsim network clear\n"
          "       nxsim network add <ssid> <bssid> <channel> <signal> [wepkey|-] [mode] [turbo]\n"
          "       nxsim network remove <ssid>\n"
          "       nxsim signal <ssid> <0..95>\n"
          "       nxsim drift on | off | <depth>\n"
          "       nxsim range in | out | cycle <seconds>\n"
          "       nxsim domain <code>\n"
          "       nxsim traffic <sent/s> [<received/s>]  (received: 4 x sent unless given)\n"
          "       nxsim unplug | plug\n"
          "       nxsim set <Name> <dword>\n",
          stderr);
    return 2;
}

bool ParseNumber(const char* text, uint32_t& out) {
    char* end = nullptr;
    unsigned long value = strtoul(text, &end, 0);
    if (!*text || *end)
        return false;
    out = static_cast<uint32_t>(value);
    return true;
}

bool ParseMac(const char* text, uint8_t out[6]) {
    unsigned v[6];
    char tail;
    if (sscanf(text, "%2x-%2x-%2x-%2x-%2x-%2x%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
               &tail) != 6)
        return false;
    for (int i = 0; i < 6; ++i)
        out[i] = static_cast<uint8_t>(v[i]);
    return true;
}

void Show() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, NX_SIM_WORLD_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        puts("not installed");
        return;
    }
    const char* names[] = {NX_SIM_GENERATION,   NX_SIM_REGULATORY_DOMAIN, NX_SIM_TX_RATE,
                           NX_SIM_RX_RATE,      NX_SIM_TRAFFIC,           NX_SIM_RX_TRAFFIC,
                           NX_SIM_UNLOAD_STATE, NX_SIM_EXACT_LENGTH,      NX_SIM_DRIFT,
                           NX_SIM_OUT_OF_RANGE, NX_SIM_RANGE_CYCLE,       NX_SIM_UNPLUGGED,
                           NX_SIM_REMOVALS};
    for (const char* name : names) {
        DWORD value = 0, size = sizeof value, type;
        if (RegQueryValueExA(key, name, nullptr, &type, (BYTE*)&value, &size) != 0)
            continue;
        if (!strcmp(name, NX_SIM_REGULATORY_DOMAIN))
            printf("%-16s 0x%02lX\n", name, static_cast<unsigned long>(value));
        else
            printf("%-16s %lu\n", name, static_cast<unsigned long>(value));
    }
    uint8_t mac[6] = {};
    DWORD size = 6, type;
    RegQueryValueExA(key, NX_SIM_PERMANENT_ADDRESS, nullptr, &type, mac, &size);
    printf("%-16s %02X-%02X-%02X-%02X-%02X-%02X\n", NX_SIM_PERMANENT_ADDRESS, mac[0], mac[1],
           mac[2], mac[3], mac[4], mac[5]);
    RegCloseKey(key);
    int i = 0;
    for (const SimNetwork& n : SimReadNetworks())
        printf("network %d: \"%s\" %02X-%02X-%02X-%02X-%02X-%02X channel %u signal %d %s%s %s%s\n",
               i++, n.ssid.c_str(), n.bssid[0], n.bssid[1], n.bssid[2], n.bssid[3], n.bssid[4],
               n.bssid[5], static_cast<unsigned>(n.channel), static_cast<int>(n.signal),
               n.wepKey.empty() ? "open" : "wep ", n.wepKey.c_str(),
               n.mode ? "ad-hoc" : "infrastructure", n.turbo ? " turbo" : "");
}

// One command; false when it failed (the error in GetLastError), with
// `usage` set when it was not understood.
bool Run(int argc, char** argv, bool& usage) {
    auto is = [&](int i, const char* word) { return argc > i && !strcmp(argv[i], word); };
    uint32_t value = 0;
    usage = false;
    if (is(1, "install") && argc == 2)
        return SimInstallAdapter();
    if (is(1, "remove") && argc == 2)
        return SimRemoveAdapter();
    if (is(1, "remove") && is(2, "keep-profiles") && argc == 3)
        return SimRemoveAdapterKeepingUserData();
    if (is(1, "demo") && argc == 2)
        return SimApplyDemoWorld();
    if (is(1, "network") && is(2, "clear") && argc == 3)
        return SimSetNetworks({});
    if (is(1, "network") && is(2, "remove") && argc == 4)
        return SimRemoveNetworks(argv[3]);
    if (is(1, "network") && is(2, "add") && argc >= 7 && argc <= 10) {
        SimNetwork net;
        uint32_t signal = 0, turbo = 0;
        net.ssid = argv[3];
        if (net.ssid.size() > 32 || !ParseMac(argv[4], net.bssid) ||
            !ParseNumber(argv[5], net.channel) || !ParseNumber(argv[6], signal) ||
            (argc > 8 && !ParseNumber(argv[8], net.mode)) ||
            (argc > 9 && !ParseNumber(argv[9], turbo))) {
            usage = true;
            return false;
        }
        net.signal = static_cast<int32_t>(signal);
        net.turbo = turbo != 0;
        if (argc > 7 && strcmp(argv[7], "-") != 0)
            net.wepKey = argv[7];
        std::vector<SimNetwork> networks = SimReadNetworks();
        networks.push_back(net);
        return SimSetNetworks(networks);
    }
    if (is(1, "signal") && argc == 4 && ParseNumber(argv[3], value) && value <= 95)
        return SimSetSignal(argv[2], static_cast<int32_t>(value));
    if (is(1, "drift") && argc == 3) {
        if (is(2, "on"))
            return SimSetWorldValue(NX_SIM_DRIFT, kSimDefaultDrift);
        if (is(2, "off"))
            return SimSetWorldValue(NX_SIM_DRIFT, 0);
        if (ParseNumber(argv[2], value))
            return SimSetWorldValue(NX_SIM_DRIFT, value);
    }
    if (is(1, "range") && is(2, "in") && argc == 3)
        return SimSetWorldValue(NX_SIM_OUT_OF_RANGE, 0) && SimSetWorldValue(NX_SIM_RANGE_CYCLE, 0);
    if (is(1, "range") && is(2, "out") && argc == 3)
        return SimSetWorldValue(NX_SIM_OUT_OF_RANGE, 1);
    if (is(1, "range") && is(2, "cycle") && argc == 4 && ParseNumber(argv[3], value))
        return SimSetWorldValue(NX_SIM_OUT_OF_RANGE, 0) &&
               SimSetWorldValue(NX_SIM_RANGE_CYCLE, value);
    if (is(1, "domain") && argc == 3 && ParseNumber(argv[2], value))
        return SimSetWorldValue(NX_SIM_REGULATORY_DOMAIN, value);
    if (is(1, "traffic") && (argc == 3 || argc == 4) && ParseNumber(argv[2], value)) {
        uint32_t received = value * kSimReceivedPerSent;
        if (argc == 4 && !ParseNumber(argv[3], received)) {
            usage = true;
            return false;
        }
        return SimSetTraffic(value, received);
    }
    // Then the utility hears of it as from the system.
    if (is(1, "unplug") && argc == 2)
        return SimUnplugAdapter() && SimBroadcastAdapterChange(false);
    if (is(1, "plug") && argc == 2)
        return SimPlugAdapter() && SimBroadcastAdapterChange(true);
    if (is(1, "set") && argc == 4 && ParseNumber(argv[3], value)) {
        const char* name = argv[2];
        if (!_stricmp(name, NX_SIM_NET_SIGNAL) || !_stricmp(name, NX_SIM_NET_CHANNEL) ||
            !_stricmp(name, NX_SIM_NET_MODE))
            return SimSetNetworkValue(0, name, value);
        return SimSetWorldValue(name, value);
    }
    usage = true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    if (!strcmp(argv[1], "show") && argc == 2) {
        Show();
        return 0;
    }
    bool usage = false;
    if (Run(argc, argv, usage))
        return 0;
    if (usage)
        return Usage();
    fprintf(stderr, "nxsim %s failed (error %lu)\n", argv[1],
            static_cast<unsigned long>(GetLastError()));
    return 1;
}
