// The system calls of the library that a test or a benchmark must be able
// to replace in-process: those whose behaviour differs between the NT and the
// 95 family (the VxD is opened, the 95-family driver writes the caller's
// buffer and reports status in OVERLAPPED.Offset, completion routines are
// carried differently), the reset of a request's event, the shared mapping
// of the user count (so another process's attach can be interleaved with
// this one's), and the service control manager (so the removal order and a
// database lock held elsewhere can be seen). They go through one replaceable
// table; the library itself always uses the system's own functions.
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
    // The caller's event, reset before every request (the library's one
    // system call per request besides the device I/O: benchmarks time the
    // library's own code without it).
    BOOL(WINAPI* resetEvent)(HANDLE event);

    // The user-count block.
    HANDLE(WINAPI* createFileMapping)
    (HANDLE file, LPSECURITY_ATTRIBUTES sa, DWORD protect, DWORD sizeHigh, DWORD sizeLow,
     LPCSTR name);
    LPVOID(WINAPI* mapViewOfFile)
    (HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
    BOOL(WINAPI* unmapViewOfFile)(LPCVOID view);

    // The NT driver's service.
    SC_HANDLE(WINAPI* openSCManager)(LPCSTR machine, LPCSTR database, DWORD access);
    SC_HANDLE(WINAPI* openService)(SC_HANDLE scm, LPCSTR name, DWORD access);
    SC_HANDLE(WINAPI* createService)
    (SC_HANDLE scm, LPCSTR name, LPCSTR displayName, DWORD access, DWORD type, DWORD start,
     DWORD errorControl, LPCSTR path, LPCSTR group, LPDWORD tag, LPCSTR dependencies,
     LPCSTR account, LPCSTR password);
    BOOL(WINAPI* startService)(SC_HANDLE service, DWORD argc, LPCSTR* argv);
    BOOL(WINAPI* controlService)(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status);
    BOOL(WINAPI* deleteService)(SC_HANDLE service);
    SC_LOCK(WINAPI* lockServiceDatabase)(SC_HANDLE scm);
    BOOL(WINAPI* unlockServiceDatabase)(SC_LOCK lock);
    BOOL(WINAPI* closeServiceHandle)(SC_HANDLE handle);
    VOID(WINAPI* sleep)(DWORD milliseconds);
};

// The table in use (the system's own functions unless replaced).
const AgentSystemCalls& Sys();

// The system's own functions.
AgentSystemCalls RealSystemCalls();

// Installs `calls` and returns the table it replaced.
AgentSystemCalls ReplaceSystemCalls(const AgentSystemCalls& calls);
