// nxbench: what the library costs on top of the bare device I/O, measured on
// one adapter handle against the stand-in driver.
//   nxbench [iterations]
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "adapter/AdapterRecords.h"
#include "agent/W32N.h"
#include "sim/SimControl.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One request record through DeviceIoControl, waited for as the library does.
bool BareRequest(HANDLE h, NdisRequestRecord* r, OVERLAPPED* ov) {
    ResetEvent(ov->hEvent);
    r->status = NX_STATUS_FAILURE;
    DWORD got = 0;
    if (!DeviceIoControl(h, NX_IOCTL_NDIS_REQUEST, r, sizeof *r, r, sizeof *r, &got, ov)) {
        if (GetLastError() != ERROR_IO_PENDING || !GetOverlappedResult(h, ov, &got, TRUE))
            return false;
    }
    if (r->status == 0 && r->bytesWritten <= r->bufferLength)
        memcpy(reinterpret_cast<void*>(static_cast<uintptr_t>(r->buffer)), r->data,
               r->bytesWritten);
    return r->status == 0;
}

bool BareIo(HANDLE h, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
            OVERLAPPED* ov) {
    ResetEvent(ov->hEvent);
    DWORD got = 0;
    if (DeviceIoControl(h, code, in, inSize, out, outSize, &got, ov))
        return true;
    return GetLastError() == ERROR_IO_PENDING && GetOverlappedResult(h, ov, &got, TRUE);
}

} // namespace

int main(int argc, char** argv) {
    int n = argc > 1 ? atoi(argv[1]) : 2000;
    if (n <= 0)
        n = 2000;
    const char name[] = "\\Device\\" NX_SIM_NET_CFG_INSTANCE_ID;
    if (!SimInstallAdapter() || !SimSetAdapterNames({name})) {
        fprintf(stderr, "nxbench: cannot install the simulated adapter\n");
        return 1;
    }
    HANDLE adapter = W32N_OpenAdapterA(name);
    if (adapter == INVALID_HANDLE_VALUE || adapter == nullptr) {
        fprintf(stderr, "nxbench: cannot open %s (error %d)\n", name, W32N_GetLastError());
        return 1;
    }
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    OVERLAPPED ov;
    ZeroMemory(&ov, sizeof ov);
    ov.hEvent = event;

    AdapterStatusSnapshot snapshot;
    NdisRequestRecord r;
    ZeroMemory(&r, sizeof r);
    r.requestType = NX_REQUEST_QUERY_INFORMATION;
    r.oid = NX_OID_ADAPTER_STATUS;
    r.buffer = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&snapshot));
    r.bufferLength = sizeof snapshot;

    // Library and bare loops alternate in rounds; the best round of each is
    // reported, so a burst of load on the machine does not favour either.
    const int rounds = 5;
    const int perRound = n / rounds > 0 ? n / rounds : 1;
    int failures = 0;
    double library = 1e9, bare = 1e9;
    for (int round = 0; round < rounds; ++round) {
        double t0 = Now();
        for (int i = 0; i < perRound; ++i)
            failures += W32N_MakeNdisRequest(adapter, &r, &ov, 1) != 0;
        library = std::min(library, (Now() - t0) / perRound);
        t0 = Now();
        for (int i = 0; i < perRound; ++i)
            failures += !BareRequest(adapter, &r, &ov);
        bare = std::min(bare, (Now() - t0) / perRound);
    }
    printf("status query (OID 0x%08X, %u bytes), best of %d rounds of %d:\n", NX_OID_ADAPTER_STATUS,
           static_cast<unsigned>(sizeof snapshot), rounds, perRound);
    printf("  W32N_MakeNdisRequest  %8.2f us\n", library * 1e6);
    printf("  bare DeviceIoControl  %8.2f us\n", bare * 1e6);
    printf("  ratio                 %8.3f\n", library / bare);

    const DWORD frame = 1514;
    std::vector<uint8_t> data(frame, 0x5A);
    std::vector<uint8_t> packet(sizeof(PacketHeader) + 2048);
    auto* header = reinterpret_cast<PacketHeader*>(packet.data());
    DWORD packetSize = static_cast<DWORD>(packet.size());
    double libraryLoop = 1e9, bareLoop = 1e9; // seconds per send + read
    for (int round = 0; round < rounds; ++round) {
        double t0 = Now();
        for (int i = 0; i < perRound; ++i) {
            DWORD got = 0;
            ResetEvent(event);
            if (!W32N_PacketSend(adapter, data.data(), frame, &got, &ov) &&
                (W32N_GetLastError() != ERROR_IO_PENDING ||
                 !GetOverlappedResult(adapter, &ov, &got, TRUE)))
                ++failures;
            header->dataLength = 2048;
            ResetEvent(event);
            failures += W32N_PacketRead(adapter, packet.data(), &got, &ov, TRUE) != 0;
        }
        libraryLoop = std::min(libraryLoop, (Now() - t0) / perRound);
        t0 = Now();
        for (int i = 0; i < perRound; ++i) {
            failures += !BareIo(adapter, NX_IOCTL_SEND_PACKET, data.data(), frame, nullptr, 0, &ov);
            header->dataLength = 2048;
            header->status = NX_PACKET_PENDING;
            failures += !BareIo(adapter, NX_IOCTL_READ_PACKET, packet.data(), packetSize,
                                packet.data(), packetSize, &ov);
        }
        bareLoop = std::min(bareLoop, (Now() - t0) / perRound);
    }
    printf("packet loopback, %u-byte packets (send + read), best of %d rounds of %d:\n",
           static_cast<unsigned>(frame), rounds, perRound);
    printf("  packet exports        %10.0f packets/s  %7.2f MB/s\n", 1 / libraryLoop,
           frame / libraryLoop / 1e6);
    printf("  bare DeviceIoControl  %10.0f packets/s  %7.2f MB/s\n", 1 / bareLoop,
           frame / bareLoop / 1e6);
    printf("  ratio (time)          %10.3f\n", libraryLoop / bareLoop);
    printf("failures: %d\n", failures);

    W32N_CloseAdapter(adapter);
    CloseHandle(event);
    return failures == 0 ? 0 : 2;
}
