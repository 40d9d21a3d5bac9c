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

const int kWarmUp = 50;
const int kTicks = 2000;

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
    for (int i = 0; i < kWarmUp; ++i)
        if (access.RefreshStatus())
            sink += DeriveTexts(access.Snapshot());
    int failed = 0;
    double t0 = Now();
    for (int i = 0; i < kTicks; ++i) {
        if (!access.RefreshStatus())
            ++failed;
        sink += DeriveTexts(access.Snapshot());
    }
    double tickSeconds = (Now() - t0) / kTicks;

    // The same request, sent bare on the same handle.
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    AdapterStatusSnapshot snapshot;
    int bareFailed = 0;
    double t1 = 0;
    for (int i = 0; i < kWarmUp + kTicks; ++i) {
        if (i == kWarmUp)
            t1 = Now();
        NdisRequestRecord request;
        memset(&request, 0, sizeof request);
        request.status = NX_STATUS_FAILURE;
        request.requestType = NX_REQUEST_QUERY_INFORMATION;
        request.oid = NX_OID_ADAPTER_STATUS;
        request.buffer = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&snapshot));
        request.bufferLength = sizeof snapshot;
        OVERLAPPED ov = {};
        ov.hEvent = event;
        DWORD got = 0;
        BOOL ok = DeviceIoControl(access.Handle(), NX_IOCTL_NDIS_REQUEST, &request, sizeof request,
                                  &request, sizeof request, &got, &ov);
        if (!ok && GetLastError() == ERROR_IO_PENDING)
            ok = GetOverlappedResult(access.Handle(), &ov, &got, TRUE);
        if (!ok || request.status != NX_STATUS_SUCCESS)
            ++bareFailed;
        sink += request.bytesWritten;
    }
    double bareSeconds = (Now() - t1) / kTicks;
    CloseHandle(event);
    access.Close();

    printf("ticks: %d (failed %d), bare requests: %d (failed %d)\n", kTicks, failed, kTicks,
           bareFailed);
    printf("tick (RefreshStatus + derived texts): %.1f us\n", tickSeconds * 1e6);
    printf("bare DeviceIoControl of the same record: %.1f us\n", bareSeconds * 1e6);
    printf("ratio tick / bare: %.2f\n", bareSeconds > 0 ? tickSeconds / bareSeconds : 0.0);
    printf("(checksum %u)\n", static_cast<unsigned>(sink));
    return failed || bareFailed ? 1 : 0;
}
