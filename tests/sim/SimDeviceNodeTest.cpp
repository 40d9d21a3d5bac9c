// The simulated adapter's PCI device node, seen through the device installer
// the way the adapter restart looks for it (setupapi reached at run time, as
// the utility reaches it).
#include <gtest/gtest.h>

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "sim/SimControl.h"

namespace {

const GUID kNdisLanClass = {
    0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};

// setupapi's entry points the restart uses.
class DeviceInstaller {
public:
    DeviceInstaller() : module_(LoadLibraryA("setupapi.dll")) {
        if (!module_)
            return;
        getClassDevs_ = Find<GetClassDevsFn>("SetupDiGetClassDevsA");
        enumInfo_ = Find<EnumInfoFn>("SetupDiEnumDeviceInfo");
        getProperty_ = Find<GetPropertyFn>("SetupDiGetDeviceRegistryPropertyA");
        getInstanceId_ = Find<GetInstanceIdFn>("SetupDiGetDeviceInstanceIdA");
        destroy_ = Find<DestroyFn>("SetupDiDestroyDeviceInfoList");
        status_ = Find<StatusFn>("CM_Get_DevNode_Status");
    }
    ~DeviceInstaller() {
        if (module_)
            FreeLibrary(module_);
    }
    DeviceInstaller(const DeviceInstaller&) = delete;
    DeviceInstaller& operator=(const DeviceInstaller&) = delete;

    bool ok() const {
        return getClassDevs_ && enumInfo_ && getProperty_ && getInstanceId_ && destroy_ && status_;
    }

    struct Device {
        std::string instanceId;
        std::string service;
        bool statusOk = false;
    };

    // Every present device, as the restart lists them (flags 6).
    std::vector<Device> PresentDevices() {
        std::vector<Device> out;
        HDEVINFO set =
            getClassDevs_(&kNdisLanClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
        if (set == INVALID_HANDLE_VALUE)
            return out;
        for (DWORD i = 0;; ++i) {
            SP_DEVINFO_DATA data = {};
            data.cbSize = sizeof data;
            if (!enumInfo_(set, i, &data))
                break;
            Device d;
            char text[512] = {};
            if (getInstanceId_(set, &data, text, sizeof text, nullptr))
                d.instanceId = text;
            char service[200] = {};
            if (getProperty_(set, &data, SPDRP_SERVICE, nullptr, reinterpret_cast<BYTE*>(service),
                             sizeof service, nullptr))
                d.service = service;
            ULONG status = 0, problem = 0;
            d.statusOk = status_(&status, &problem, data.DevInst, 0) == 0;
            out.push_back(d);
        }
        destroy_(set);
        return out;
    }

    // The devices whose service is "DOVIZ" (the restart's match).
    std::vector<Device> Adapters() {
        std::vector<Device> found;
        for (const Device& d : PresentDevices())
            if (d.service == NX_SIM_MINIPORT_SERVICE)
                found.push_back(d);
        return found;
    }

private:
    using GetClassDevsFn = HDEVINFO(WINAPI*)(const GUID*, PCSTR, HWND, DWORD);
    using EnumInfoFn = BOOL(WINAPI*)(HDEVINFO, DWORD, PSP_DEVINFO_DATA);
    using GetPropertyFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD,
                                        PDWORD);
    using GetInstanceIdFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, PSTR, DWORD, PDWORD);
    using DestroyFn = BOOL(WINAPI*)(HDEVINFO);
    using StatusFn = DWORD(WINAPI*)(PULONG, PULONG, DWORD, ULONG);

    // Through void*: a FARPROC converts to no other function type directly.
    template <class F> F Find(const char* name) {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    HMODULE module_;
    GetClassDevsFn getClassDevs_ = nullptr;
    EnumInfoFn enumInfo_ = nullptr;
    GetPropertyFn getProperty_ = nullptr;
    GetInstanceIdFn getInstanceId_ = nullptr;
    DestroyFn destroy_ = nullptr;
    StatusFn status_ = nullptr;
};

class SimDeviceNode : public ::testing::Test {
protected:
    void SetUp() override {
        SimRemoveAdapter();
        ASSERT_TRUE(installer_.ok());
    }
    void TearDown() override { SimRemoveAdapter(); }

    std::string Text(const char* name) {
        char buffer[512] = {};
        DWORD size = sizeof buffer - 1;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, SimDeviceNodeKeyPath().c_str(), name,
                         RRF_RT_REG_SZ | RRF_RT_REG_MULTI_SZ, nullptr, buffer,
                         &size) != ERROR_SUCCESS)
            return "<absent>";
        return buffer;
    }

    DeviceInstaller installer_;
};

TEST_F(SimDeviceNode, InstalledAdapterIsAPresentDeviceWithServiceDoviz) {
    EXPECT_TRUE(installer_.Adapters().empty());
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    std::vector<DeviceInstaller::Device> adapters = installer_.Adapters();
    ASSERT_EQ(1u, adapters.size());
    EXPECT_TRUE(adapters[0].statusOk);
    EXPECT_NE(std::string::npos, adapters[0].instanceId.find("VEN_168C&DEV_0007"))
        << adapters[0].instanceId;
    EXPECT_EQ(SimDeviceInstanceId(), adapters[0].instanceId);
}

TEST_F(SimDeviceNode, DeviceNodeNamesItsClassInstanceAsDriver) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    std::string instance = SimClassInstanceKeyPath();
    std::string driver = instance.substr(instance.find('{'));
    EXPECT_EQ(driver, Text("Driver"));
    EXPECT_EQ("{4D36E972-E325-11CE-BFC1-08002BE10318}", Text("ClassGUID"));
    EXPECT_EQ("Net", Text("Class"));
    EXPECT_EQ("PCI\\VEN_168C&DEV_0007&SUBSYS_00000000&REV_01", Text("HardwareID"));
}

TEST_F(SimDeviceNode, RemovalTakesTheDeviceNodeAway) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    ASSERT_TRUE(SimRemoveAdapter());
    EXPECT_TRUE(installer_.Adapters().empty());
    EXPECT_EQ("<absent>", Text("Service"));
}

TEST_F(SimDeviceNode, UnpluggedAdapterIsNotListedUntilPluggedBack) {
    ASSERT_TRUE(SimInstallAdapter()) << SimLastFailure();
    ASSERT_TRUE(SimUnplugAdapter());
    EXPECT_FALSE(SimIsPlugged());
    EXPECT_TRUE(installer_.Adapters().empty());
    ASSERT_TRUE(SimPlugAdapter());
    EXPECT_TRUE(SimIsPlugged());
    EXPECT_EQ(1u, installer_.Adapters().size());
}

} // namespace
