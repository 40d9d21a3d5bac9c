/* Binary contract between the utility and the adapter's miniport driver:
 * the private OIDs, the 240-byte status snapshot and the 72-byte scan entry.
 * Shared by the utility, the stand-in driver (C) and the tests.
 *
 * Little-endian; every numeric field is 32 bits. Regions named unusedXX are
 * the driver's own and are not interpreted by the utility. */
#pragma once

#include "agent/NdisProtocol.h"

#define NX_OID_ADAPTER_STATUS 0xFF100004u    /* query: AdapterStatusSnapshot */
#define NX_OID_SCAN_LIST 0xFF000019u         /* query: n x NetworkScanEntry */
#define NX_OID_RADIO 0xFF300000u             /* set, u32: 1 radio on, 0 off */
#define NX_OID_PERMANENT_ADDRESS 0x01010101u /* OID_802_3_PERMANENT_ADDRESS: 6 bytes */

typedef struct AdapterStatusSnapshot {
    uint32_t txErrorCount1;    /* 0x00 */
    uint8_t unused04[0x3C];    /* 0x04..0x3F */
    uint32_t txErrorCount2;    /* 0x40 */
    uint32_t unused44;         /* 0x44 */
    uint32_t txErrorCount3;    /* 0x48 */
    uint32_t txErrorCount4;    /* 0x4C */
    uint32_t unused50;         /* 0x50 */
    uint32_t txErrorCount5;    /* 0x54 */
    uint32_t txErrorCount6;    /* 0x58 */
    uint32_t txRateMbps;       /* 0x5C */
    int32_t signalLevel;       /* 0x60: 0..95 scale */
    uint32_t rxErrorCount1;    /* 0x64 */
    uint32_t rxErrorCount2;    /* 0x68 */
    uint8_t unused6C[0x0C];    /* 0x6C..0x77 */
    uint32_t rxErrorCount3;    /* 0x78 */
    uint32_t rxRateMbps;       /* 0x7C */
    uint32_t unused80;         /* 0x80 */
    uint32_t channel;          /* 0x84: 802.11a channel number */
    uint8_t unused88[0x0C];    /* 0x88..0x93 */
    uint8_t bssid[6];          /* 0x94 */
    char ssid[34];             /* 0x9A: NUL-terminated when the driver leaves room */
    uint32_t wepEnabled;       /* 0xBC */
    uint32_t networkMode;      /* 0xC0: 0 infrastructure, 1 ad hoc */
    uint8_t unusedC4[0x0C];    /* 0xC4..0xCF */
    uint32_t txPackets;        /* 0xD0 */
    uint32_t rxPackets;        /* 0xD4 */
    uint32_t disconnected;     /* 0xD8: nonzero while not associated */
    uint32_t regulatoryDomain; /* 0xDC */
    uint8_t unusedE0[0x10];    /* 0xE0..0xEF */
} AdapterStatusSnapshot;

NX_STATIC_ASSERT(sizeof(AdapterStatusSnapshot) == 240, "snapshot size");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, txErrorCount1) == 0x00, "txErrorCount1");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, txErrorCount2) == 0x40, "txErrorCount2");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, txErrorCount3) == 0x48, "txErrorCount3");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, txErrorCount4) == 0x4C, "txErrorCount4");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, txErrorCount5) == 0x54, "txErrorCount5");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, txErrorCount6) == 0x58, "txErrorCount6");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, txRateMbps) == 0x5C, "txRateMbps");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, signalLevel) == 0x60, "signalLevel");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, rxErrorCount1) == 0x64, "rxErrorCount1");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, rxErrorCount2) == 0x68, "rxErrorCount2");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, rxErrorCount3) == 0x78, "rxErrorCount3");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, rxRateMbps) == 0x7C, "rxRateMbps");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, channel) == 0x84, "channel");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, bssid) == 0x94, "bssid");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, ssid) == 0x9A, "ssid");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, wepEnabled) == 0xBC, "wepEnabled");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, networkMode) == 0xC0, "networkMode");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, txPackets) == 0xD0, "txPackets");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, rxPackets) == 0xD4, "rxPackets");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, disconnected) == 0xD8, "disconnected");
NX_STATIC_ASSERT(offsetof(AdapterStatusSnapshot, regulatoryDomain) == 0xDC, "regulatoryDomain");

/* One network the adapter sees; the scan answer is an array of these, no header. */
typedef struct NetworkScanEntry {
    uint8_t bssid[6];     /* 0 */
    uint8_t unused6[2];   /* 6 */
    char ssid[36];        /* 8: NUL-terminated when the driver leaves room, <= 32 chars */
    uint32_t value44;     /* 44: shown as the item's second text */
    uint8_t unused48[8];  /* 48 */
    uint32_t value56;     /* 56: shown as the item's first text */
    uint8_t unused60[12]; /* 60 */
} NetworkScanEntry;

NX_STATIC_ASSERT(sizeof(NetworkScanEntry) == 72, "scan entry size");
NX_STATIC_ASSERT(offsetof(NetworkScanEntry, bssid) == 0, "bssid");
NX_STATIC_ASSERT(offsetof(NetworkScanEntry, ssid) == 8, "ssid");
NX_STATIC_ASSERT(offsetof(NetworkScanEntry, value44) == 44, "value44");
NX_STATIC_ASSERT(offsetof(NetworkScanEntry, value56) == 56, "value56");
