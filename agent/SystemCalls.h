// The few system calls whose behaviour differs between the NT and the 95
// family (the VxD is opened, the 95-family driver writes the caller's buffer
// and reports status in OVERLAPPED.Offset, completion routines are carried
// differently). They go through one replaceable table so the 95-family
// branches can be exercised in-process where no VxD can be loaded.
#pragma once

#include <windows.h>

struct AgentSystemCalls {
    BOOL(WINAPI* getVersionEx)(OSVERSIONINFOA* info);
    HANDLE(WINAPI* createFile)
    (LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
     DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* closeHandle)(HANDLE handle);
    BOOL(WINAPI* deviceIoControl)
    (HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
     LPDWORD returned, LPOVERLAPPED overlapped);
    BOOL(WINAPI* getOverlappedResult)
    (HANDLE handle, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait);
    BOOL(WINAPI* readFileEx)
    (HANDLE file, LPVOID buffer, DWORD size, LPOVERLAPPED overlapped,
     LPOVERLAPPED_COMPLETION_ROUTINE completion);
    BOOL(WINAPI* writeFileEx)
    (HANDLE file, LPCVOID buffer, DWORD size, LPOVERLAPPED overlapped,
     LPOVERLAPPED_COMPLETION_ROUTINE completion);
};

// The table in use (the system's own functions unless replaced).
const AgentSystemCalls& Sys();

// The system's own functions.
AgentSystemCalls RealSystemCalls();

// Installs `calls` and returns the table it replaced.
AgentSystemCalls ReplaceSystemCalls(const AgentSystemCalls& calls);
