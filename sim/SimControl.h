// Control of the simulated adapter from user mode: installs what Windows
// keeps for an installed adapter and changes the stand-in driver's world.
// Used by the simulator control tool (nxsim.exe) and by the tests. Every
// setter bumps the world's "Generation" so the driver takes the change up.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "sim/SimWorld.h"

struct SimNetwork {
    std::string ssid;
    uint8_t bssid[6] = {};
    uint32_t channel = 36;
    int32_t signal = 60; // 0..95 scale
    std::string wepKey;  // plain upper-case hex; empty: open network
    uint32_t mode = 0;   // 0 infrastructure, 1 ad hoc
    bool turbo = false;  // offers turbo (rates doubled for a station with turbo on)
};

// Writes the installation for every Windows family at once (a prefix can
// run a program as any family): the 2000/XP network class key instance with
// "DriverDesc" and "NetCfgInstanceID" and the driver's parameter values,
// Services\DOVIZ with "ImagePath" (and the driver file it names), the NT 4.0
// NetworkCards instance with its service's Parameters key, the 95-family
// Class\Net instance; the PCI device node the device installer lists
// (service "DOVIZ"); and a default world. False when a key can't be written.
bool SimInstallAdapter();

// What the last failing SimInstallAdapter could not do, for test messages.
const char* SimLastFailure();

// Removes everything SimInstallAdapter wrote.
bool SimRemoveAdapter();
// The same, as uninstalling the adapter does, except for the user's data:
// an adapter key that holds profiles or "CardCfgId" stays with them, its
// driver values and NetCfgInstanceID (so that the next installation uses
// the key again), losing only the installation's records ("DriverDesc").
bool SimRemoveAdapterKeepingUserData();

// Registry paths (relative to HKEY_LOCAL_MACHINE) of the installed adapter's
// own key: the 2000/XP class key instance, the NT 4.0 NetworkCards instance
// and its service's Parameters key, the 95-family Class\Net instance.
std::string SimClassInstanceKeyPath();
std::string SimNt4CardKeyPath();
std::string SimNt4ParametersKeyPath();
std::string Sim9xInstanceKeyPath();
// Services\DOVIZ (the miniport's service key, "ImagePath") and the full path
// of the driver file that "ImagePath" names under the Windows directory.
std::string SimMiniportServiceKeyPath();
std::string SimDriverFilePath();
// The PCI device node: Enum\PCI\VEN_168C&DEV_0007&SUBSYS_00000000&REV_01\<instance>.
std::string SimDeviceNodeKeyPath();
// Its device instance identifier (the path below Enum).
std::string SimDeviceInstanceId();

// True while the world key exists (SimInstallAdapter ran, no removal since).
bool SimIsInstalled();

// The networks the default world has in range; the installation's driver
// parameters name the first (open, infrastructure).
std::vector<SimNetwork> SimDefaultNetworks();

// The small world a new user sees: three networks (one of them WEP, key
// SimDemoWepKey()), the first joined by the installation's parameters, with
// drift on and some traffic. Installs the adapter first when it is not.
std::vector<SimNetwork> SimDemoNetworks();
const char* SimDemoWepKey();
bool SimApplyDemoWorld();

// The drift depth "nxsim drift on" sets.
constexpr uint32_t kSimDefaultDrift = 22;

// A station mostly downloads: received traffic is this many times the sent
// where a world or "nxsim traffic" names only the rate sent.
constexpr uint32_t kSimReceivedPerSent = 4;

// The world.
bool SimSetNetworks(const std::vector<SimNetwork>& networks);
std::vector<SimNetwork> SimReadNetworks();
// Every network of that name leaves / gets that signal; false when there is none.
bool SimRemoveNetworks(const std::string& ssid);
bool SimSetSignal(const std::string& ssid, int32_t signal);
bool SimSetWorldValue(const char* name, uint32_t value);
// Packets per second sent and received while associated, in one change.
bool SimSetTraffic(uint32_t sent, uint32_t received);
// A DWORD value (NX_SIM_NET_SIGNAL, NX_SIM_NET_CHANNEL, NX_SIM_NET_MODE) of
// network `index`; false when that network does not exist.
bool SimSetNetworkValue(uint32_t index, const char* name, uint32_t value);
bool SimSetAdapterNames(const std::vector<std::string>& names);
bool SimSetPermanentAddress(const uint8_t address[6]);
bool SimSetOidAnswer(uint32_t oid, const void* data, uint32_t size);
bool SimClearOidAnswers();

// The adapter taken out / put back: the stand-in's bindings die and new ones
// are refused while it is out, and its device node goes and comes back.
// (The device-change broadcast is SimBroadcastAdapterChange's.)
bool SimUnplugAdapter();
bool SimPlugAdapter();
bool SimIsPlugged();

// The adapter's NDIS LAN interface name as the system forms it:
// "\\?\PCI#VEN_168C&DEV_0007&SUBSYS_00000000&REV_01#<instance>#{ad498944-...}".
std::string SimInterfaceName();

// Sends WM_DEVICECHANGE (DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE) with
// the adapter's device-interface record in its ANSI form, class
// GUID_NDIS_LAN_CLASS and SimInterfaceName(), to every top-level window, and
// waits until they have handled it (5 s at most each). Wine delivers the
// system's own notification of the stand-in's interface (see
// driver/README.md) to registered windows in the wide form only, which an
// ANSI program cannot read; this is that notification as such a program
// expects it.
bool SimBroadcastAdapterChange(bool arrival);
