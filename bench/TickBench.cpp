// tickbench: what one tray tick costs. Times the adapter access object's
// status refresh plus every text derived from the snapshot against a bare
// DeviceIoControl of the same 556-byte request on the same adapter handle,
// and prints both and their ratio. Needs the stand-in driver (NXPROTO.SYS)
// beside the program; installs the simulated adapter itself.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "adapter/AdapterAccess.h"
#include "adapter/StatusText.h"
#include "sim/SimControl.h"

namespace {

const int kRounds = 20;
const int kTicksPerRound = 100;

double Now() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The agent library reads adapter records as Windows 2000/XP keeps them:
// run again as Windows XP (Wine picks the version per program name).
int RerunAsWindowsXp() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\tickbench.exe", 0, nullptr,
                        0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 2;
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("winxp"), 6);
    RegCloseKey(key);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(self, nullptr, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return 2;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 2;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

// Everything a tick and the Status and Statistics pages derive; the sum of
// the lengths keeps the compiler from dropping the work.
size_t DeriveTexts(const AdapterStatusSnapshot& s) {
    size_t n = 0;
    n += FormatSignalQuality(s.signalLevel).GetLength();
    n += FormatChannelFrequency(s.channel).GetLength();
    n += FormatRate(s.txRateMbps).GetLength() + FormatRate(s.rxRateMbps).GetLength();
    n += FormatAccessPointAddress(s.bssid).GetLength();
    n += strlen(NetworkModeText(s.networkMode)) + strlen(EncryptionText(s.wepEnabled));
    n += strlen(ConnectionLabel(s.disconnected)) + SnapshotSsid(s).GetLength();
    n += TransmitErrorSum(s) + ReceiveErrorSum(s);
    return n;
}

// The status request as the library sends it, without the library.
bool BareRequest(HANDLE device, HANDLE event, AdapterStatusSnapshot* out) {
    NdisRequestRecord request;
    memset(&request, 0, sizeof request);
    request.status = NX_STATUS_FAILURE;
    request.requestType = NX_REQUEST_QUERY_INFORMATION;
    request.oid = NX_OID_ADAPTER_STATUS;
    request.buffer = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(out));
    request.bufferLength = sizeof *out;
    OVERLAPPED ov = {};
    ov.hEvent = event;
    ResetEvent(event);
    DWORD got = 0;
    BOOL ok = DeviceIoControl(device, NX_IOCTL_NDIS_REQUEST, &request, sizeof request, &request,
                              sizeof request, &got, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING)
        ok = GetOverlappedResult(device, &ov, &got, TRUE);
    if (!ok || request.status != NX_STATUS_SUCCESS)
        return false;
    memcpy(out, request.data, sizeof *out); // what the library's copy-back does
    return true;
}

} // namespace

int main() {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExA(&v);
    if (v.dwMajorVersion != 5)
        return RerunAsWindowsXp();

    if (!SimInstallAdapter()) {
        fprintf(stderr, "tickbench: simulated installation failed\n");
        return 1;
    }
    AdapterAccess& access = GetAdapterAccess();
    if (!access.Open(NX_SIM_ADAPTER_DESCRIPTION)) {
        fprintf(stderr, "tickbench: adapter did not open\n");
        return 1;
    }

    size_t sink = 0;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    AdapterStatusSnapshot bare;
    int failed = 0, bareFailed = 0;
    double tickTotal = 0, bareTotal = 0;
    // Alternating rounds, so that drift in the machine's load hits both alike.
    for (int round = -1; round < kRounds; ++round) {
        double t0 = Now();
        for (int i = 0; i < kTicksPerRound; ++i) {
            if (!access.RefreshStatus())
                ++failed;
            sink += DeriveTexts(access.Snapshot());
        }
        double t1 = Now();
        for (int i = 0; i < kTicksPerRound; ++i) {
            if (!BareRequest(access.Handle(), event, &bare))
                ++bareFailed;
            sink += bare.channel;
        }
        double t2 = Now();
        if (round >= 0) { // round -1 warms up
            tickTotal += t1 - t0;
            bareTotal += t2 - t1;
        }
    }
    CloseHandle(event);
    const int kTicks = kRounds * kTicksPerRound;
    double tickSeconds = tickTotal / kTicks, bareSeconds = bareTotal / kTicks;

    printf("ticks: %d (failed %d), bare requests: %d (failed %d)\n", kTicks, failed, kTicks,
           bareFailed);
    printf("tick (RefreshStatus + derived texts): %.1f us\n", tickSeconds * 1e6);
    printf("bare DeviceIoControl of the same record: %.1f us\n", bareSeconds * 1e6);
    // The derived texts alone, from the last snapshot.
    const int kTextRuns = 100000;
    double t3 = Now();
    for (int i = 0; i < kTextRuns; ++i)
        sink += DeriveTexts(access.Snapshot());
    double textSeconds = (Now() - t3) / kTextRuns;
    printf("derived texts alone: %.2f us\n", textSeconds * 1e6);
    printf("ratio tick / bare: %.2f\n", bareSeconds > 0 ? tickSeconds / bareSeconds : 0.0);
    access.Close();
    printf("(checksum %u)\n", static_cast<unsigned>(sink));
    return failed || bareFailed ? 1 : 0;
}
