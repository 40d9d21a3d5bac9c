/* The simulated adapter behind NXPROTO.SYS: its world (networks in range,
 * rates, traffic, stored OID answers), its running state (radio, counters)
 * and the answers it gives to NDIS requests. Plain C with fixed-width types
 * only, so the driver links it and the host tests run it with sanitizers;
 * the driver does the registry reading, locking and IRP handling. */
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "adapter/AdapterRecords.h"
#include "agent/NdisProtocol.h"
#include "driver/SimStation.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SIM_MAX_NETWORKS 64u
#define SIM_MAX_OID_ANSWERS 32u
#define SIM_MAX_SSID 32u
#define SIM_MAX_WEP_KEY 64u
#define SIM_ADAPTER_NAMES_SIZE 1024u /* multi-string: names, each NUL-ended, then a NUL */
#define SIM_MAX_ADAPTER_NAME 259u

/* Set data larger than this is never read from the caller: no settable OID
 * needs more (the loopback block is 8 bytes plus a short address list). */
#define SIM_MAX_SET_DATA 520u

/* Packets the stand-in loops back: Ethernet frames without the FCS. */
#define SIM_MAX_PACKET_DATA 1514u
#define SIM_MAX_QUEUED_PACKETS 256u

#define SIM_RADIO_STATE_UNKNOWN 0xFFFFFFFFu

typedef struct SimNetworkModel {
    char ssid[SIM_MAX_SSID + 1];
    uint8_t bssid[6];
    uint32_t channel;
    int32_t signal; /* 0..95 scale */
    char wepKey[SIM_MAX_WEP_KEY + 1];
    uint32_t mode;  /* 0 infrastructure, 1 ad hoc */
    uint32_t turbo; /* nonzero: offers turbo (doubled rates) */
} SimNetworkModel;

typedef struct SimOidAnswer {
    uint32_t oid;
    uint32_t size; /* at most NX_INLINE_DATA_SIZE: nothing longer can come back */
    uint8_t data[NX_INLINE_DATA_SIZE];
} SimOidAnswer;

typedef struct SimWorldModel {
    uint32_t generation;
    char adapterNames[SIM_ADAPTER_NAMES_SIZE];
    uint8_t permanentAddress[6];
    uint32_t regulatoryDomain;
    uint32_t txRate;
    uint32_t rxRate;
    uint32_t traffic;    /* packets per second sent while associated */
    uint32_t rxTraffic;  /* packets per second received while associated */
    uint32_t drift;      /* 0: still; else signals wander by up to this much, traffic bursts */
    uint32_t outOfRange; /* nonzero: no network is heard */
    uint32_t rangeCycle; /* seconds; nonzero: out of range in the last quarter of each */
    uint32_t unplugged;  /* nonzero: the adapter is absent */
    uint32_t removals;   /* bumped at every removal: bindings older than it are dead */
    uint32_t unloadState;
    uint32_t exactLength;
    uint32_t networkCount;
    SimNetworkModel networks[SIM_MAX_NETWORKS];
    uint32_t oidCount;
    SimOidAnswer oids[SIM_MAX_OID_ANSWERS];
} SimWorldModel;

/* Driver-wide running state of the adapter. */
typedef struct SimAdapterRuntime {
    SimStationConfig station; /* from the driver parameters at the last start */
    uint8_t joinedBssid[6];   /* the network associated with at the last advance */
    uint32_t associated;      /* nonzero: joinedBssid is valid */
    uint32_t radioOn;
    uint32_t radioState; /* last value set, or SIM_RADIO_STATE_UNKNOWN */
    uint32_t requestCount;
    uint32_t txPackets;
    uint32_t rxPackets;
    uint64_t lastTime;    /* 100 ns units, 0 before the first advance */
    uint64_t txRemainder; /* packet fractions carried between advances, */
    uint64_t rxRemainder; /* one for each direction */
} SimAdapterRuntime;

/* Per-handle state a request may change. */
typedef struct SimHandleState {
    uint32_t loopbackDisabled; /* nonzero: this handle's sends are not read back by it */
} SimHandleState;

/* What accompanies a set request: the caller's data as far as it could be
 * read (data NULL when it could not be read at all). */
typedef struct SimSetData {
    const uint8_t* data;
    uint32_t length;
} SimSetData;

void SimWorldInit(SimWorldModel* world);
void SimRuntimeInit(SimAdapterRuntime* runtime);

/* The adapter starts afresh at `now` (100 ns units) as `station`: radio on,
 * not associated, packet counters from zero (the request count stays). */
void SimRuntimeRestart(SimAdapterRuntime* runtime, const SimStationConfig* station, uint64_t now);

/* True when `name` (length bytes, trailing NULs ignored) is one of the
 * world's adapter names; ASCII case is ignored as in NT object names. */
int SimWorldHasAdapterName(const SimWorldModel* world, const char* name, size_t length);

/* Appends a name to the multi-string; false when it does not fit. */
int SimWorldAddAdapterName(SimWorldModel* world, const char* name);

/* Where the adapter's own key (its driver parameters) is, by the name a
 * binding opened it as: "\Device\{...}" (a NetCfgInstanceId) names the
 * 2000/XP network class key instance holding that identifier, any other
 * "\Device\<service>" the NT 4.0 adapter service's Parameters key. */
typedef enum SimAdapterKeyKind {
    SIM_ADAPTER_KEY_NONE,
    SIM_ADAPTER_KEY_CLASS_INSTANCE,
    SIM_ADAPTER_KEY_SERVICE_PARAMETERS
} SimAdapterKeyKind;

/* The kind, with the identifier or service name copied into `id`; NONE
 * when the name has no "\Device\" prefix (ASCII case ignored), the rest is
 * empty, holds a backslash, or does not fit `idSize`. */
SimAdapterKeyKind SimAdapterKeyFromName(const char* name, char* id, size_t idSize);

/* Parses eight hexadecimal digits (an "Oids" value name); false otherwise. */
int SimParseOidName(const char* text, uint32_t* oid);

/* Signal of network `index` at the runtime's time (drift applied). */
int32_t SimNetworkSignal(const SimWorldModel* world, const SimAdapterRuntime* runtime,
                         uint32_t index);

/* Index of the network the adapter is associated with, or -1: among the
 * networks in range that the station accepts (SimStationAccepts), the one
 * it was associated with at the last advance while it still qualifies,
 * else the strongest (the first of equals). None while the radio is off or
 * the adapter is out of range. */
int SimJoinedNetwork(const SimWorldModel* world, const SimAdapterRuntime* runtime);

/* Moves the adapter on to `now` (100 ns units): the association, and the
 * packet counters, each at its own rate (the world's "Traffic" sent,
 * "RxTraffic" received) and, under drift, in bursts of its own; the
 * counters stand still while the adapter is not associated. */
void SimAdvanceTraffic(SimAdapterRuntime* runtime, const SimWorldModel* world, uint64_t now);

/* True when a binding opened while the world's removal count was `epoch`
 * still reaches the adapter: present, and not removed since. */
int SimBindingAlive(const SimWorldModel* world, uint32_t epoch);

void SimBuildSnapshot(const SimWorldModel* world, const SimAdapterRuntime* runtime,
                      AdapterStatusSnapshot* out);

/* Number of networks a scan reports now (0 while the radio is off or the
 * adapter is out of range). */
uint32_t SimScanCount(const SimWorldModel* world, const SimAdapterRuntime* runtime);
void SimBuildScanEntry(const SimNetworkModel* network, NetworkScanEntry* out);

/* Bytes of set data the request needs from the caller (0: none to read). */
uint32_t SimSetDataWanted(const NdisRequestRecord* record, int privateRequest);

/* Answers one request in place: status, bytesWritten, bytesNeeded and, for
 * queries, the inline data area. `privateRequest` selects the library-driver
 * OIDs (NX_IOCTL_PRIVATE_REQUEST) instead of the adapter's. The caller
 * advances the traffic and counts the request before. */
void SimAnswerRequest(const SimWorldModel* world, SimAdapterRuntime* runtime,
                      SimHandleState* handle, NdisRequestRecord* record, int privateRequest,
                      const SimSetData* setData);

#ifdef __cplusplus
}
#endif
