/* The simulated adapter's answers; see SimAdapter.h. */
#include "driver/SimAdapter.h"

#include <string.h>

#include "driver/SimDrift.h"
#include "sim/SimWorld.h"

#define TICKS_PER_SECOND SIM_TICKS_PER_SECOND
#define TICKS_PER_DAY (86400ull * TICKS_PER_SECOND)

void SimWorldInit(SimWorldModel* world) {
    memset(world, 0, sizeof *world);
    world->txRate = 54;
    world->rxRate = 54;
    world->unloadState = NX_UNLOAD_STILL_NEEDED;
}

void SimRuntimeInit(SimAdapterRuntime* runtime) {
    memset(runtime, 0, sizeof *runtime);
    SimStationInit(&runtime->station);
    runtime->radioOn = 1;
    runtime->radioState = 1;
}

void SimRuntimeRestart(SimAdapterRuntime* runtime, const SimStationConfig* station, uint64_t now) {
    uint32_t requests = runtime->requestCount;
    memset(runtime, 0, sizeof *runtime);
    runtime->station = *station;
    runtime->radioOn = 1;
    runtime->radioState = 1;
    runtime->requestCount = requests;
    runtime->lastTime = now;
}

/* Bounded length without relying on strnlen, which the kernel's C
 * runtime does not export everywhere. */
static size_t BoundedLength(const char* text, size_t limit) {
    size_t n = 0;
    while (n < limit && text[n])
        ++n;
    return n;
}

static char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

int SimWorldHasAdapterName(const SimWorldModel* world, const char* name, size_t length) {
    while (length > 0 && name[length - 1] == '\0')
        --length;
    if (length == 0)
        return 0;
    const char* entry = world->adapterNames;
    const char* end = world->adapterNames + sizeof world->adapterNames;
    while (entry < end && *entry) {
        size_t n = BoundedLength(entry, (size_t)(end - entry));
        if (n == length) {
            size_t i = 0;
            while (i < n && LowerAscii(entry[i]) == LowerAscii(name[i]))
                ++i;
            if (i == n)
                return 1;
        }
        entry += n + 1;
    }
    return 0;
}

int SimWorldAddAdapterName(SimWorldModel* world, const char* name) {
    size_t used = 0;
    size_t size = sizeof world->adapterNames;
    while (used < size && world->adapterNames[used])
        used += BoundedLength(world->adapterNames + used, size - used) + 1;
    size_t n = strlen(name);
    /* the name, its NUL and the list's closing NUL */
    if (n == 0 || n > SIM_MAX_ADAPTER_NAME || used + n + 2 > size)
        return 0;
    memcpy(world->adapterNames + used, name, n + 1);
    world->adapterNames[used + n + 1] = '\0';
    return 1;
}

SimAdapterKeyKind SimAdapterKeyFromName(const char* name, char* id, size_t idSize) {
    static const char prefix[] = "\\device\\";
    size_t i = 0;
    for (; prefix[i]; ++i)
        if (LowerAscii(name[i]) != prefix[i])
            return SIM_ADAPTER_KEY_NONE;
    const char* rest = name + i;
    size_t n = 0;
    while (rest[n]) {
        if (rest[n] == '\\')
            return SIM_ADAPTER_KEY_NONE;
        ++n;
    }
    if (n == 0 || n >= idSize)
        return SIM_ADAPTER_KEY_NONE;
    memcpy(id, rest, n + 1);
    return rest[0] == '{' ? SIM_ADAPTER_KEY_CLASS_INSTANCE : SIM_ADAPTER_KEY_SERVICE_PARAMETERS;
}

int SimParseOidName(const char* text, uint32_t* oid) {
    uint32_t value = 0;
    for (int i = 0; i < 8; ++i) {
        char c = text[i];
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = (uint32_t)(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = (uint32_t)(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = (uint32_t)(c - 'a' + 10);
        else
            return 0;
        value = (value << 4) | digit;
    }
    if (text[8] != '\0')
        return 0;
    *oid = value;
    return 1;
}

int32_t SimNetworkSignal(const SimWorldModel* world, const SimAdapterRuntime* runtime,
                         uint32_t index) {
    return SimDriftSignal(world->networks[index].signal, world->drift, index, runtime->lastTime);
}

static int InRange(const SimWorldModel* world, const SimAdapterRuntime* runtime) {
    return runtime->radioOn &&
           !SimOutOfRange(world->outOfRange, world->rangeCycle, runtime->lastTime);
}

int SimJoinedNetwork(const SimWorldModel* world, const SimAdapterRuntime* runtime) {
    if (!InRange(world, runtime))
        return -1;
    int best = -1;
    int32_t bestSignal = 0;
    uint32_t count =
        world->networkCount < SIM_MAX_NETWORKS ? world->networkCount : SIM_MAX_NETWORKS;
    for (uint32_t i = 0; i < count; ++i) {
        const SimNetworkModel* net = &world->networks[i];
        if (!SimStationAccepts(&runtime->station, net->ssid, net->mode, net->wepKey))
            continue;
        /* A station stays with its access point while it can, rather than
         * hopping to whichever is a little stronger this second. */
        if (runtime->associated && memcmp(net->bssid, runtime->joinedBssid, 6) == 0)
            return (int)i;
        int32_t signal = SimNetworkSignal(world, runtime, i);
        if (best < 0 || signal > bestSignal) {
            best = (int)i;
            bestSignal = signal;
        }
    }
    return best;
}

int SimBindingAlive(const SimWorldModel* world, uint32_t epoch) {
    return !world->unplugged && world->removals == epoch;
}

/* Adds `duration` ticks of traffic at `rate` packets per second to
 * `counter`, carrying the fraction. Rate and duration are split so no
 * product passes 64 bits (rate below 2^42, duration at most a day). */
static void AddPackets(uint32_t* counter, uint64_t* remainder, uint64_t rate, uint64_t duration) {
    uint64_t whole = (rate / TICKS_PER_SECOND) * duration;
    uint64_t units = (rate % TICKS_PER_SECOND) * duration + *remainder;
    uint32_t packets = (uint32_t)(whole + units / TICKS_PER_SECOND);
    *remainder = units % TICKS_PER_SECOND;
    *counter += packets; /* wraps like a 32-bit hardware counter */
}

/* One direction's traffic from `from` to `now`: steady, or under drift in
 * bursts, each whole second at its own share of the rate. */
static void AdvanceStream(uint32_t* counter, uint64_t* remainder, uint32_t rate, uint32_t stream,
                          uint32_t drift, uint64_t from, uint64_t now) {
    if (rate == 0) {
        *remainder = 0;
        return;
    }
    if (!drift) {
        AddPackets(counter, remainder, rate, now - from);
        return;
    }
    while (from < now) {
        uint64_t second = from / TICKS_PER_SECOND;
        uint64_t end = (second + 1) * TICKS_PER_SECOND;
        if (end > now)
            end = now;
        AddPackets(counter, remainder, (uint64_t)rate * SimBurstPercent(second, stream) / 100u,
                   end - from);
        from = end;
    }
}

void SimAdvanceTraffic(SimAdapterRuntime* runtime, const SimWorldModel* world, uint64_t now) {
    uint64_t from = runtime->lastTime;
    int fresh = from == 0 || now < from;
    runtime->lastTime = now;
    int joined = SimJoinedNetwork(world, runtime);
    runtime->associated = joined >= 0;
    if (joined >= 0)
        memcpy(runtime->joinedBssid, world->networks[joined].bssid, 6);
    else
        memset(runtime->joinedBssid, 0, 6);
    if (fresh || joined < 0) {
        runtime->txRemainder = 0;
        runtime->rxRemainder = 0;
        return;
    }
    /* A pause of more than a day counts as a day. */
    if (now - from > TICKS_PER_DAY)
        from = now - TICKS_PER_DAY;
    AdvanceStream(&runtime->txPackets, &runtime->txRemainder, world->traffic, SIM_STREAM_TRANSMIT,
                  world->drift, from, now);
    AdvanceStream(&runtime->rxPackets, &runtime->rxRemainder, world->rxTraffic, SIM_STREAM_RECEIVE,
                  world->drift, from, now);
}

static void CopyText(char* out, size_t outSize, const char* text) {
    size_t n = BoundedLength(text, outSize - 1);
    memcpy(out, text, n);
    out[n] = '\0';
}

void SimBuildSnapshot(const SimWorldModel* world, const SimAdapterRuntime* runtime,
                      AdapterStatusSnapshot* out) {
    memset(out, 0, sizeof *out);
    out->regulatoryDomain = world->regulatoryDomain;
    out->txPackets = runtime->txPackets;
    out->rxPackets = runtime->rxPackets;
    /* Small error figures that grow with the traffic, as on a real link. */
    out->txErrorCount1 = runtime->txPackets / 1000u;
    out->rxErrorCount1 = runtime->rxPackets / 800u;
    int joined = SimJoinedNetwork(world, runtime);
    if (joined < 0) {
        /* Searching: the network it is configured for, no access point. */
        out->disconnected = 1;
        memset(out->bssid, 0xFF, sizeof out->bssid);
        if (runtime->radioOn)
            CopyText(out->ssid, sizeof out->ssid, runtime->station.ssid);
        out->networkMode = runtime->station.mode;
        return;
    }
    const SimNetworkModel* net = &world->networks[joined];
    int32_t signal = SimNetworkSignal(world, runtime, (uint32_t)joined);
    uint32_t tx = world->txRate;
    uint32_t rx = world->rxRate;
    if (world->drift) {
        /* The rate follows the wandering signal down. */
        uint32_t fit = SimRateForSignal(signal);
        tx = tx < fit ? tx : fit;
        rx = rx < fit ? rx : fit;
    }
    if (runtime->station.turbo && net->turbo) {
        tx *= 2;
        rx *= 2;
    }
    out->txRateMbps = tx;
    out->rxRateMbps = rx;
    out->signalLevel = signal;
    out->channel = net->channel;
    memcpy(out->bssid, net->bssid, sizeof out->bssid);
    CopyText(out->ssid, sizeof out->ssid, net->ssid);
    out->wepEnabled = runtime->station.privacy != 0;
    out->networkMode = net->mode;
}

uint32_t SimScanCount(const SimWorldModel* world, const SimAdapterRuntime* runtime) {
    if (!InRange(world, runtime))
        return 0;
    return world->networkCount < SIM_MAX_NETWORKS ? world->networkCount : SIM_MAX_NETWORKS;
}

void SimBuildScanEntry(const SimNetworkModel* network, NetworkScanEntry* out) {
    memset(out, 0, sizeof *out);
    memcpy(out->bssid, network->bssid, sizeof out->bssid);
    CopyText(out->ssid, sizeof out->ssid, network->ssid);
    out->value56 = (uint32_t)network->signal;
    out->value44 = network->channel;
    /* The driver's own bytes: mode and privacy, for whoever wants them. */
    memcpy(out->unused48, &network->mode, 4);
    uint32_t privacy = network->wepKey[0] != '\0';
    memcpy(out->unused48 + 4, &privacy, 4);
}

static void SetStatus(NdisRequestRecord* r, uint32_t status, uint32_t written, uint32_t needed) {
    r->status = status;
    r->bytesWritten = written;
    r->bytesNeeded = needed;
}

/* A query answer of `size` bytes: too short a buffer (or, with ExactLength,
 * any other length) fails with the size needed; otherwise as much as fits
 * the caller's buffer and the inline area comes back. */
static void Answer(const SimWorldModel* world, NdisRequestRecord* r, const void* data,
                   uint32_t size) {
    if (r->bufferLength < size || (world->exactLength && r->bufferLength != size)) {
        SetStatus(r, NX_STATUS_INVALID_LENGTH, 0, size);
        return;
    }
    uint32_t n = size < NX_INLINE_DATA_SIZE ? size : NX_INLINE_DATA_SIZE;
    memcpy(r->data, data, n);
    SetStatus(r, NX_STATUS_SUCCESS, n, size);
}

static void AnswerU32(const SimWorldModel* world, NdisRequestRecord* r, uint32_t value) {
    Answer(world, r, &value, sizeof value);
}

/* The scan answer holds whole entries only, as many as fit the buffer and
 * the inline area; bytesNeeded always names the full list. */
static void AnswerScan(const SimWorldModel* world, const SimAdapterRuntime* runtime,
                       NdisRequestRecord* r) {
    uint32_t count = SimScanCount(world, runtime);
    uint32_t size = count * (uint32_t)sizeof(NetworkScanEntry);
    if (r->bufferLength < size || (world->exactLength && r->bufferLength != size)) {
        SetStatus(r, NX_STATUS_INVALID_LENGTH, 0, size);
        return;
    }
    uint32_t room = r->bufferLength < NX_INLINE_DATA_SIZE ? r->bufferLength : NX_INLINE_DATA_SIZE;
    uint32_t fit = room / (uint32_t)sizeof(NetworkScanEntry);
    if (fit > count)
        fit = count;
    for (uint32_t i = 0; i < fit; ++i) {
        NetworkScanEntry entry;
        SimBuildScanEntry(&world->networks[i], &entry);
        entry.value56 = (uint32_t)SimNetworkSignal(world, runtime, i);
        memcpy(r->data + i * sizeof entry, &entry, sizeof entry);
    }
    SetStatus(r, NX_STATUS_SUCCESS, fit * (uint32_t)sizeof(NetworkScanEntry), size);
}

static const SimOidAnswer* StoredAnswer(const SimWorldModel* world, uint32_t oid) {
    for (uint32_t i = 0; i < world->oidCount && i < SIM_MAX_OID_ANSWERS; ++i)
        if (world->oids[i].oid == oid)
            return &world->oids[i];
    return NULL;
}

static void AnswerAdapterQuery(const SimWorldModel* world, SimAdapterRuntime* runtime,
                               NdisRequestRecord* r) {
    /* Stored answers come first, so a test can also stand in for a
     * built-in OID with odd contents. */
    const SimOidAnswer* stored = StoredAnswer(world, r->oid);
    if (stored) {
        Answer(world, r, stored->data, stored->size);
        return;
    }
    switch (r->oid) {
    case NX_OID_ADAPTER_STATUS: {
        AdapterStatusSnapshot snapshot;
        SimBuildSnapshot(world, runtime, &snapshot);
        Answer(world, r, &snapshot, sizeof snapshot);
        return;
    }
    case NX_OID_SCAN_LIST:
        AnswerScan(world, runtime, r);
        return;
    case NX_OID_PERMANENT_ADDRESS:
        Answer(world, r, world->permanentAddress, sizeof world->permanentAddress);
        return;
    case NX_OID_RADIO:
        AnswerU32(world, r, runtime->radioOn);
        return;
    case NX_OID_SIM_REQUEST_COUNT:
        AnswerU32(world, r, runtime->requestCount);
        return;
    case NX_OID_SIM_RADIO_STATE:
        AnswerU32(world, r, runtime->radioState);
        return;
    default:
        SetStatus(r, NX_STATUS_NOT_SUPPORTED, 0, 0);
        return;
    }
}

static void SetAdapterOid(SimAdapterRuntime* runtime, NdisRequestRecord* r, const SimSetData* set) {
    if (r->oid != NX_OID_RADIO) {
        SetStatus(r, NX_STATUS_NOT_SUPPORTED, 0, 0);
        return;
    }
    if (r->bufferLength < 4) {
        SetStatus(r, NX_STATUS_INVALID_LENGTH, 0, 4);
        return;
    }
    if (!set || !set->data || set->length < 4) {
        /* The value could not be seen: the request is taken, the radio is
         * left as it was and the state says so. */
        runtime->radioState = SIM_RADIO_STATE_UNKNOWN;
        SetStatus(r, NX_STATUS_SUCCESS, 4, 0);
        return;
    }
    uint32_t value;
    memcpy(&value, set->data, 4);
    runtime->radioState = value;
    runtime->radioOn = value != 0;
    SetStatus(r, NX_STATUS_SUCCESS, 4, 0);
}

/* Loopback control block: u32 value, u32 n, n bytes. A nonzero value stops
 * the packets this handle sends from being read back on this handle (other
 * handles bound to the adapter still receive them); zero restores it. The n
 * bytes are not interpreted. */
static void SetLoopback(SimHandleState* handle, NdisRequestRecord* r, const SimSetData* set) {
    if (r->bufferLength < sizeof(LoopbackControlHeader)) {
        SetStatus(r, NX_STATUS_INVALID_LENGTH, 0, sizeof(LoopbackControlHeader));
        return;
    }
    if (!set || !set->data || set->length < sizeof(LoopbackControlHeader)) {
        /* Applying a block nobody could read would be a guess. */
        SetStatus(r, NX_STATUS_INVALID_DATA, 0, 0);
        return;
    }
    LoopbackControlHeader header;
    memcpy(&header, set->data, sizeof header);
    if (header.length > r->bufferLength - sizeof header) {
        SetStatus(r, NX_STATUS_INVALID_LENGTH, 0, (uint32_t)sizeof header + header.length);
        return;
    }
    handle->loopbackDisabled = header.value != 0;
    SetStatus(r, NX_STATUS_SUCCESS, (uint32_t)sizeof header + header.length, 0);
}

uint32_t SimSetDataWanted(const NdisRequestRecord* r, int privateRequest) {
    if (r->requestType != NX_REQUEST_SET_INFORMATION || r->buffer == 0)
        return 0;
    uint32_t want;
    if (!privateRequest && r->oid == NX_OID_RADIO)
        want = 4;
    else if (privateRequest && r->oid == NX_OID_LOOPBACK)
        want = sizeof(LoopbackControlHeader);
    else
        return 0;
    return r->bufferLength < want ? 0 : want;
}

void SimAnswerRequest(const SimWorldModel* world, SimAdapterRuntime* runtime,
                      SimHandleState* handle, NdisRequestRecord* r, int privateRequest,
                      const SimSetData* setData) {
    r->bytesWritten = 0;
    r->bytesNeeded = 0;
    switch (r->requestType) {
    case NX_REQUEST_QUERY_INFORMATION:
    case NX_REQUEST_QUERY_STATISTICS:
        if (!privateRequest) {
            AnswerAdapterQuery(world, runtime, r);
        } else if (r->oid == NX_OID_UNLOAD_STATE) {
            AnswerU32(world, r, world->unloadState);
        } else {
            SetStatus(r, NX_STATUS_NOT_SUPPORTED, 0, 0);
        }
        return;
    case NX_REQUEST_SET_INFORMATION:
        if (!privateRequest)
            SetAdapterOid(runtime, r, setData);
        else if (r->oid == NX_OID_LOOPBACK)
            SetLoopback(handle, r, setData);
        else
            SetStatus(r, NX_STATUS_NOT_SUPPORTED, 0, 0);
        return;
    default:
        SetStatus(r, NX_STATUS_NOT_SUPPORTED, 0, 0);
        return;
    }
}
