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
