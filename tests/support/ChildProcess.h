// Starting and awaiting other programs from a test: wavedesk.exe in a Wine
// desktop, wdctl.exe, nxsim.exe.
#pragma once

#include <windows.h>

#include <string>

// Starts `commandLine`, on `desktop` when given, its output (and only that)
// into `output` when given; the process handle, or null.
HANDLE StartProcess(const std::string& commandLine, const char* desktop = nullptr,
                    HANDLE output = nullptr);

// Exit code of a finished process; STILL_ACTIVE when it did not end in `ms`.
DWORD FinishProcess(HANDLE process, DWORD ms);

// Runs `commandLine` and waits at most `ms` for it: its exit code
// (STILL_ACTIVE when it did not end in time) and, when `printed` is given,
// everything it printed; 98 or 99 when it could not be started.
DWORD RunProcessPrinting(const std::string& commandLine, std::string* printed, DWORD ms);
