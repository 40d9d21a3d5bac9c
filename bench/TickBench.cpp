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
#include "bench/BenchSupport.h"
#include "sim/SimControl.h"

namespace {

const int kRounds = 20;
const int kTicksPerRound = 100;

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
        return RerunAsWindowsXp("tickbench.exe");

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
            if (!BareStatusRequest(access.Handle(), event, &bare))
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
