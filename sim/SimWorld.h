/* The simulated adapter's world: registry names shared by the stand-in
 * driver (C), the simulator control tool and the tests. Everything lives
 * under HKEY_LOCAL_MACHINE\<NX_SIM_WORLD_KEY>; the driver reloads it when
 * "Generation" changes, so a test changes the world by writing values and
 * then bumping "Generation". */
#pragma once

#include "agent/NdisProtocol.h"

#define NX_SIM_WORLD_KEY "System\\CurrentControlSet\\Services\\DOVIZ\\Simulation"
#define NX_SIM_WORLD_KEY_W                                                                         \
    L"\\Registry\\Machine\\System\\CurrentControlSet\\Services\\DOVIZ\\Simulation"

/* Values of the world key. */
#define NX_SIM_GENERATION "Generation"              /* REG_DWORD, bumped after every change */
#define NX_SIM_ADAPTER_NAMES "AdapterNames"         /* REG_MULTI_SZ: names select/open accept */
#define NX_SIM_PERMANENT_ADDRESS "PermanentAddress" /* REG_BINARY, 6 bytes */
#define NX_SIM_REGULATORY_DOMAIN "RegulatoryDomain" /* REG_DWORD */
#define NX_SIM_TX_RATE "TxRate"                     /* REG_DWORD, Mbit/s (default 54) */
#define NX_SIM_RX_RATE "RxRate"                     /* REG_DWORD, Mbit/s (default 54) */
#define NX_SIM_TRAFFIC "Traffic"                    /* REG_DWORD, packets/s sent */
#define NX_SIM_RX_TRAFFIC "RxTraffic"               /* REG_DWORD, packets/s received */
#define NX_SIM_UNLOAD_STATE "UnloadState"           /* REG_DWORD, unload-state answer (default 1) */
#define NX_SIM_EXACT_LENGTH "ExactLength"           /* REG_DWORD, nonzero: see below */
#define NX_SIM_DRIFT "Drift"                        /* REG_DWORD, see below */
#define NX_SIM_OUT_OF_RANGE "OutOfRange"            /* REG_DWORD, nonzero: no network heard */
#define NX_SIM_RANGE_CYCLE "RangeCycle"             /* REG_DWORD, seconds, see below */
#define NX_SIM_UNPLUGGED "Unplugged"                /* REG_DWORD, nonzero: adapter absent */
#define NX_SIM_REMOVALS "Removals"                  /* REG_DWORD, bumped at every removal */
#define NX_SIM_NETWORKS "Networks"                  /* subkey: 0, 1, ... one network each */
#define NX_SIM_OIDS "Oids"                          /* subkey: extra OID answers */

/* Values of a network subkey (Networks\0, Networks\1, ... in range, in order). */
#define NX_SIM_NET_SSID "Ssid"       /* REG_SZ */
#define NX_SIM_NET_BSSID "Bssid"     /* REG_BINARY, 6 bytes */
#define NX_SIM_NET_CHANNEL "Channel" /* REG_DWORD */
#define NX_SIM_NET_SIGNAL "Signal"   /* REG_DWORD, 0..95 scale (signed) */
#define NX_SIM_NET_WEP_KEY "WepKey"  /* REG_SZ, plain hex key; empty: open network */
#define NX_SIM_NET_MODE "Mode"       /* REG_DWORD, 0 infrastructure, 1 ad hoc */
#define NX_SIM_NET_TURBO "Turbo"     /* REG_DWORD, nonzero: offers turbo (rates doubled) */

/* "Drift" nonzero: every network's signal wanders up to that much either
 * way about its "Signal" (smoothly, with turning points every 4 s), the
 * rates follow the signal, and traffic comes in bursts (quiet seconds,
 * ordinary ones, bursts of up to 7 x the rate), sent and received each in
 * bursts of its own. All of it is a function of the system time, computed
 * by the driver at each request.
 *
 * "RangeCycle" nonzero: the adapter is out of range of every network during
 * the last quarter (at least a second) of each cycle of that many seconds,
 * counted from the system time (so the link drops and comes back on its
 * own). "OutOfRange" nonzero holds it out of range.
 *
 * "Unplugged" nonzero: the adapter is absent: select and open fail, and the
 * bindings that were open answer every adapter request with 0xC0010018
 * (NDIS_STATUS_ADAPTER_REMOVED) and fail sends and reads, also after it is
 * back ("Removals" tells them apart); a binding opened then starts it anew.
 *
 * The driver parameters (the utility's "ssid", "bssType", "privacyInvoked",
 * "defaultKey", "key0".."key3", "uniqKey", their lengths, "TurboEnable" and
 * "CardCfgId") are not the world's: the driver reads them from the adapter's
 * own key when the adapter starts (see driver/README.md). */

/* "Oids" subkey: each value is named by an OID in eight upper-case hex digits
 * ("00010107") and holds the REG_BINARY answer to a query of that OID.
 *
 * "ExactLength" nonzero: a query whose buffer length differs from the size of
 * its answer is answered NX_STATUS_INVALID_LENGTH with bytesNeeded = that
 * size (like a driver that rejects a buffer larger than the exact size).
 * Otherwise only a too-short buffer gets NX_STATUS_INVALID_LENGTH. */

/* Query the stand-in answers for tests and benchmarks: u32, the number of
 * NDIS requests (NX_IOCTL_NDIS_REQUEST) it has received since it started. */
#define NX_OID_SIM_REQUEST_COUNT 0xFFEE0001u

/* Status of adapter requests on a binding whose adapter was removed
 * (NDIS_STATUS_ADAPTER_REMOVED). */
#define NX_SIM_STATUS_ADAPTER_REMOVED 0xC0010018u

/* Query: u32, the last value set with NX_OID_RADIO, or 0xFFFFFFFF when the
 * driver could not read the set data. */
#define NX_OID_SIM_RADIO_STATE 0xFFEE0002u

/* The adapter's PCI device node: its device and instance identifiers. The
 * stand-in answers these for its device object, so that the device
 * interface it registers for the adapter belongs to that node. */
#define NX_SIM_DEVICE_ID "PCI\\VEN_168C&DEV_0007&SUBSYS_00000000&REV_01"
#define NX_SIM_DEVICE_ID_W L"PCI\\VEN_168C&DEV_0007&SUBSYS_00000000&REV_01"
#define NX_SIM_DEVICE_INSTANCE "4&1C2F3A4B&0&10F0"
#define NX_SIM_DEVICE_INSTANCE_W L"4&1C2F3A4B&0&10F0"

/* What the simulated installation writes (Windows keeps these for an
 * installed adapter). */
#define NX_SIM_ADAPTER_DESCRIPTION "VELNORA KX750 Wireless Adapter"
#define NX_SIM_NET_CFG_INSTANCE_ID "{5F2A9C31-7B4E-4D8A-9C1E-3B6D0A7E2F41}"
#define NX_SIM_NT4_SERVICE_NAME "DOVIZ1" /* NT 4.0 adapter instance service */
#define NX_SIM_MINIPORT_SERVICE "DOVIZ"
