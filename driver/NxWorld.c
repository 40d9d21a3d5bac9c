/* The simulated adapter's world, read from the registry key named in
 * sim/SimWorld.h. The key stays open between requests and each request reads
 * only "Generation"; the whole world is read again when it changes, or when
 * the key was deleted and made anew (a reinstall).
 *
 * The adapter "starts" when the driver loads and whenever a binding opens
 * while no other is open (a restart closes every binding and opens one
 * again; so does the removal and arrival of the adapter). Starting reads the
 * driver parameter values from the adapter's own key, as a miniport does
 * when it initialises, and makes the station of them. */
#include "driver/NxDriver.h"

#include "sim/SimWorld.h"

typedef struct NxWorldState {
    FAST_MUTEX lock; /* uncontended it costs no trip to the wineserver */
    HANDLE key;      /* NULL while the world key is not open */
    BOOLEAN loaded;
    SimWorldModel* world;
    SimAdapterRuntime runtime;
    uint32_t liveBindings; /* bindings open in bindingEpoch */
    uint32_t bindingEpoch; /* the world's removal count when they opened */
    SimDriverParameters parameters;
    BlowfishContext cipher; /* scratch for deciphering the transmit key */
    /* Big enough for a value name and the largest value the world holds. */
    UCHAR valueBuffer[sizeof(KEY_VALUE_FULL_INFORMATION) + 2 * SIM_ADAPTER_NAMES_SIZE + 256];
} NxWorldState;

static NxWorldState* g_state;

static void Lock(void) {
    ExAcquireFastMutex(&g_state->lock);
}

static void Unlock(void) {
    ExReleaseFastMutex(&g_state->lock);
}

static NTSTATUS OpenKey(HANDLE* key, HANDLE root, const WCHAR* path) {
    UNICODE_STRING name;
    OBJECT_ATTRIBUTES attributes;
    RtlInitUnicodeString(&name, path);
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, root,
                               NULL);
    return ZwOpenKey(key, KEY_READ, &attributes);
}

/* Reads one value into the state's buffer; NULL when absent or of another type. */
static const KEY_VALUE_PARTIAL_INFORMATION* ReadValue(HANDLE key, const WCHAR* valueName,
                                                      ULONG type) {
    UNICODE_STRING name;
    ULONG got = 0;
    KEY_VALUE_PARTIAL_INFORMATION* info = (KEY_VALUE_PARTIAL_INFORMATION*)g_state->valueBuffer;
    RtlInitUnicodeString(&name, valueName);
    NTSTATUS status = ZwQueryValueKey(key, &name, KeyValuePartialInformation, info,
                                      sizeof g_state->valueBuffer, &got);
    if (!NT_SUCCESS(status) || info->Type != type)
        return NULL;
    return info;
}

static BOOLEAN ReadDword(HANDLE key, const WCHAR* name, uint32_t* out) {
    const KEY_VALUE_PARTIAL_INFORMATION* info = ReadValue(key, name, REG_DWORD);
    if (!info || info->DataLength < 4)
        return FALSE;
    RtlCopyMemory(out, info->Data, 4);
    return TRUE;
}

/* Registry text is UTF-16; the world speaks 8-bit ASCII. */
static void NarrowText(const WCHAR* text, ULONG chars, char* out, ULONG outSize) {
    ULONG n = 0;
    while (n < chars && n + 1 < outSize && text[n]) {
        out[n] = text[n] < 0x80 ? (char)text[n] : '?';
        ++n;
    }
    out[n] = '\0';
}

static void ReadText(HANDLE key, const WCHAR* name, char* out, ULONG outSize) {
    const KEY_VALUE_PARTIAL_INFORMATION* info = ReadValue(key, name, REG_SZ);
    if (!info)
        info = ReadValue(key, name, REG_EXPAND_SZ);
    if (!info) {
        out[0] = '\0';
        return;
    }
    NarrowText((const WCHAR*)info->Data, info->DataLength / sizeof(WCHAR), out, outSize);
}

static void ReadBinary(HANDLE key, const WCHAR* name, uint8_t* out, ULONG size) {
    const KEY_VALUE_PARTIAL_INFORMATION* info = ReadValue(key, name, REG_BINARY);
    if (info && info->DataLength >= size)
        RtlCopyMemory(out, info->Data, size);
}

static void ReadAdapterNames(HANDLE key, SimWorldModel* world) {
    const KEY_VALUE_PARTIAL_INFORMATION* info = ReadValue(key, L"AdapterNames", REG_MULTI_SZ);
    if (!info)
        return;
    const WCHAR* text = (const WCHAR*)info->Data;
    ULONG chars = info->DataLength / sizeof(WCHAR);
    ULONG i = 0;
    while (i < chars && text[i]) {
        char name[SIM_MAX_ADAPTER_NAME + 1];
        ULONG start = i;
        while (i < chars && text[i])
            ++i;
        NarrowText(text + start, i - start, name, sizeof name);
        SimWorldAddAdapterName(world, name);
        ++i;
    }
}

static void ReadNetworks(HANDLE worldKey, SimWorldModel* world) {
    HANDLE networks;
    if (!NT_SUCCESS(OpenKey(&networks, worldKey, L"Networks")))
        return;
    for (ULONG i = 0; i < SIM_MAX_NETWORKS; ++i) {
        WCHAR name[12];
        HANDLE key;
        ULONG n = 0, value = i;
        WCHAR digits[11];
        do {
            digits[n++] = (WCHAR)(L'0' + value % 10);
            value /= 10;
        } while (value);
        for (ULONG k = 0; k < n; ++k)
            name[k] = digits[n - 1 - k];
        name[n] = 0;
        /* Networks are numbered without gaps; the first missing one ends the list. */
        if (!NT_SUCCESS(OpenKey(&key, networks, name)))
            break;
        SimNetworkModel* net = &world->networks[world->networkCount++];
        RtlZeroMemory(net, sizeof *net);
        net->channel = 36;
        ReadText(key, L"Ssid", net->ssid, sizeof net->ssid);
        ReadBinary(key, L"Bssid", net->bssid, sizeof net->bssid);
        ReadDword(key, L"Channel", &net->channel);
        ReadDword(key, L"Signal", (uint32_t*)&net->signal);
        ReadText(key, L"WepKey", net->wepKey, sizeof net->wepKey);
        ReadDword(key, L"Mode", &net->mode);
        ReadDword(key, L"Turbo", &net->turbo);
        ZwClose(key);
    }
    ZwClose(networks);
}

static void ReadOidAnswers(HANDLE worldKey, SimWorldModel* world) {
    HANDLE oids;
    if (!NT_SUCCESS(OpenKey(&oids, worldKey, L"Oids")))
        return;
    KEY_VALUE_FULL_INFORMATION* info = (KEY_VALUE_FULL_INFORMATION*)g_state->valueBuffer;
    for (ULONG index = 0; world->oidCount < SIM_MAX_OID_ANSWERS; ++index) {
        ULONG got = 0;
        NTSTATUS status = ZwEnumerateValueKey(oids, index, KeyValueFullInformation, info,
                                              sizeof g_state->valueBuffer, &got);
        if (status == STATUS_NO_MORE_ENTRIES)
            break;
        if (!NT_SUCCESS(status) || info->Type != REG_BINARY)
            continue;
        char name[16];
        uint32_t oid;
        if (info->NameLength / sizeof(WCHAR) > 8)
            continue;
        NarrowText(info->Name, info->NameLength / sizeof(WCHAR), name, sizeof name);
        if (!SimParseOidName(name, &oid))
            continue;
        SimOidAnswer* answer = &world->oids[world->oidCount++];
        answer->oid = oid;
        /* Nothing longer than the inline area can reach the caller. */
        answer->size =
            info->DataLength < NX_INLINE_DATA_SIZE ? info->DataLength : NX_INLINE_DATA_SIZE;
        RtlCopyMemory(answer->data, (const UCHAR*)info + info->DataOffset, answer->size);
    }
    ZwClose(oids);
}

static void LoadWorld(HANDLE key, uint32_t generation) {
    SimWorldModel* world = g_state->world;
    SimWorldInit(world);
    world->generation = generation;
    ReadAdapterNames(key, world);
    ReadBinary(key, L"PermanentAddress", world->permanentAddress, 6);
    ReadDword(key, L"RegulatoryDomain", &world->regulatoryDomain);
    ReadDword(key, L"TxRate", &world->txRate);
    ReadDword(key, L"RxRate", &world->rxRate);
    ReadDword(key, L"Traffic", &world->traffic);
    ReadDword(key, L"RxTraffic", &world->rxTraffic);
    ReadDword(key, L"UnloadState", &world->unloadState);
    ReadDword(key, L"ExactLength", &world->exactLength);
    ReadDword(key, L"Drift", &world->drift);
    ReadDword(key, L"OutOfRange", &world->outOfRange);
    ReadDword(key, L"RangeCycle", &world->rangeCycle);
    ReadDword(key, L"Unplugged", &world->unplugged);
    ReadDword(key, L"Removals", &world->removals);
    ReadNetworks(key, world);
    ReadOidAnswers(key, world);
}

/* "Generation" of the open world key: 0 when the value is absent; FALSE
 * when the key itself is unusable (deleted under us, say). */
static BOOLEAN ReadGeneration(HANDLE key, uint32_t* generation) {
    UNICODE_STRING name;
    ULONG got = 0;
    KEY_VALUE_PARTIAL_INFORMATION* info = (KEY_VALUE_PARTIAL_INFORMATION*)g_state->valueBuffer;
    RtlInitUnicodeString(&name, L"Generation");
    NTSTATUS status = ZwQueryValueKey(key, &name, KeyValuePartialInformation, info,
                                      sizeof g_state->valueBuffer, &got);
    *generation = 0;
    if (status == STATUS_OBJECT_NAME_NOT_FOUND)
        return TRUE;
    if (!NT_SUCCESS(status))
        return FALSE;
    if (info->Type == REG_DWORD && info->DataLength >= 4)
        RtlCopyMemory(generation, info->Data, 4);
    return TRUE;
}

/* Takes up a changed world; called with the lock held. */
static void Refresh(void) {
    uint32_t generation = 0;
    BOOLEAN reopened = FALSE;
    if (g_state->key && !ReadGeneration(g_state->key, &generation)) {
        /* Deleted under us: look afresh. */
        ZwClose(g_state->key);
        g_state->key = NULL;
    }
    if (!g_state->key) {
        if (!NT_SUCCESS(OpenKey(&g_state->key, NULL, NX_SIM_WORLD_KEY_W))) {
            g_state->key = NULL;
            SimWorldInit(g_state->world); /* not installed: an empty world */
            g_state->loaded = FALSE;
            return;
        }
        reopened = TRUE;
        ReadGeneration(g_state->key, &generation);
    }
    if (reopened || !g_state->loaded || generation != g_state->world->generation) {
        LoadWorld(g_state->key, generation);
        g_state->loaded = TRUE;
    }
}

/* ---- adapter start: the driver parameter values ---- */

#define CLASS_KEY_W                                                                                \
    L"\\Registry\\Machine\\System\\CurrentControlSet\\Control\\Class\\"                            \
    L"{4D36E972-E325-11CE-BFC1-08002BE10318}"
#define SERVICES_KEY_W L"\\Registry\\Machine\\System\\CurrentControlSet\\Services\\"

/* ASCII into a NUL-ended wide buffer of `size` characters; FALSE when it
 * does not fit. */
static BOOLEAN Widen(const char* text, WCHAR* out, ULONG size, ULONG* used) {
    ULONG n = *used;
    for (; *text; ++text) {
        if (n + 1 >= size)
            return FALSE;
        out[n++] = (WCHAR)(unsigned char)*text;
    }
    out[n] = 0;
    *used = n;
    return TRUE;
}

static BOOLEAN SameAsciiText(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = (*a >= 'a' && *a <= 'z') ? (char)(*a - 'a' + 'A') : *a;
        char y = (*b >= 'a' && *b <= 'z') ? (char)(*b - 'a' + 'A') : *b;
        if (x != y)
            return FALSE;
    }
    return *a == *b;
}

/* The network class key instance whose "NetCfgInstanceID" is `id`. */
static NTSTATUS OpenClassInstance(const char* id, HANDLE* out) {
    HANDLE classKey;
    NTSTATUS status = OpenKey(&classKey, NULL, CLASS_KEY_W);
    if (!NT_SUCCESS(status))
        return status;
    status = STATUS_OBJECT_NAME_NOT_FOUND;
    UCHAR buffer[sizeof(KEY_BASIC_INFORMATION) + 256 * sizeof(WCHAR)];
    for (ULONG index = 0;; ++index) {
        ULONG got = 0;
        KEY_BASIC_INFORMATION* info = (KEY_BASIC_INFORMATION*)buffer;
        NTSTATUS e = ZwEnumerateKey(classKey, index, KeyBasicInformation, info,
                                    sizeof buffer - sizeof(WCHAR), &got);
        if (e == STATUS_NO_MORE_ENTRIES)
            break;
        if (!NT_SUCCESS(e))
            continue;
        info->Name[info->NameLength / sizeof(WCHAR)] = 0;
        HANDLE instance;
        if (!NT_SUCCESS(OpenKey(&instance, classKey, info->Name)))
            continue;
        char found[64];
        ReadText(instance, L"NetCfgInstanceID", found, sizeof found);
        if (SameAsciiText(found, id)) {
            *out = instance;
            status = STATUS_SUCCESS;
            break;
        }
        ZwClose(instance);
    }
    ZwClose(classKey);
    return status;
}

/* The adapter's own key for the name a binding opened it as. */
static NTSTATUS OpenAdapterKey(const char* name, HANDLE* out) {
    char id[SIM_MAX_ADAPTER_NAME + 1];
    switch (SimAdapterKeyFromName(name, id, sizeof id)) {
    case SIM_ADAPTER_KEY_CLASS_INSTANCE:
        return OpenClassInstance(id, out);
    case SIM_ADAPTER_KEY_SERVICE_PARAMETERS: {
        WCHAR path[sizeof SERVICES_KEY_W / sizeof(WCHAR) + SIM_MAX_ADAPTER_NAME + 16];
        ULONG used = sizeof SERVICES_KEY_W / sizeof(WCHAR) - 1;
        RtlCopyMemory(path, SERVICES_KEY_W, sizeof SERVICES_KEY_W);
        if (!Widen(id, path, ARRAYSIZE(path), &used) ||
            !Widen("\\Parameters", path, ARRAYSIZE(path), &used))
            return STATUS_NAME_TOO_LONG;
        return OpenKey(out, NULL, path);
    }
    default:
        return STATUS_OBJECT_NAME_INVALID;
    }
}

/* Every value the station reads, as text; an unreadable long one is marked. */
static void ReadParameters(HANDLE key, SimDriverParameters* parameters) {
    SimParametersInit(parameters);
    for (uint32_t i = 0; i < SIM_PARAM_COUNT; ++i) {
        WCHAR wide[32];
        ULONG used = 0;
        UNICODE_STRING name;
        ULONG got = 0;
        if (!Widen(SimParameterName(i), wide, ARRAYSIZE(wide), &used))
            continue;
        RtlInitUnicodeString(&name, wide);
        KEY_VALUE_PARTIAL_INFORMATION* info = (KEY_VALUE_PARTIAL_INFORMATION*)g_state->valueBuffer;
        NTSTATUS status = ZwQueryValueKey(key, &name, KeyValuePartialInformation, info,
                                          sizeof g_state->valueBuffer, &got);
        if (status == STATUS_BUFFER_OVERFLOW || status == STATUS_BUFFER_TOO_SMALL) {
            SimParametersSetOverlong(parameters, i);
            continue;
        }
        if (!NT_SUCCESS(status) || (info->Type != REG_SZ && info->Type != REG_EXPAND_SZ))
            continue;
        /* One character more than is kept, so the cut is noticed. */
        char text[SIM_PARAM_TEXT + 2];
        NarrowText((const WCHAR*)info->Data, info->DataLength / sizeof(WCHAR), text, sizeof text);
        SimParametersSetText(parameters, i, text, sizeof text);
    }
}

/* Starts the adapter as bound by `name`: the station its driver parameters
 * make (all missing when the key is not there), fresh counters and radio.
 * Called with the lock held. */
static void StartAdapter(const char* name) {
    HANDLE key;
    if (NT_SUCCESS(OpenAdapterKey(name, &key))) {
        ReadParameters(key, &g_state->parameters);
        ZwClose(key);
    } else {
        SimParametersInit(&g_state->parameters);
    }
    SimStationConfig station;
    SimStationConfigure(&station, &g_state->parameters, &g_state->cipher);
    BlowfishWipe(&g_state->parameters, sizeof g_state->parameters);
    LARGE_INTEGER now;
    KeQuerySystemTime(&now);
    SimRuntimeRestart(&g_state->runtime, &station, (uint64_t)now.QuadPart);
    BlowfishWipe(&station, sizeof station);
}

NTSTATUS NxWorldStart(void) {
    g_state = ExAllocatePoolWithTag(NonPagedPool, sizeof *g_state, NX_POOL_TAG);
    if (!g_state)
        return STATUS_INSUFFICIENT_RESOURCES;
    RtlZeroMemory(g_state, sizeof *g_state);
    g_state->world = ExAllocatePoolWithTag(NonPagedPool, sizeof *g_state->world, NX_POOL_TAG);
    if (!g_state->world) {
        ExFreePoolWithTag(g_state, NX_POOL_TAG);
        g_state = NULL;
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    ExInitializeFastMutex(&g_state->lock);
    SimWorldInit(g_state->world);
    SimRuntimeInit(&g_state->runtime);
    LARGE_INTEGER now;
    KeQuerySystemTime(&now);
    g_state->runtime.lastTime = (uint64_t)now.QuadPart;
    /* A miniport reads its parameters when it loads; the first adapter
     * name is the one 2000/XP opens it by. */
    Lock();
    Refresh();
    if (g_state->world->adapterNames[0])
        StartAdapter(g_state->world->adapterNames);
    Unlock();
    return STATUS_SUCCESS;
}

void NxWorldStop(void) {
    if (!g_state)
        return;
    if (g_state->key)
        ZwClose(g_state->key);
    ExFreePoolWithTag(g_state->world, NX_POOL_TAG);
    ExFreePoolWithTag(g_state, NX_POOL_TAG);
    g_state = NULL;
}

BOOLEAN NxWorldHasAdapterName(const char* name, size_t length) {
    Lock();
    Refresh();
    BOOLEAN found =
        !g_state->world->unplugged && SimWorldHasAdapterName(g_state->world, name, length) != 0;
    Unlock();
    return found;
}

BOOLEAN NxWorldAdapterPresent(void) {
    Lock();
    BOOLEAN present = g_state->loaded && !g_state->world->unplugged;
    Unlock();
    return present;
}

BOOLEAN NxWorldBindingOpened(const char* name, uint32_t* epoch) {
    Lock();
    Refresh();
    SimWorldModel* world = g_state->world;
    if (world->unplugged || !SimWorldHasAdapterName(world, name, strlen(name))) {
        Unlock();
        return FALSE;
    }
    if (g_state->bindingEpoch != world->removals) {
        /* Removed since: the bindings of before are gone with it. */
        g_state->bindingEpoch = world->removals;
        g_state->liveBindings = 0;
    }
    if (g_state->liveBindings++ == 0)
        StartAdapter(name);
    *epoch = world->removals;
    Unlock();
    return TRUE;
}

void NxWorldBindingClosed(uint32_t epoch) {
    Lock();
    if (epoch == g_state->bindingEpoch && g_state->liveBindings > 0)
        --g_state->liveBindings;
    Unlock();
}

BOOLEAN NxWorldBindingAlive(uint32_t epoch) {
    Lock();
    Refresh();
    BOOLEAN alive = SimBindingAlive(g_state->world, epoch) != 0;
    Unlock();
    return alive;
}

void NxWorldAnswer(NdisRequestRecord* record, BOOLEAN privateRequest, SimHandleState* handle,
                   const SimSetData* setData, uint32_t epoch) {
    LARGE_INTEGER now;
    KeQuerySystemTime(&now);
    Lock();
    Refresh();
    if (!privateRequest && !SimBindingAlive(g_state->world, epoch)) {
        Unlock();
        record->status = NX_SIM_STATUS_ADAPTER_REMOVED;
        record->bytesWritten = 0;
        record->bytesNeeded = 0;
        return;
    }
    if (!privateRequest)
        ++g_state->runtime.requestCount;
    SimAdvanceTraffic(&g_state->runtime, g_state->world, (uint64_t)now.QuadPart);
    SimAnswerRequest(g_state->world, &g_state->runtime, handle, record, privateRequest, setData);
    Unlock();
}
