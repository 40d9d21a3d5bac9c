// Stand-ins for the tray's tests: an adapter whose state the test sets, a
// log of what reached the shell, and a log of device-notification calls.
#pragma once

#include <windows.h>

#include <string.h>

#include <deque>
#include <string>
#include <vector>

#include "app/TrayController.h"
#include "device/DeviceApi.h"
#include "tray/ShellNotify.h"

// An adapter that opens when `present` and answers with `snapshot`.
class FakeTrayAdapter : public TrayAdapter {
public:
    FakeTrayAdapter() { memset(&snapshot, 0, sizeof snapshot); }
    bool Open(const char* filter) override {
        ++openCalls;
        lastFilter = filter ? filter : "";
        if (present)
            open = true;
        return open;
    }
    void Close() override {
        if (open)
            ++closes;
        open = false;
    }
    bool RefreshStatus() override {
        ++refreshes;
        refreshTimes.push_back(::GetTickCount());
        if (!open || !answers)
            return false;
        shown = snapshot;
        return true;
    }
    const AdapterStatusSnapshot& Snapshot() const override { return shown; }
    CString HardwareIdText() const override { return hardwareId; }

    void SetConnected(int32_t signal, const char* ssid) {
        snapshot.disconnected = 0;
        snapshot.signalLevel = signal;
        memset(snapshot.ssid, 0, sizeof snapshot.ssid);
        strncpy(snapshot.ssid, ssid, sizeof snapshot.ssid - 1);
    }

    bool present = true; // Open succeeds
    bool answers = true; // RefreshStatus succeeds while open
    bool open = false;
    int openCalls = 0;
    int closes = 0;
    int refreshes = 0;
    std::vector<DWORD> refreshTimes; // GetTickCount at each refresh
    std::string lastFilter;
    CString hardwareId = "VEN_168C&DEV_0007";
    AdapterStatusSnapshot snapshot;   // what the next refresh answers
    AdapterStatusSnapshot shown = {}; // the last answer
};

// Every Shell_NotifyIconA call while it lives; the shell itself is not
// asked. Each call is answered with `answer` (TRUE: it reached the shell).
class ShellLog {
public:
    struct Call {
        DWORD message;
        TrayIconRecord record;
    };
    ShellLog() {
        Calls().clear();
        answer = TRUE;
        previous_ = SetShellNotifyProc(&ShellLog::Record);
    }
    ~ShellLog() { SetShellNotifyProc(previous_); }
    ShellLog(const ShellLog&) = delete;
    ShellLog& operator=(const ShellLog&) = delete;

    // A deque: a test keeps references to earlier calls while later ones
    // are appended.
    static std::deque<Call>& Calls() {
        static std::deque<Call> calls;
        return calls;
    }
    static int Count(DWORD message) {
        int n = 0;
        for (const Call& c : Calls())
            n += c.message == message ? 1 : 0;
        return n;
    }
    static const Call* Last(DWORD message) {
        for (auto it = Calls().rbegin(); it != Calls().rend(); ++it) {
            if (it->message == message)
                return &*it;
        }
        return nullptr;
    }
    static void Clear() { Calls().clear(); }

    static inline BOOL answer = TRUE;

private:
    static BOOL WINAPI Record(DWORD message, TrayIconRecord* record) {
        Calls().push_back(Call{message, *record});
        return answer;
    }
    ShellNotifyProc previous_;
};

// Device-notification calls while it lives.
class NotificationLog {
public:
    NotificationLog() {
        registered = 0;
        unregistered = 0;
        lastWindow = nullptr;
        memset(&lastFilter, 0, sizeof lastFilter);
        lastFlags = 0xFFFFFFFF;
        unregisteredHandle = nullptr;
        static const DeviceNotificationApi api = {&Register, &Unregister};
        previous_ = ReplaceDeviceNotificationApi(&api);
    }
    ~NotificationLog() { ReplaceDeviceNotificationApi(previous_); }
    NotificationLog(const NotificationLog&) = delete;
    NotificationLog& operator=(const NotificationLog&) = delete;

    static HDEVNOTIFY Handle() { return reinterpret_cast<HDEVNOTIFY>(0x5150); }

    static inline int registered = 0;
    static inline int unregistered = 0;
    static inline HANDLE lastWindow = nullptr;
    static inline DEV_BROADCAST_DEVICEINTERFACE_A lastFilter = {};
    static inline DWORD lastFlags = 0;
    static inline HDEVNOTIFY unregisteredHandle = nullptr;

private:
    static HDEVNOTIFY WINAPI Register(HANDLE recipient, LPVOID filter, DWORD flags) {
        ++registered;
        lastWindow = recipient;
        memcpy(&lastFilter, filter, sizeof lastFilter);
        lastFlags = flags;
        return Handle();
    }
    static BOOL WINAPI Unregister(HDEVNOTIFY handle) {
        ++unregistered;
        unregisteredHandle = handle;
        return TRUE;
    }
    const DeviceNotificationApi* previous_;
};
