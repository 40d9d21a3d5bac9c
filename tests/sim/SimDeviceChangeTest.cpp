// Removal and arrival of the simulated adapter as windows hear them: the
// system's own notification of the stand-in's NDIS LAN device interface (to
// windows registered for the class with RegisterDeviceNotificationA), and
// the broadcast of nxsim unplug / plug (to every top-level window).
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/SimControl.h"
#include "tests/driver/DriverSession.h"

namespace {

const GUID kNdisLanClass = {
    0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};

// One WM_DEVICECHANGE as a window received it.
struct Heard {
    WPARAM code = 0;
    DWORD type = 0;
    bool lanClass = false;
    bool wide = false; // the record's name in UTF-16 (the ...W form)
    std::string name;  // narrowed either way
};

// A hidden top-level window that keeps what WM_DEVICECHANGE brings.
class Listener {
public:
    explicit Listener(bool registerForLan) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SimDeviceChangeListener";
        RegisterClassA(&wc); // fails harmlessly for the second listener
        window_ = CreateWindowA(wc.lpszClassName, "listener", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                                nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        if (!registerForLan)
            return;
        // As the utility registers: looked up at run time, the 32-byte filter.
        user32_ = LoadLibraryA("user32.dll");
        auto reg = reinterpret_cast<HDEVNOTIFY(WINAPI*)(HANDLE, LPVOID, DWORD)>(
            reinterpret_cast<void*>(GetProcAddress(user32_, "RegisterDeviceNotificationA")));
        unregister_ = reinterpret_cast<BOOL(WINAPI*)(HDEVNOTIFY)>(
            reinterpret_cast<void*>(GetProcAddress(user32_, "UnregisterDeviceNotification")));
        DEV_BROADCAST_DEVICEINTERFACE_A filter;
        memset(&filter, 0, sizeof filter);
        filter.dbcc_size = 32;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = kNdisLanClass;
        if (reg)
            notify_ = reg(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    ~Listener() {
        if (notify_ && unregister_)
            unregister_(notify_);
        if (user32_)
            FreeLibrary(user32_);
        DestroyWindow(window_);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    bool registered() const { return notify_ != nullptr; }
    const std::vector<Heard>& heard() const { return heard_; }
    void Forget() { heard_.clear(); }

    // The first device-interface record of class NDIS LAN with `code`, or null.
    const Heard* Find(WPARAM code) const {
        for (const Heard& h : heard_)
            if (h.code == code && h.type == DBT_DEVTYP_DEVICEINTERFACE && h.lanClass)
                return &h;
        return nullptr;
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<Listener*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != WM_DEVICECHANGE || !self)
            return DefWindowProcA(window, message, w, l);
        Heard h;
        h.code = w;
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(l);
        if (header && (w & 0x8000)) {
            h.type = header->dbch_devicetype;
            if (h.type == DBT_DEVTYP_DEVICEINTERFACE && header->dbch_size >= 32) {
                const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(l);
                h.lanClass = memcmp(&record->dbcc_classguid, &kNdisLanClass, 16) == 0;
                size_t room =
                    header->dbch_size - offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
                h.wide = room >= 2 && record->dbcc_name[0] && !record->dbcc_name[1];
                if (h.wide) {
                    const auto* wide = reinterpret_cast<const wchar_t*>(record->dbcc_name);
                    for (size_t i = 0; i < room / 2 && wide[i]; ++i)
                        h.name.push_back(wide[i] < 0x80 ? static_cast<char>(wide[i]) : '?');
                } else {
                    h.name.assign(record->dbcc_name, strnlen(record->dbcc_name, room));
                }
            }
        }
        self->heard_.push_back(h);
        return TRUE;
    }

    HWND window_ = nullptr;
    HMODULE user32_ = nullptr;
    HDEVNOTIFY notify_ = nullptr;
    BOOL(WINAPI* unregister_)(HDEVNOTIFY) = nullptr;
    std::vector<Heard> heard_;
};

std::string Describe(const Listener& listener) {
    std::string text;
    char line[64];
    for (const Heard& h : listener.heard()) {
        snprintf(line, sizeof line, "code %#x type %lu lan %d %s ", static_cast<unsigned>(h.code),
                 static_cast<unsigned long>(h.type), h.lanClass ? 1 : 0, h.wide ? "wide" : "ansi");
        text += line + h.name + "\n";
    }
    return text.empty() ? "nothing heard" : text;
}

// Dispatches messages (sent ones included) until `done` or the time is up.
template <class Done> bool PumpUntil(Done done, DWORD milliseconds, HANDLE waitFor = nullptr) {
    DWORD end = GetTickCount() + milliseconds;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (done())
            return true;
        DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0)
            return false;
        MsgWaitForMultipleObjects(waitFor ? 1 : 0, &waitFor, FALSE, 50, QS_ALLINPUT);
    }
}

// nxsim.exe from beside the test, with messages pumped while it runs (its
// broadcast waits for this thread's windows). Its exit code.
DWORD RunToolPumping(const char* arguments) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    strcpy(strrchr(path, '\\') + 1, "nxsim.exe");
    std::string command = std::string("\"") + path + "\" " + arguments;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(path, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    HANDLE process = pi.hProcess;
    PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 30000, process);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

class SimDeviceChange : public ::testing::Test {
protected:
    void SetUp() override {
        SimRemoveAdapter();
        ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
        service_ = std::make_unique<DriverService>();
        ASSERT_TRUE(service_->ok()) << service_->error();
        registered_ = std::make_unique<Listener>(true);
        plain_ = std::make_unique<Listener>(false);
        ASSERT_TRUE(registered_->registered());
        PumpUntil([] { return false; }, 300); // whatever the driver's start announced
        registered_->Forget();
        plain_->Forget();
    }
    void TearDown() override {
        registered_.reset();
        plain_.reset();
        service_.reset();
        SimRemoveAdapter();
    }

    std::unique_ptr<DriverService> service_;
    std::unique_ptr<Listener> registered_;
    std::unique_ptr<Listener> plain_;
};

TEST_F(SimDeviceChange, RegisteredWindowHearsTheStandInsInterfaceLeaveAndComeBack) {
    ASSERT_TRUE(SimUnplugAdapter());
    ASSERT_TRUE(PumpUntil([&] { return registered_->Find(DBT_DEVICEREMOVECOMPLETE); }, 5000))
        << Describe(*registered_);
    const Heard* removal = registered_->Find(DBT_DEVICEREMOVECOMPLETE);
    EXPECT_NE(std::string::npos, removal->name.find("VEN_168C&DEV_0007")) << removal->name;
    printf("system's record: %s form, name %s\n", removal->wide ? "wide" : "ANSI",
           removal->name.c_str());

    ASSERT_TRUE(SimPlugAdapter());
    ASSERT_TRUE(PumpUntil([&] { return registered_->Find(DBT_DEVICEARRIVAL); }, 5000))
        << Describe(*registered_);
    EXPECT_NE(std::string::npos,
              registered_->Find(DBT_DEVICEARRIVAL)->name.find("VEN_168C&DEV_0007"));
    // Only windows registered for the class hear of the interface.
    EXPECT_EQ(nullptr, plain_->Find(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(nullptr, plain_->Find(DBT_DEVICEARRIVAL));
}

TEST_F(SimDeviceChange, ToolUnplugAndPlugReachEveryTopLevelWindowInAnsiForm) {
    ASSERT_EQ(0u, RunToolPumping("unplug"));
    EXPECT_FALSE(SimIsPlugged());
    for (Listener* listener : {registered_.get(), plain_.get()}) {
        PumpUntil([&] { return false; }, 200);
        const Heard* removal = nullptr;
        for (const Heard& h : listener->heard())
            if (h.code == DBT_DEVICEREMOVECOMPLETE && h.lanClass && !h.wide)
                removal = &h;
        ASSERT_NE(nullptr, removal);
        EXPECT_EQ(SimInterfaceName(), removal->name);
    }
    Handle h = OpenDriver();
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), BindAdapter(h.get(), DefaultAdapterName()));

    plain_->Forget();
    ASSERT_EQ(0u, RunToolPumping("plug"));
    const Heard* arrival = plain_->Find(DBT_DEVICEARRIVAL);
    ASSERT_NE(nullptr, arrival);
    EXPECT_FALSE(arrival->wide);
    EXPECT_NE(std::string::npos, arrival->name.find("VEN_168C&DEV_0007"));
    EXPECT_EQ(0u, BindAdapter(h.get(), DefaultAdapterName()));
}

} // namespace
