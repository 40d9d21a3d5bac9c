// Looking at and arranging the protocol driver's service from a test,
// through the real service control manager.
#pragma once

#include <windows.h>

#include <string>

bool ServiceExists(const char* name);
bool ServiceRunning(const char* name);
// The registered driver path ("" when the service does not exist).
std::string ServiceBinaryPath(const char* name);
std::string ServiceDisplayName(const char* name);
// Type, start type and error control as registered; false when there is no service.
bool ServiceKinds(const char* name, DWORD& type, DWORD& start, DWORD& errorControl);
// Stops and deletes the service if it exists; true when it is gone.
bool RemoveServiceNow(const char* name);
// Registers a demand-start kernel driver service with `path`.
bool RegisterService(const char* name, const char* path);
bool SetServiceDisabled(const char* name, bool disabled);

// Short form of the folder this test program is in, ending in a backslash.
std::string ShortExeFolder();

// Runs `commandLine` (a program in this test program's folder plus its
// arguments) and returns the process handle, or null. With `thread` the
// process is created suspended and its main thread handed back to resume.
HANDLE StartHelper(const std::string& commandLine, HANDLE* thread = nullptr);
