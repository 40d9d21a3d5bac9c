// What the parts of NXLIB32 share inside the library (not exported).
#pragma once

#include <windows.h>

#include "SystemCalls.h"
#include "UserCountBlock.h"

// The error word. SetErrorWord stores `value` and hands back the previous one.
int SetErrorWord(int value);
// Stores the calling thread's last system error and returns it.
DWORD StoreSystemError();
// The error word as it stands, left in place.
int PeekErrorWord();

// Forgets the cached family answers (a test switches families in-process).
void ForgetPlatformAnswers();

// Process attach and detach: the user count in the shared block and driver
// removal by the last one out. DllMain only forwards here.
bool LibraryAttach(HINSTANCE module);
void LibraryDetach();
HMODULE LibraryModule();

// The shared block, or null when the library is not attached (linked
// statically into a test). UseUserCountBlock replaces it and returns the
// previous one, so a test can watch what a close decides.
UserCountBlock* SharedBlock();
UserCountBlock* UseUserCountBlock(UserCountBlock* block);

// The protocol driver.
const char* ProtocolDriverName();
HANDLE OpenProtocolDriver(bool installAllowed);
bool RemoveProtocolDriver();

// RAII holders.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE h = nullptr) : h_(h) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    void reset(HANDLE h = nullptr);

private:
    HANDLE h_;
};

class ScopedServiceHandle {
public:
    explicit ScopedServiceHandle(SC_HANDLE h = nullptr) : h_(h) {}
    ~ScopedServiceHandle() {
        if (h_)
            Sys().closeServiceHandle(h_);
    }
    ScopedServiceHandle(const ScopedServiceHandle&) = delete;
    ScopedServiceHandle& operator=(const ScopedServiceHandle&) = delete;
    SC_HANDLE get() const { return h_; }

private:
    SC_HANDLE h_;
};

class ScopedRegKey {
public:
    ScopedRegKey() = default;
    ~ScopedRegKey() {
        if (h_)
            RegCloseKey(h_);
    }
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;
    HKEY get() const { return h_; }
    HKEY* out() { return &h_; }

private:
    HKEY h_ = nullptr;
};
