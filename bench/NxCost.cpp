// nxcost: the library's own cost per request, in-process. The library is
// linked in whole with its system-call table's device I/O replaced by a call
// that answers at once, as a driver would with its record filled; so no
// driver round trip is in the figures. The library's own code is timed with
// the event reset replaced too (both instant calls measured apart and taken
// away); the real reset, the one system call the library makes per request
// besides the device I/O, is timed on its own.
//   nxcost [calls per round]
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "adapter/AdapterRecords.h"
#include "agent/Library.h"
#include "agent/SystemCalls.h"
#include "agent/W32N.h"
#include "bench/BenchSupport.h"
#include "bench/Quartiles.h"

namespace {

const int kRounds = 21;
HANDLE const kAdapter = reinterpret_cast<HANDLE>(0x4D00);

BOOL WINAPI AsWindowsXp(OSVERSIONINFOA* v) {
    v->dwPlatformId = VER_PLATFORM_WIN32_NT;
    v->dwMajorVersion = 5;
    v->dwMinorVersion = 1;
    return TRUE;
}

// The driver's answer, given at once: a successful query with the record's
// whole buffer written.
BOOL WINAPI AnswerAtOnce(HANDLE, DWORD, LPVOID in, DWORD, LPVOID, DWORD outSize, LPDWORD returned,
                         LPOVERLAPPED) {
    auto* r = static_cast<NdisRequestRecord*>(in);
    r->status = NX_STATUS_SUCCESS;
    r->bytesWritten = r->bufferLength;
    *returned = outSize;
    return TRUE;
}

BOOL WINAPI ResetAtOnce(HANDLE) {
    return TRUE;
}

// Runs `call` `n` times per round in rounds; nanoseconds per call, per round.
template <typename Call> std::vector<double> Rounds(int n, Call call) {
    std::vector<double> perCall;
    for (int round = -1; round < kRounds; ++round) {
        double t0 = Now();
        for (int i = 0; i < n; ++i)
            call();
        double t = (Now() - t0) / n * 1e9;
        if (round >= 0) // round -1 warms up
            perCall.push_back(t);
    }
    return perCall;
}

void Line(const char* what, const Quartiles& q) {
    printf("  %-46s %8.1f ns  (quartiles %.1f .. %.1f)\n", what, q.median, q.q1, q.q3);
}

} // namespace

int main(int argc, char** argv) {
    int n = argc > 1 ? atoi(argv[1]) : 20000;
    if (n <= 0)
        n = 20000;
    AgentSystemCalls calls = RealSystemCalls();
    calls.getVersionEx = AsWindowsXp;
    calls.deviceIoControl = AnswerAtOnce;
    ReplaceSystemCalls(calls);
    ForgetPlatformAnswers();

    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    OVERLAPPED ov;
    ZeroMemory(&ov, sizeof ov);
    ov.hEvent = event;
    AdapterStatusSnapshot snapshot;
    NdisRequestRecord r = StatusQueryRecord(&snapshot);

    int failures = 0;
    AgentSystemCalls instantReset = calls;
    instantReset.resetEvent = ResetAtOnce;
    std::vector<double> whole, code, instantIo, instantEvent, reset;
    // In turns, round by round, so that drift in the machine's load hits
    // them alike.
    for (int block = 0; block < 3; ++block) {
        std::vector<double> a = Rounds(n, [&] {
            failures += W32N_MakeNdisRequest(kAdapter, &r, &ov, 1) != NX_STATUS_SUCCESS;
        });
        ReplaceSystemCalls(instantReset);
        std::vector<double> b = Rounds(n, [&] {
            failures += W32N_MakeNdisRequest(kAdapter, &r, &ov, 1) != NX_STATUS_SUCCESS;
        });
        std::vector<double> c = Rounds(n, [&] {
            DWORD got = 0;
            Sys().deviceIoControl(kAdapter, NX_IOCTL_NDIS_REQUEST, &r, sizeof r, &r, sizeof r, &got,
                                  &ov);
        });
        std::vector<double> d = Rounds(n, [&] { Sys().resetEvent(event); });
        ReplaceSystemCalls(calls);
        std::vector<double> e = Rounds(n, [&] { failures += !ResetEvent(event); });
        whole.insert(whole.end(), a.begin(), a.end());
        code.insert(code.end(), b.begin(), b.end());
        instantIo.insert(instantIo.end(), c.begin(), c.end());
        instantEvent.insert(instantEvent.end(), d.begin(), d.end());
        reset.insert(reset.end(), e.begin(), e.end());
    }
    Quartiles w = QuartilesOf(whole), k = QuartilesOf(code), i = QuartilesOf(instantIo),
              v = QuartilesOf(instantEvent), e = QuartilesOf(reset);
    printf("status query through the system-call seam, device I/O that completes at once "
           "(%d rounds of %d calls):\n",
           3 * kRounds, n);
    Line("W32N_MakeNdisRequest, with the real ResetEvent", w);
    Line("W32N_MakeNdisRequest, with an instant ResetEvent", k);
    Line("the instant device I/O call alone", i);
    Line("the instant ResetEvent alone", v);
    Line("the real ResetEvent alone", e);
    printf("  %-46s %8.1f ns per request\n", "library's own code (no system call)",
           k.median - i.median - v.median);
    printf("  %-46s %8.1f ns per request\n", "library's own cost with its ResetEvent",
           w.median - i.median);
    printf("failures: %d\n", failures);
    CloseHandle(event);
    return failures == 0 ? 0 : 2;
}
