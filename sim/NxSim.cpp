// nxsim: installs the simulated adapter into the prefix and changes its
// world from the command line.
//
//   nxsim install | remove | show
//   nxsim network clear
//   nxsim network add <ssid> <bssid aa-bb-cc-dd-ee-ff> <channel> <signal> [wepkey] [mode]
//   nxsim set <Name> <dword>     (Signal, Channel and Mode act on the first network)
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "sim/SimControl.h"

namespace {

int Usage() {
    fputs("usage: nxsim install | remove | show\n"
          "       nxsim network clear\n"
          "       nxsim network add <ssid> <bssid> <channel> <signal> [wepkey] [mode]\n"
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

// Reads the world's networks back (for "network add", which appends).
std::vector<SimNetwork> ReadNetworks() {
    std::vector<SimNetwork> out;
    for (int i = 0;; ++i) {
        std::string path =
            std::string(NX_SIM_WORLD_KEY) + "\\" + NX_SIM_NETWORKS + "\\" + std::to_string(i);
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            break;
        SimNetwork net;
        char text[128];
        DWORD size = sizeof text - 1, type;
        if (RegQueryValueExA(key, NX_SIM_NET_SSID, nullptr, &type, (BYTE*)text, &size) == 0) {
            text[size] = 0;
            net.ssid = text;
        }
        size = sizeof text - 1;
        if (RegQueryValueExA(key, NX_SIM_NET_WEP_KEY, nullptr, &type, (BYTE*)text, &size) == 0) {
            text[size] = 0;
            net.wepKey = text;
        }
        size = 6;
        RegQueryValueExA(key, NX_SIM_NET_BSSID, nullptr, &type, net.bssid, &size);
        DWORD value, vsize = sizeof value;
        if (RegQueryValueExA(key, NX_SIM_NET_CHANNEL, nullptr, &type, (BYTE*)&value, &vsize) == 0)
            net.channel = value;
        vsize = sizeof value;
        if (RegQueryValueExA(key, NX_SIM_NET_SIGNAL, nullptr, &type, (BYTE*)&value, &vsize) == 0)
            net.signal = static_cast<int32_t>(value);
        vsize = sizeof value;
        if (RegQueryValueExA(key, NX_SIM_NET_MODE, nullptr, &type, (BYTE*)&value, &vsize) == 0)
            net.mode = value;
        RegCloseKey(key);
        out.push_back(net);
    }
    return out;
}

void Show() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, NX_SIM_WORLD_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        puts("not installed");
        return;
    }
    const char* names[] = {NX_SIM_GENERATION,  NX_SIM_REGULATORY_DOMAIN, NX_SIM_TX_RATE,
                           NX_SIM_RX_RATE,     NX_SIM_TRAFFIC,           NX_SIM_UNLOAD_STATE,
                           NX_SIM_EXACT_LENGTH};
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
    for (const SimNetwork& n : ReadNetworks())
        printf("network %d: \"%s\" %02X-%02X-%02X-%02X-%02X-%02X channel %u signal %d %s %s\n", i++,
               n.ssid.c_str(), n.bssid[0], n.bssid[1], n.bssid[2], n.bssid[3], n.bssid[4],
               n.bssid[5], static_cast<unsigned>(n.channel), static_cast<int>(n.signal),
               n.wepKey.empty() ? "open" : "wep", n.mode ? "ad-hoc" : "infrastructure");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    const char* verb = argv[1];
    bool ok = false;
    if (!strcmp(verb, "install") && argc == 2) {
        ok = SimInstallAdapter();
    } else if (!strcmp(verb, "remove") && argc == 2) {
        ok = SimRemoveAdapter();
    } else if (!strcmp(verb, "show") && argc == 2) {
        Show();
        return 0;
    } else if (!strcmp(verb, "network") && argc == 3 && !strcmp(argv[2], "clear")) {
        ok = SimSetNetworks({});
    } else if (!strcmp(verb, "network") && argc >= 7 && argc <= 9 && !strcmp(argv[2], "add")) {
        SimNetwork net;
        uint32_t signal = 0;
        net.ssid = argv[3];
        if (net.ssid.size() > 32 || !ParseMac(argv[4], net.bssid) ||
            !ParseNumber(argv[5], net.channel) || !ParseNumber(argv[6], signal) ||
            (argc > 8 && !ParseNumber(argv[8], net.mode)))
            return Usage();
        net.signal = static_cast<int32_t>(signal);
        if (argc > 7)
            net.wepKey = argv[7];
        std::vector<SimNetwork> networks = ReadNetworks();
        networks.push_back(net);
        ok = SimSetNetworks(networks);
    } else if (!strcmp(verb, "set") && argc == 4) {
        uint32_t value;
        if (!ParseNumber(argv[3], value))
            return Usage();
        const char* name = argv[2];
        if (!_stricmp(name, NX_SIM_NET_SIGNAL) || !_stricmp(name, NX_SIM_NET_CHANNEL) ||
            !_stricmp(name, NX_SIM_NET_MODE))
            ok = SimSetNetworkValue(0, name, value);
        else
            ok = SimSetWorldValue(name, value);
    } else {
        return Usage();
    }
    if (!ok) {
        fprintf(stderr, "nxsim %s failed (error %lu)\n", verb,
                static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    return 0;
}
