// nxbench: what the library adds to a bare request on one adapter handle
// against the stand-in driver, measured as interleaved pairs: a library call
// and a bare call of the same record one right after the other (in turns
// first and second), many times. Each pair gives a ratio; the median ratio
// and its interquartile range hold still on a loaded machine, where the
// totals of long loops swing with whatever else runs.
//   nxbench [pairs]
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "adapter/AdapterRecords.h"
#include "agent/W32N.h"
#include "bench/BenchSupport.h"
#include "bench/Quartiles.h"
#include "sim/SimControl.h"

namespace {

// One request record through DeviceIoControl, as the library sends it and
// waits for it, with the same bounded copy-back.
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

// Times `library` and `bare` as interleaved pairs; ratios and times per call.
template <typename Library, typename Bare>
void Pairs(int pairs, Library library, Bare bare, std::vector<double>& ratios,
           std::vector<double>& libraryTimes, std::vector<double>& bareTimes) {
    for (int i = 0; i < 20; ++i) { // warm up both paths
        library();
        bare();
    }
    for (int i = 0; i < pairs; ++i) {
        double tLibrary, tBare;
        if (i % 2 == 0) {
            double t0 = Now();
            library();
            double t1 = Now();
            bare();
            double t2 = Now();
            tLibrary = t1 - t0;
            tBare = t2 - t1;
        } else {
            double t0 = Now();
            bare();
            double t1 = Now();
            library();
            double t2 = Now();
            tBare = t1 - t0;
            tLibrary = t2 - t1;
        }
        if (tBare <= 0 || tLibrary <= 0)
            continue; // below the timer's resolution
        ratios.push_back(tLibrary / tBare);
        libraryTimes.push_back(tLibrary);
        bareTimes.push_back(tBare);
    }
}

void Report(const char* what, const char* libraryName, const std::vector<double>& ratios,
            const std::vector<double>& libraryTimes, const std::vector<double>& bareTimes) {
    Quartiles r = QuartilesOf(ratios), l = QuartilesOf(libraryTimes), b = QuartilesOf(bareTimes);
    printf("%s, %u interleaved pairs:\n", what, static_cast<unsigned>(ratios.size()));
    printf("  %-22s median %8.2f us  (quartiles %.2f .. %.2f)\n", libraryName, l.median * 1e6,
           l.q1 * 1e6, l.q3 * 1e6);
    printf("  %-22s median %8.2f us  (quartiles %.2f .. %.2f)\n", "bare DeviceIoControl",
           b.median * 1e6, b.q1 * 1e6, b.q3 * 1e6);
    printf("  ratio library / bare  median %8.3f   interquartile range %.3f .. %.3f\n", r.median,
           r.q1, r.q3);
}

} // namespace

int main(int argc, char** argv) {
    int pairs = argc > 1 ? atoi(argv[1]) : 2000;
    if (pairs <= 0)
        pairs = 2000;
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
    int failures = 0;

    AdapterStatusSnapshot snapshot;
    NdisRequestRecord r = StatusQueryRecord(&snapshot);
    std::vector<double> ratios, libraryTimes, bareTimes;
    Pairs(
        pairs, [&] { failures += W32N_MakeNdisRequest(adapter, &r, &ov, 1) != 0; },
        [&] { failures += !BareRequest(adapter, &r, &ov); }, ratios, libraryTimes, bareTimes);
    char what[96];
    snprintf(what, sizeof what, "status query (OID 0x%08X, %u bytes)", NX_OID_ADAPTER_STATUS,
             static_cast<unsigned>(sizeof snapshot));
    Report(what, "W32N_MakeNdisRequest", ratios, libraryTimes, bareTimes);

    const DWORD frame = 1514;
    std::vector<uint8_t> data(frame, 0x5A);
    std::vector<uint8_t> packet(sizeof(PacketHeader) + 2048);
    auto* header = reinterpret_cast<PacketHeader*>(packet.data());
    DWORD packetSize = static_cast<DWORD>(packet.size());
    ratios.clear();
    libraryTimes.clear();
    bareTimes.clear();
    Pairs(
        pairs / 2,
        [&] {
            DWORD got = 0;
            ResetEvent(event);
            if (!W32N_PacketSend(adapter, data.data(), frame, &got, &ov) &&
                (W32N_GetLastError() != ERROR_IO_PENDING ||
                 !GetOverlappedResult(adapter, &ov, &got, TRUE)))
                ++failures;
            header->dataLength = 2048;
            ResetEvent(event);
            failures += W32N_PacketRead(adapter, packet.data(), &got, &ov, TRUE) != 0;
        },
        [&] {
            failures += !BareIo(adapter, NX_IOCTL_SEND_PACKET, data.data(), frame, nullptr, 0, &ov);
            header->dataLength = 2048;
            header->status = NX_PACKET_PENDING;
            failures += !BareIo(adapter, NX_IOCTL_READ_PACKET, packet.data(), packetSize,
                                packet.data(), packetSize, &ov);
        },
        ratios, libraryTimes, bareTimes);
    snprintf(what, sizeof what, "packet loopback (send and read of %u bytes)",
             static_cast<unsigned>(frame));
    Report(what, "packet exports", ratios, libraryTimes, bareTimes);
    printf("failures: %d\n", failures);

    W32N_CloseAdapter(adapter);
    CloseHandle(event);
    return failures == 0 ? 0 : 2;
}
