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
