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
#define NX_SIM_TRAFFIC "Traffic"                    /* REG_DWORD, packets/s each way */
#define NX_SIM_UNLOAD_STATE "UnloadState"           /* REG_DWORD, unload-state answer (default 1) */
#define NX_SIM_EXACT_LENGTH "ExactLength"           /* REG_DWORD, nonzero: see below */
#define NX_SIM_NETWORKS "Networks"                  /* subkey: 0, 1, ... one network each */
#define NX_SIM_OIDS "Oids"                          /* subkey: extra OID answers */

/* Values of a network subkey (Networks\0, Networks\1, ... in range, in order). */
#define NX_SIM_NET_SSID "Ssid"       /* REG_SZ */
#define NX_SIM_NET_BSSID "Bssid"     /* REG_BINARY, 6 bytes */
#define NX_SIM_NET_CHANNEL "Channel" /* REG_DWORD */
#define NX_SIM_NET_SIGNAL "Signal"   /* REG_DWORD, 0..95 scale (signed) */
#define NX_SIM_NET_WEP_KEY "WepKey"  /* REG_SZ, plain hex key; empty: open network */
#define NX_SIM_NET_MODE "Mode"       /* REG_DWORD, 0 infrastructure, 1 ad hoc */

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

/* Query: u32, the last value set with NX_OID_RADIO, or 0xFFFFFFFF when the
 * driver could not read the set data. */
#define NX_OID_SIM_RADIO_STATE 0xFFEE0002u

/* What the simulated installation writes (Windows keeps these for an
 * installed adapter). */
#define NX_SIM_ADAPTER_DESCRIPTION "VELNORA KX750 Wireless Adapter"
#define NX_SIM_NET_CFG_INSTANCE_ID "{5F2A9C31-7B4E-4D8A-9C1E-3B6D0A7E2F41}"
#define NX_SIM_NT4_SERVICE_NAME "DOVIZ1" /* NT 4.0 adapter instance service */
#define NX_SIM_MINIPORT_SERVICE "DOVIZ"
