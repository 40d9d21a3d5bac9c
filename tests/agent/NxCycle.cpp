// Loads and unloads NXLIB32 again and again, using it each time as a
// program would, for the endurance tests:
//   nxcycle <cycles> <adapter name>
// Each cycle loads the library, opens the adapter, makes a status request,
// sends a packet and reads one back, leaves a read pending and cancels it,
// closes the adapter and unloads the library. Exits 0 when every step of
// every cycle worked, else with the number of the failing step.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "adapter/AdapterRecords.h"
#include "agent/NdisProtocol.h"

namespace {

typedef HANDLE(WINAPI* OpenFn)(const char*);
typedef BOOL(WINAPI* CloseFn)(HANDLE);
typedef DWORD(WINAPI* RequestFn)(HANDLE, NdisRequestRecord*, OVERLAPPED*, UINT);
typedef DWORD(WINAPI* ReadFn)(HANDLE, void*, DWORD*, OVERLAPPED*, BOOL);
typedef DWORD(WINAPI* CancelFn)(HANDLE, void*);
typedef BOOL(WINAPI* SendFn)(HANDLE, const void*, DWORD, DWORD*, OVERLAPPED*);

// An export of the library as the function type it has.
template <typename Fn> Fn Export(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

struct Packet {
    PacketHeader header;
    uint8_t data[1514];
};

int Cycle(const char* adapterName) {
    HMODULE library = LoadLibraryA("NXLIB32.dll");
    if (!library)
        return 10;
    auto open = Export<OpenFn>(library, "W32N_OpenAdapterA");
    auto close = Export<CloseFn>(library, "W32N_CloseAdapter");
    auto request = Export<RequestFn>(library, "W32N_MakeNdisRequest");
    auto read = Export<ReadFn>(library, "W32N_PacketRead");
    auto cancel = Export<CancelFn>(library, "W32N_CancelPacketRead");
    auto send = Export<SendFn>(library, "W32N_PacketSend");
    int failed = 0;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE adapter = INVALID_HANDLE_VALUE;
    if (!open || !close || !request || !read || !cancel || !send || !event) {
        failed = 11;
    } else if ((adapter = open(adapterName)) == INVALID_HANDLE_VALUE || adapter == nullptr) {
        failed = 12;
    } else {
        OVERLAPPED ov = {};
        ov.hEvent = event;
        AdapterStatusSnapshot snapshot;
        NdisRequestRecord r = {};
        r.requestType = NX_REQUEST_QUERY_INFORMATION;
        r.oid = NX_OID_ADAPTER_STATUS;
        r.buffer = NxAddressOf(&snapshot);
        r.bufferLength = sizeof snapshot;
        static Packet packet;
        uint8_t frame[64];
        memset(frame, 0x5A, sizeof frame);
        DWORD got = 0;
        if (request(adapter, &r, &ov, 1) != 0) {
            failed = 13;
        } else if (!send(adapter, frame, sizeof frame, &got, &ov) &&
                   (GetLastError() != ERROR_IO_PENDING ||
                    !GetOverlappedResult(adapter, &ov, &got, TRUE))) {
            failed = 14;
        } else {
            packet.header.dataLength = sizeof packet.data;
            ResetEvent(event);
            if (read(adapter, &packet, &got, &ov, TRUE) != 0) {
                failed = 15;
            } else {
                // Left pending (unless another process's packet is queued
                // already), then cancelled with a header-only packet; either
                // way it ends before the close.
                packet.header.dataLength = sizeof packet.data;
                ResetEvent(event);
                read(adapter, &packet, &got, &ov, FALSE);
                PacketHeader header = {};
                if (cancel(adapter, &header) != 0)
                    failed = 16;
                GetOverlappedResult(adapter, &ov, &got, TRUE);
            }
        }
        if (!close(adapter) && !failed)
            failed = 17;
    }
    if (event)
        CloseHandle(event);
    if (!FreeLibrary(library) && !failed)
        failed = 18;
    return failed;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    int cycles = atoi(argv[1]);
    for (int i = 0; i < cycles; ++i) {
        int failed = Cycle(argv[2]);
        if (failed)
            return failed;
    }
    return 0;
}
