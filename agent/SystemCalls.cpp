#include "SystemCalls.h"

namespace {

AgentSystemCalls g_calls = RealSystemCalls();

} // namespace

AgentSystemCalls RealSystemCalls() {
    AgentSystemCalls c;
    c.getVersionEx = GetVersionExA;
    c.createFile = CreateFileA;
    c.closeHandle = CloseHandle;
    c.deviceIoControl = DeviceIoControl;
    c.getOverlappedResult = GetOverlappedResult;
    c.readFileEx = ReadFileEx;
    c.writeFileEx = WriteFileEx;
    c.resetEvent = ResetEvent;
    c.createFileMapping = CreateFileMappingA;
    c.mapViewOfFile = MapViewOfFile;
    c.unmapViewOfFile = UnmapViewOfFile;
    c.openSCManager = OpenSCManagerA;
    c.openService = OpenServiceA;
    c.createService = CreateServiceA;
    c.startService = StartServiceA;
    c.controlService = ControlService;
    c.deleteService = DeleteService;
    c.lockServiceDatabase = LockServiceDatabase;
    c.unlockServiceDatabase = UnlockServiceDatabase;
    c.closeServiceHandle = CloseServiceHandle;
    c.sleep = Sleep;
    return c;
}

const AgentSystemCalls& Sys() {
    return g_calls;
}

AgentSystemCalls ReplaceSystemCalls(const AgentSystemCalls& calls) {
    AgentSystemCalls previous = g_calls;
    g_calls = calls;
    return previous;
}
