// The library linked statically, with the family-specific system calls
// replaced in-process: the 95-family branches (VxD, driver-written buffers,
// status in OVERLAPPED.Offset, completion routines) cannot run under Wine,
// and a driver that misbehaves on purpose is easiest to have here.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "agent/Library.h"
#include "agent/SystemCalls.h"
#include "agent/W32N.h"

namespace {

struct Call {
    std::string what; // "open", "close", "ioctl", "wait", "read", "write"
    std::string path;
    DWORD share = 0, disposition = 0, flags = 0;
    HANDLE handle = nullptr;
    DWORD code = 0;
    std::vector<uint8_t> input;
    DWORD outSize = 0;
    OVERLAPPED* overlapped = nullptr;
    DWORD statusOnEntry = 0; // request record status as the driver received it
};

// What the pretend driver does.
struct Fake {
    DWORD platform = VER_PLATFORM_WIN32_WINDOWS;
    DWORD major = 4;
    bool versionFails = false;
    bool probeFails = false;
    DWORD selectOffsetStatus = 0;
    DWORD ioctlError = 0;  // nonzero: DeviceIoControl fails with it
    DWORD failingCode = 0; // nonzero: only this control code fails
    bool pendThenComplete = false;
    // Request answer.
    DWORD answerStatus = 0;
    DWORD answerWritten = 0;
    uint8_t answerByte = 0xA5;
    bool writeCallerBuffer = false; // as the 95-family driver does
    std::vector<Call> calls;
    std::vector<uint8_t> setBlock; // what a set's buffer held during the call
    NdisRequestRecord* pending = nullptr;
    int opens = 0; // OPEN_EXISTING opens so far: each gets its own handle
    // The shared mapping as another process sees it too.
    UserCountBlock shared{};
    bool mappingExisted = false;
    bool otherLoaderCountsIn = false; // between this one's create and its map
    // The service manager.
    bool serviceMissing = false;
    bool lockHeldElsewhere = false;   // until a minute has been waited
    DWORD slept = 0;                  // milliseconds
    std::vector<std::string> service; // what reached the service manager, in order
};

Fake* g_fake = nullptr;
HANDLE const kDevice = reinterpret_cast<HANDLE>(0x4D00);
HANDLE const kProbe = reinterpret_cast<HANDLE>(0x4E00);
HANDLE const kMapping = reinterpret_cast<HANDLE>(0x4F00);
SC_HANDLE const kScm = reinterpret_cast<SC_HANDLE>(0x5000);
SC_HANDLE const kService = reinterpret_cast<SC_HANDLE>(0x5100);
SC_LOCK const kLock = reinterpret_cast<SC_LOCK>(0x5200);

BOOL WINAPI FakeVersion(OSVERSIONINFOA* v) {
    if (g_fake->versionFails) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    v->dwPlatformId = g_fake->platform;
    v->dwMajorVersion = g_fake->major;
    v->dwMinorVersion = 0;
    return TRUE;
}

HANDLE WINAPI FakeCreateFile(LPCSTR name, DWORD, DWORD share, LPSECURITY_ATTRIBUTES,
                             DWORD disposition, DWORD flags, HANDLE) {
    Call c;
    c.what = "open";
    c.path = name;
    c.share = share;
    c.disposition = disposition;
    c.flags = flags;
    g_fake->calls.push_back(c);
    if (disposition == OPEN_EXISTING) {
        if (g_fake->probeFails) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        return reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(kProbe) +
                                        0x10 * static_cast<uintptr_t>(g_fake->opens++));
    }
    return kDevice;
}

BOOL WINAPI FakeClose(HANDLE h) {
    Call c;
    c.what = "close";
    c.handle = h;
    g_fake->calls.push_back(c);
    return TRUE;
}

void Answer(NdisRequestRecord* r) {
    r->status = g_fake->answerStatus;
    r->bytesWritten = g_fake->answerWritten;
    memset(r->data, g_fake->answerByte, sizeof r->data);
    if (g_fake->writeCallerBuffer && r->buffer)
        memset(reinterpret_cast<void*>(static_cast<uintptr_t>(r->buffer)), 0x95,
               g_fake->answerWritten);
}

BOOL WINAPI FakeIoctl(HANDLE h, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                      LPDWORD returned, LPOVERLAPPED ov) {
    Call c;
    c.what = "ioctl";
    c.handle = h;
    c.code = code;
    c.input.assign(static_cast<uint8_t*>(in), static_cast<uint8_t*>(in) + inSize);
    c.outSize = outSize;
    c.overlapped = ov;
    auto* record = static_cast<NdisRequestRecord*>(in);
    bool isRequest = code == NX_IOCTL_NDIS_REQUEST || code == NX_IOCTL_PRIVATE_REQUEST;
    if (isRequest) {
        c.statusOnEntry = record->status;
        if (record->requestType == NX_REQUEST_SET_INFORMATION && record->buffer) {
            auto* p = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(record->buffer));
            g_fake->setBlock.assign(p, p + record->bufferLength);
        }
    }
    g_fake->calls.push_back(c);
    if (returned)
        *returned = 0;
    if (g_fake->ioctlError && (!g_fake->failingCode || g_fake->failingCode == code)) {
        SetLastError(g_fake->ioctlError);
        return FALSE;
    }
    if (code == NX_IOCTL_SELECT_ADAPTER && ov)
        ov->Offset = g_fake->selectOffsetStatus;
    if (code == NX_IOCTL_CANCEL_READ) // the driver hands back the whole exchange
        memset(out, 0xEE, outSize);
    if (g_fake->pendThenComplete) {
        g_fake->pending = isRequest ? record : nullptr;
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }
    if (isRequest)
        Answer(record);
    return TRUE;
}

BOOL WINAPI FakeWait(HANDLE h, LPOVERLAPPED, LPDWORD transferred, BOOL wait) {
    Call c;
    c.what = "wait";
    c.handle = h;
    c.code = wait;
    g_fake->calls.push_back(c);
    if (g_fake->pending)
        Answer(g_fake->pending);
    *transferred = sizeof(NdisRequestRecord);
    return TRUE;
}

BOOL WINAPI FakeReadEx(HANDLE h, LPVOID, DWORD size, LPOVERLAPPED ov,
                       LPOVERLAPPED_COMPLETION_ROUTINE) {
    Call c;
    c.what = "read";
    c.handle = h;
    c.outSize = size;
    c.overlapped = ov;
    g_fake->calls.push_back(c);
    return TRUE;
}

BOOL WINAPI FakeWriteEx(HANDLE h, LPCVOID, DWORD size, LPOVERLAPPED ov,
                        LPOVERLAPPED_COMPLETION_ROUTINE) {
    Call c;
    c.what = "write";
    c.handle = h;
    c.outSize = size;
    c.overlapped = ov;
    g_fake->calls.push_back(c);
    return TRUE;
}

HANDLE WINAPI FakeCreateMapping(HANDLE, LPSECURITY_ATTRIBUTES, DWORD, DWORD, DWORD size,
                                LPCSTR name) {
    g_fake->service.push_back(std::string("mapping ") + name + " " + std::to_string(size));
    SetLastError(g_fake->mappingExisted ? ERROR_ALREADY_EXISTS : 0);
    return kMapping;
}

LPVOID WINAPI FakeMapView(HANDLE mapping, DWORD, DWORD, DWORD, SIZE_T) {
    if (mapping != kMapping)
        return nullptr;
    if (g_fake->otherLoaderCountsIn)
        InterlockedIncrement(reinterpret_cast<volatile LONG*>(&g_fake->shared.users));
    return &g_fake->shared;
}

BOOL WINAPI FakeUnmapView(LPCVOID view) {
    g_fake->service.push_back(view == &g_fake->shared ? "unmap" : "unmap ?");
    return TRUE;
}

SC_HANDLE WINAPI FakeOpenScm(LPCSTR, LPCSTR, DWORD access) {
    g_fake->service.push_back("scm " + std::to_string(access));
    return kScm;
}

SC_HANDLE WINAPI FakeOpenService(SC_HANDLE, LPCSTR name, DWORD access) {
    g_fake->service.push_back(std::string("open ") + name + " " + std::to_string(access));
    if (g_fake->serviceMissing && access == GENERIC_EXECUTE) {
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    return kService;
}

SC_HANDLE WINAPI FakeCreateService(SC_HANDLE, LPCSTR name, LPCSTR, DWORD, DWORD type, DWORD start,
                                   DWORD errorControl, LPCSTR, LPCSTR, LPDWORD, LPCSTR, LPCSTR,
                                   LPCSTR) {
    g_fake->service.push_back(std::string("create ") + name + " " + std::to_string(type) + " " +
                              std::to_string(start) + " " + std::to_string(errorControl));
    return kService;
}

BOOL WINAPI FakeStartService(SC_HANDLE, DWORD, LPCSTR*) {
    g_fake->service.push_back("start");
    return TRUE;
}

BOOL WINAPI FakeControlService(SC_HANDLE, DWORD control, LPSERVICE_STATUS) {
    g_fake->service.push_back("control " + std::to_string(control));
    return TRUE;
}

BOOL WINAPI FakeDeleteService(SC_HANDLE) {
    g_fake->service.push_back("delete");
    return TRUE;
}

SC_LOCK WINAPI FakeLock(SC_HANDLE) {
    if (g_fake->lockHeldElsewhere && g_fake->slept < 60000) {
        SetLastError(ERROR_SERVICE_DATABASE_LOCKED);
        return nullptr;
    }
    g_fake->service.push_back("lock");
    return kLock;
}

BOOL WINAPI FakeUnlock(SC_LOCK lock) {
    g_fake->service.push_back(lock == kLock ? "unlock" : "unlock ?");
    return TRUE;
}

BOOL WINAPI FakeCloseService(SC_HANDLE h) {
    g_fake->service.push_back(h == kScm       ? "close scm"
                              : h == kService ? "close service"
                                              : "close ?");
    return TRUE;
}

VOID WINAPI FakeSleep(DWORD ms) {
    g_fake->slept += ms;
}

void WINAPI Completion(DWORD, DWORD, LPOVERLAPPED) {}

class Seam : public testing::Test {
protected:
    void SetUp() override {
        g_fake = &fake;
        AgentSystemCalls calls = RealSystemCalls();
        calls.getVersionEx = FakeVersion;
        calls.createFile = FakeCreateFile;
        calls.closeHandle = FakeClose;
        calls.deviceIoControl = FakeIoctl;
        calls.getOverlappedResult = FakeWait;
        calls.readFileEx = FakeReadEx;
        calls.writeFileEx = FakeWriteEx;
        calls.createFileMapping = FakeCreateMapping;
        calls.mapViewOfFile = FakeMapView;
        calls.unmapViewOfFile = FakeUnmapView;
        calls.openSCManager = FakeOpenScm;
        calls.openService = FakeOpenService;
        calls.createService = FakeCreateService;
        calls.startService = FakeStartService;
        calls.controlService = FakeControlService;
        calls.deleteService = FakeDeleteService;
        calls.lockServiceDatabase = FakeLock;
        calls.unlockServiceDatabase = FakeUnlock;
        calls.closeServiceHandle = FakeCloseService;
        calls.sleep = FakeSleep;
        saved = ReplaceSystemCalls(calls);
        ForgetPlatformAnswers();
        savedBlock = UseUserCountBlock(&block);
        event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ZeroMemory(&ov, sizeof ov);
        ov.hEvent = event;
        W32N_GetLastError();
    }
    void TearDown() override {
        ReplaceSystemCalls(saved);
        ForgetPlatformAnswers();
        UseUserCountBlock(savedBlock);
        CloseHandle(event);
        g_fake = nullptr;
    }
    void AsNt(DWORD major = 5) {
        fake.platform = VER_PLATFORM_WIN32_NT;
        fake.major = major;
    }
    std::vector<Call> Ioctls() const {
        std::vector<Call> r;
        for (const Call& c : fake.calls)
            if (c.what == "ioctl")
                r.push_back(c);
        return r;
    }
    bool Closed(HANDLE h) const {
        for (const Call& c : fake.calls)
            if (c.what == "close" && c.handle == h)
                return true;
        return false;
    }
    NdisRequestRecord Query(void* buffer, uint32_t length) {
        NdisRequestRecord r;
        memset(&r, 0, sizeof r);
        r.requestType = NX_REQUEST_QUERY_INFORMATION;
        r.oid = 0x01010101;
        r.buffer = NxAddressOf(buffer);
        r.bufferLength = length;
        return r;
    }

    Fake fake;
    AgentSystemCalls saved{};
    UserCountBlock block{};
    UserCountBlock* savedBlock = nullptr;
    HANDLE event = nullptr;
    OVERLAPPED ov{};
};

std::string ShortFolderOfThisExe() {
    char self[MAX_PATH], shortName[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    GetShortPathNameA(self, shortName, MAX_PATH);
    std::string s(shortName);
    return s.substr(0, s.find_last_of('\\') + 1);
}

} // namespace

TEST_F(Seam, Win95OpenMustProbeDeviceThenLoadVxdBesideLibraryWithDeleteOnClose) {
    HANDLE h = W32N_OpenAdapterA("0001");
    ASSERT_EQ(kDevice, h);
    ASSERT_GE(fake.calls.size(), 5u);
    EXPECT_EQ("open", fake.calls[0].what);
    EXPECT_EQ("\\\\.\\NXPROTO", fake.calls[0].path);
    EXPECT_EQ(static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_WRITE), fake.calls[0].share);
    EXPECT_EQ(0x40000080u, fake.calls[0].flags);
    EXPECT_TRUE(Closed(kProbe)) << "the probe handle leaked";
    const Call& vxd = fake.calls[2];
    EXPECT_EQ("\\\\.\\" + ShortFolderOfThisExe() + "NXPROTO.VXD", vxd.path);
    EXPECT_EQ(static_cast<DWORD>(CREATE_NEW), vxd.disposition);
    EXPECT_EQ(0x44000080u, vxd.flags);
    std::vector<Call> io = Ioctls();
    ASSERT_EQ(2u, io.size());
    EXPECT_EQ(NX_IOCTL_SELECT_ADAPTER, io[0].code);
    EXPECT_EQ(NX_IOCTL_OPEN_ADAPTER, io[1].code);
    EXPECT_EQ(std::vector<uint8_t>({'0', '0', '0', '1'}), io[0].input);
    EXPECT_EQ(io[0].input, io[1].input);
    EXPECT_FALSE(Closed(kDevice));
    EXPECT_EQ(0, W32N_GetLastError());
}

TEST_F(Seam, Win95ShortAdapterKeyIsPaddedNotReadPastItsEnd) {
    char name[2] = {'7', '\0'};
    ASSERT_EQ(kDevice, W32N_OpenAdapterA(name));
    EXPECT_EQ(std::vector<uint8_t>({'7', 0, 0, 0}), Ioctls().at(0).input);
}

TEST_F(Seam, Win95DriverStatusInOffsetFailsOpenAndLeavesNoHandle) {
    fake.selectOffsetStatus = 0x1F;
    EXPECT_EQ(INVALID_HANDLE_VALUE, W32N_OpenAdapterA("0001"));
    EXPECT_TRUE(Closed(kDevice));
    EXPECT_EQ(1u, Ioctls().size()) << "the open step ran after a failed select";
    EXPECT_EQ(0x1F, W32N_GetLastError());
}

TEST_F(Seam, Win95OpenProtocolDriverWithoutDriverLoadsNothing) {
    fake.probeFails = true;
    EXPECT_EQ(INVALID_HANDLE_VALUE, W32N_OpenProtocolDriver());
    EXPECT_EQ(1u, fake.calls.size()) << "the VxD was loaded although installing was not allowed";
}

TEST_F(Seam, Win95QueryIsNotCopiedOverTheBufferTheDriverFilled) {
    fake.writeCallerBuffer = true;
    fake.answerWritten = 6;
    uint8_t buffer[16];
    memset(buffer, 0x11, sizeof buffer);
    NdisRequestRecord r = Query(buffer, sizeof buffer);
    EXPECT_EQ(0u, W32N_MakeNdisRequest(kDevice, &r, &ov, 1));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(0x95, buffer[i]) << i;
    for (int i = 6; i < 16; ++i)
        EXPECT_EQ(0x11, buffer[i]) << i;
}

TEST_F(Seam, Win95CompletionRoutinesTravelInHeaderAndOverlapped) {
    struct {
        PacketHeader header;
        uint8_t data[64];
    } packet;
    memset(&packet, 0x77, sizeof packet);
    packet.header.dataLength = sizeof packet.data;
    DWORD got = 0;
    EXPECT_EQ(static_cast<DWORD>(TRUE), W32N_PacketReadEx(kDevice, &packet, &got, &ov, Completion));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&Completion), packet.header.completionRoutine);
    std::vector<Call> io = Ioctls();
    ASSERT_EQ(1u, io.size());
    EXPECT_EQ(NX_IOCTL_READ_PACKET_EX, io[0].code);
    EXPECT_EQ(sizeof packet.header + sizeof packet.data, io[0].input.size());
    PacketHeader sent;
    memcpy(&sent, io[0].input.data(), sizeof sent);
    EXPECT_EQ(NX_PACKET_PENDING, sent.status);
    EXPECT_EQ(0u, sent.reserved1);
    EXPECT_EQ(0u, sent.reserved2);

    const char frame[] = "frame";
    EXPECT_TRUE(W32N_PacketSendEx(kDevice, frame, sizeof frame, &got, &ov, Completion));
    EXPECT_EQ(reinterpret_cast<void*>(&Completion), ov.Pointer) << "the whole address, in Offset";
    EXPECT_EQ(NX_IOCTL_SEND_PACKET_EX, Ioctls().back().code);
    EXPECT_EQ(sizeof frame, Ioctls().back().input.size());
}

TEST_F(Seam, Win95CloseNeitherQueriesUnloadStateNorTouchesRemoveFlag) {
    block.removeDriver = 1;
    EXPECT_TRUE(W32N_CloseAdapter(kDevice));
    EXPECT_TRUE(Ioctls().empty());
    EXPECT_TRUE(Closed(kDevice));
    EXPECT_EQ(1, block.removeDriver);
}

TEST_F(Seam, NtLyingDriverCannotOverrunCallerBuffer) {
    AsNt();
    fake.answerWritten = 100000;
    struct {
        uint8_t buffer[8];
        uint8_t guard[32];
    } area;
    memset(&area, 0x11, sizeof area);
    NdisRequestRecord r = Query(area.buffer, sizeof area.buffer);
    EXPECT_EQ(0u, W32N_MakeNdisRequest(kDevice, &r, &ov, 1));
    for (uint8_t b : area.buffer)
        EXPECT_EQ(0xA5, b);
    for (uint8_t b : area.guard)
        ASSERT_EQ(0x11, b) << "copied past the caller's buffer";
}

TEST_F(Seam, NtRequestPresetsFailureStatusAndSendsWholeRecordBothWays) {
    AsNt();
    uint8_t buffer[4];
    NdisRequestRecord r = Query(buffer, sizeof buffer);
    r.status = 0;
    fake.answerStatus = NX_STATUS_INVALID_LENGTH;
    EXPECT_EQ(NX_STATUS_INVALID_LENGTH, W32N_MakePrivateRequest(kDevice, &r, &ov, 1));
    std::vector<Call> io = Ioctls();
    ASSERT_EQ(1u, io.size());
    EXPECT_EQ(NX_IOCTL_PRIVATE_REQUEST, io[0].code);
    EXPECT_EQ(NX_STATUS_FAILURE, io[0].statusOnEntry);
    EXPECT_EQ(sizeof(NdisRequestRecord), io[0].input.size()); // 556 bytes in what ships
    EXPECT_EQ(sizeof(NdisRequestRecord), io[0].outSize);
    EXPECT_EQ(&ov, io[0].overlapped);
}

TEST_F(Seam, NtPendingRequestIsWaitedForBeforeReturning) {
    AsNt();
    fake.pendThenComplete = true;
    fake.answerWritten = 4;
    uint32_t value = 0;
    NdisRequestRecord r = Query(&value, sizeof value);
    EXPECT_EQ(0u, W32N_MakeNdisRequest(kDevice, &r, &ov, 1));
    ASSERT_EQ("wait", fake.calls.back().what);
    EXPECT_EQ(static_cast<DWORD>(TRUE), fake.calls.back().code);
    EXPECT_EQ(0xA5A5A5A5u, value) << "the answer that arrived after the wait was not copied";
}

TEST_F(Seam, NtDeviceFailureIsReturnedAndStored) {
    AsNt();
    fake.ioctlError = ERROR_GEN_FAILURE;
    uint32_t value = 0;
    NdisRequestRecord r = Query(&value, sizeof value);
    EXPECT_EQ(static_cast<DWORD>(ERROR_GEN_FAILURE), W32N_MakeNdisRequest(kDevice, &r, &ov, 1));
    EXPECT_EQ(ERROR_GEN_FAILURE, W32N_GetLastError());
    EXPECT_EQ(0, W32N_GetLastError()) << "the error word is read-and-clear";
}

TEST_F(Seam, NtQueryWithNullBufferIsNotCopiedThroughNull) {
    AsNt();
    fake.answerWritten = 4;
    NdisRequestRecord r = Query(nullptr, 4);
    EXPECT_EQ(0u, W32N_MakeNdisRequest(kDevice, &r, &ov, 1));
}

TEST_F(Seam, MissingArgumentsNeverReachTheDriver) {
    AsNt();
    uint32_t value;
    NdisRequestRecord r = Query(&value, sizeof value);
    EXPECT_EQ(NX_STATUS_ADAPTER_NOT_OPEN, W32N_MakeNdisRequest(kDevice, &r, nullptr, 1));
    EXPECT_EQ(NX_STATUS_ADAPTER_NOT_OPEN, W32N_MakeNdisRequest(kDevice, nullptr, &ov, 1));
    EXPECT_EQ(NX_STATUS_ADAPTER_NOT_OPEN, W32N_MakeNdisRequest(INVALID_HANDLE_VALUE, &r, &ov, 1));
    EXPECT_EQ(NX_STATUS_ADAPTER_NOT_OPEN, W32N_MakePrivateRequest(kDevice, &r, nullptr, 1));
    DWORD got;
    EXPECT_EQ(NX_STATUS_ADAPTER_NOT_OPEN, W32N_PacketRead(kDevice, nullptr, &got, &ov, TRUE));
    EXPECT_EQ(NX_STATUS_ADAPTER_NOT_OPEN,
              W32N_PacketReadEx(kDevice, &r, &got, nullptr, Completion));
    EXPECT_EQ(NX_STATUS_ADAPTER_NOT_OPEN, W32N_CancelPacketRead(INVALID_HANDLE_VALUE, &r));
    EXPECT_EQ(NX_STATUS_ADAPTER_NOT_OPEN, W32N_CancelPacketRead(kDevice, nullptr));
    EXPECT_FALSE(W32N_PacketSend(INVALID_HANDLE_VALUE, &r, 4, &got, &ov));
    EXPECT_EQ(ERROR_INVALID_HANDLE, W32N_GetLastError());
    EXPECT_FALSE(W32N_PacketSend(kDevice, nullptr, 4, &got, &ov));
    EXPECT_EQ(ERROR_INVALID_USER_BUFFER, W32N_GetLastError());
    EXPECT_FALSE(W32N_PacketSendEx(kDevice, nullptr, 4, &got, &ov, Completion));
    EXPECT_EQ(ERROR_INVALID_USER_BUFFER, W32N_GetLastError());
    EXPECT_FALSE(W32N_CloseAdapter(INVALID_HANDLE_VALUE));
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(Seam, NtAdapterNameTooLongFailsCleanlyBeforeTheDriver) {
    AsNt();
    std::string name = "\\Device\\" + std::string(400, 'N');
    EXPECT_EQ(INVALID_HANDLE_VALUE, W32N_OpenAdapterA(name.c_str()));
    EXPECT_EQ(ERROR_BAD_LENGTH, W32N_GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, W32N_OpenAdapterA(nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, W32N_GetLastError());
    EXPECT_TRUE(fake.calls.empty()) << "a name that cannot be sent whole reached the driver";
}

TEST_F(Seam, NtCloseSetsRemoveFlagOnlyWhenDriverAsksAndIsNotNeeded) {
    AsNt();
    struct Case {
        DWORD status;
        uint8_t answer;
        uint8_t expected;
    } cases[] = {{0, 2, 1}, {0, 3, 0}, {0, 1, 0}, {0, 0, 0}, {NX_STATUS_FAILURE, 2, 0}};
    for (const Case& c : cases) {
        block.removeDriver = c.expected ? 0 : 1; // the latest close decides
        fake.answerStatus = c.status;
        fake.answerByte = c.answer;
        fake.answerWritten = 4;
        fake.calls.clear();
        EXPECT_TRUE(W32N_CloseAdapter(kDevice));
        EXPECT_EQ(c.expected, block.removeDriver) << "answer " << int(c.answer);
        std::vector<Call> io = Ioctls();
        ASSERT_EQ(1u, io.size());
        NdisRequestRecord sent;
        memcpy(&sent, io[0].input.data(), sizeof sent);
        EXPECT_EQ(NX_IOCTL_PRIVATE_REQUEST, io[0].code);
        EXPECT_EQ(NX_OID_UNLOAD_STATE, sent.oid);
        EXPECT_EQ(4u, sent.bufferLength);
        EXPECT_TRUE(Closed(kDevice));
    }
}

TEST_F(Seam, NtCloseWithFailingDeviceClearsRemoveFlag) {
    AsNt();
    block.removeDriver = 1;
    fake.ioctlError = ERROR_GEN_FAILURE;
    EXPECT_TRUE(W32N_CloseAdapter(kDevice));
    EXPECT_EQ(0, block.removeDriver);
}

TEST_F(Seam, NtPacketExUsesFileIoWithFullReadLength) {
    AsNt();
    struct {
        PacketHeader header;
        uint8_t data[100];
    } packet{};
    packet.header.dataLength = sizeof packet.data;
    DWORD got;
    EXPECT_EQ(static_cast<DWORD>(TRUE), W32N_PacketReadEx(kDevice, &packet, &got, &ov, Completion));
    EXPECT_EQ("read", fake.calls.back().what);
    EXPECT_EQ(sizeof packet.header + sizeof packet.data, fake.calls.back().outSize);
    EXPECT_TRUE(W32N_PacketSendEx(kDevice, "abc", 3, &got, &ov, Completion));
    EXPECT_EQ("write", fake.calls.back().what);
    EXPECT_EQ(3u, fake.calls.back().outSize);
    EXPECT_TRUE(Ioctls().empty());
}

TEST_F(Seam, PacketReadPresetsHeaderAndWaitsOnlyWhenAsked) {
    AsNt();
    struct {
        PacketHeader header;
        uint8_t data[20];
    } packet;
    memset(&packet, 0x33, sizeof packet);
    packet.header.dataLength = sizeof packet.data;
    DWORD got;
    fake.ioctlError = ERROR_GEN_FAILURE;
    EXPECT_EQ(0u, W32N_PacketRead(kDevice, &packet, &got, &ov, FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_GEN_FAILURE),
              W32N_PacketRead(kDevice, &packet, &got, &ov, TRUE));
    EXPECT_EQ(0, W32N_GetLastError()) << "packet read must not store into the error word";
    std::vector<Call> io = Ioctls();
    ASSERT_EQ(2u, io.size());
    EXPECT_EQ(NX_IOCTL_READ_PACKET, io[0].code);
    EXPECT_EQ(sizeof packet.header + sizeof packet.data, io[0].input.size());
    EXPECT_EQ(sizeof packet.header + sizeof packet.data, io[0].outSize);
    PacketHeader sent;
    memcpy(&sent, io[0].input.data(), sizeof sent);
    EXPECT_EQ(NX_PACKET_PENDING, sent.status);
    EXPECT_EQ(0u, sent.reserved1 | sent.reserved2);

    fake.ioctlError = 0;
    fake.pendThenComplete = true;
    EXPECT_EQ(0u, W32N_PacketRead(kDevice, &packet, &got, &ov, TRUE));
    EXPECT_EQ("wait", fake.calls.back().what);
}

TEST_F(Seam, PacketReadWithWrappingLengthIsRefused) {
    AsNt();
    PacketHeader header{};
    header.dataLength = 0xFFFFFFF0u;
    DWORD got;
    EXPECT_NE(0u, W32N_PacketRead(kDevice, &header, &got, &ov, TRUE));
    EXPECT_TRUE(Ioctls().empty());
}

TEST_F(Seam, CancelReadSendsTheHeaderAndOneByteAndStoresFailure) {
    AsNt();
    uint8_t packet[80] = {};
    EXPECT_EQ(0u, W32N_CancelPacketRead(kDevice, packet));
    EXPECT_EQ(NX_IOCTL_CANCEL_READ, Ioctls().back().code);
    EXPECT_EQ(NX_CANCEL_READ_LENGTH, Ioctls().back().input.size()); // 57 bytes in what ships
    EXPECT_EQ(nullptr, Ioctls().back().overlapped);
    fake.ioctlError = ERROR_GEN_FAILURE;
    EXPECT_EQ(static_cast<DWORD>(ERROR_GEN_FAILURE), W32N_CancelPacketRead(kDevice, packet));
    EXPECT_EQ(ERROR_GEN_FAILURE, W32N_GetLastError());
}

TEST_F(Seam, CancelOfHeaderOnlyPacketExchangesTheWholeLengthButTouchesOnlyTheHeader) {
    AsNt();
    struct {
        PacketHeader header;
        uint8_t guard[8];
    } area;
    memset(&area, 0x11, sizeof area);
    area.header.dataLength = 0;
    EXPECT_EQ(0u, W32N_CancelPacketRead(kDevice, &area.header));
    std::vector<Call> calls = Ioctls();
    ASSERT_EQ(1u, calls.size());
    const Call& io = calls.back();
    const size_t last = sizeof(PacketHeader) - 1;
    ASSERT_EQ(NX_CANCEL_READ_LENGTH, io.input.size());
    EXPECT_EQ(NX_CANCEL_READ_LENGTH, io.outSize);
    EXPECT_EQ(0x11, io.input[last - 4]);
    EXPECT_EQ(0, io.input[last + 1]) << "the byte past the header was read from the caller";
    const uint8_t* header = reinterpret_cast<const uint8_t*>(&area.header);
    EXPECT_EQ(0xEE, header[0]) << "the driver's answer did not come back";
    EXPECT_EQ(0xEE, header[last]);
    for (uint8_t g : area.guard)
        ASSERT_EQ(0x11, g) << "written past the packet";
}

TEST_F(Seam, CancelOfPacketWithDataExchangesAndReturnsTheHeaderAndOneByte) {
    AsNt();
    struct {
        PacketHeader header;
        uint8_t data[4];
    } packet;
    memset(&packet, 0x22, sizeof packet);
    packet.header.dataLength = sizeof packet.data;
    EXPECT_EQ(0u, W32N_CancelPacketRead(kDevice, &packet));
    std::vector<Call> calls = Ioctls();
    ASSERT_EQ(1u, calls.size());
    const Call& io = calls.back();
    ASSERT_EQ(NX_CANCEL_READ_LENGTH, io.input.size());
    EXPECT_EQ(0x22, io.input[sizeof(PacketHeader)])
        << "the first data byte belongs to the exchange";
    EXPECT_EQ(0xEE, packet.data[0]);
    EXPECT_EQ(0x22, packet.data[1]) << "more than the header and one byte came back";
}

TEST_F(Seam, FailedCancelLeavesThePacketAsItWas) {
    AsNt();
    uint8_t packet[sizeof(PacketHeader) + 4];
    memset(packet, 0x33, sizeof packet);
    fake.ioctlError = ERROR_GEN_FAILURE;
    EXPECT_EQ(static_cast<DWORD>(ERROR_GEN_FAILURE), W32N_CancelPacketRead(kDevice, packet));
    for (uint8_t b : packet)
        ASSERT_EQ(0x33, b);
}

TEST_F(Seam, NtOpenSendsTheWholeNameWithItsNulToSelectThenOpen) {
    AsNt();
    const char name[] = "\\Device\\{5F2A9C31}";
    HANDLE h = W32N_OpenAdapterA(name);
    ASSERT_EQ(kProbe, h) << "the first open of the device is the handle returned";
    std::vector<Call> io = Ioctls();
    ASSERT_EQ(2u, io.size());
    const std::vector<uint8_t> expected(name, name + sizeof name);
    EXPECT_EQ(NX_IOCTL_SELECT_ADAPTER, io[0].code);
    EXPECT_EQ(expected, io[0].input);
    EXPECT_EQ(0u, io[0].outSize);
    EXPECT_EQ(NX_IOCTL_OPEN_ADAPTER, io[1].code);
    EXPECT_EQ(expected, io[1].input);
    EXPECT_NE(io[0].overlapped, nullptr);
    EXPECT_FALSE(Closed(kProbe));
    EXPECT_EQ(0, W32N_GetLastError());
}

TEST_F(Seam, NtFailingSelectOrOpenStepClosesTheDriverHandleAndKeepsTheError) {
    AsNt();
    fake.ioctlError = ERROR_FILE_NOT_FOUND;
    fake.failingCode = NX_IOCTL_SELECT_ADAPTER;
    EXPECT_EQ(INVALID_HANDLE_VALUE, W32N_OpenAdapterA("\\Device\\{X}"));
    EXPECT_TRUE(Closed(kProbe)) << "a failed select left the driver handle open";
    EXPECT_EQ(1u, Ioctls().size()) << "the open step ran after a failed select";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, W32N_GetLastError());

    fake.calls.clear();
    fake.opens = 0;
    fake.ioctlError = ERROR_INVALID_FUNCTION;
    fake.failingCode = NX_IOCTL_OPEN_ADAPTER;
    EXPECT_EQ(INVALID_HANDLE_VALUE, W32N_OpenAdapterA("\\Device\\{X}"));
    EXPECT_TRUE(Closed(kProbe)) << "a failed open step left the driver handle open";
    EXPECT_EQ(2u, Ioctls().size());
    EXPECT_EQ(ERROR_INVALID_FUNCTION, W32N_GetLastError());
}

TEST_F(Seam, NtServiceIsRegisteredAsDemandStartKernelDriverWithNormalErrorControl) {
    AsNt();
    fake.probeFails = true;
    fake.serviceMissing = true;
    W32N_OpenAdapterA("\\Device\\{X}");
    std::string create = "create NXPROTO " + std::to_string(SERVICE_KERNEL_DRIVER) + " " +
                         std::to_string(SERVICE_DEMAND_START) + " " +
                         std::to_string(SERVICE_ERROR_NORMAL);
    ASSERT_GE(fake.service.size(), 4u);
    EXPECT_EQ("scm " + std::to_string(SC_MANAGER_ALL_ACCESS), fake.service[0]);
    EXPECT_EQ("lock", fake.service[1]);
    EXPECT_EQ("open NXPROTO " + std::to_string(GENERIC_EXECUTE), fake.service[2]);
    EXPECT_EQ(create, fake.service[3]);
    EXPECT_EQ("unlock", fake.service[4]);
}

TEST_F(Seam, FirstLoaderKeepsTheCountOfAnotherThatCountedInMeanwhile) {
    // This process creates the mapping; before it maps its view, another
    // process opens the same block and counts itself in.
    fake.otherLoaderCountsIn = true;
    bool attached = LibraryAttach(nullptr);
    fake.otherLoaderCountsIn = false;
    int32_t users = fake.shared.users;
    if (attached)
        LibraryDetach();
    ASSERT_TRUE(attached);
    EXPECT_EQ(2, users) << "the first loader wiped the other process's count";
    EXPECT_EQ(1, fake.shared.users) << "the other process still has the library";
    EXPECT_EQ(std::vector<std::string>({"mapping NXLIB32Mapper 8", "unmap"}), fake.service);
    EXPECT_TRUE(Closed(kMapping));
}

TEST_F(Seam, LastDetachStopsThenDeletesUnderTheLockThenInterrogates) {
    AsNt();
    ASSERT_TRUE(LibraryAttach(nullptr));
    fake.shared.removeDriver = 1;
    fake.service.clear();
    LibraryDetach();
    EXPECT_EQ(0, fake.shared.users);
    const std::vector<std::string> expected = {
        "scm " + std::to_string(SC_MANAGER_ALL_ACCESS),
        "open NXPROTO " + std::to_string(DELETE | SERVICE_STOP | SERVICE_INTERROGATE),
        "control " + std::to_string(SERVICE_CONTROL_STOP),
        "lock",
        "delete",
        "unlock",
        "control " + std::to_string(SERVICE_CONTROL_INTERROGATE),
        "close service",
        "close scm",
        "unmap"};
    EXPECT_EQ(expected, fake.service);
    EXPECT_EQ(0u, fake.slept);
}

TEST_F(Seam, DatabaseLockHeldElsewhereAtLastDetachEndsTheWaitAndLeavesTheService) {
    AsNt();
    ASSERT_TRUE(LibraryAttach(nullptr));
    fake.shared.removeDriver = 1;
    fake.lockHeldElsewhere = true;
    fake.service.clear();
    LibraryDetach();
    EXPECT_GT(fake.slept, 0u) << "gave up without waiting";
    EXPECT_LE(fake.slept, 5000u) << "process exit waited for the lock";
    EXPECT_EQ(fake.service.end(), std::find(fake.service.begin(), fake.service.end(), "delete"))
        << "deleted without the lock";
    EXPECT_EQ(fake.service.end(), std::find(fake.service.begin(), fake.service.end(), "unlock"));
    const std::vector<std::string> tail = {"close service", "close scm", "unmap"};
    ASSERT_GE(fake.service.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), fake.service.end() - 3));
}

TEST_F(Seam, DetachWithOtherUsersLeftNeverReachesTheServiceManager) {
    AsNt();
    ASSERT_TRUE(LibraryAttach(nullptr));
    fake.shared.removeDriver = 1;
    InterlockedIncrement(reinterpret_cast<volatile LONG*>(&fake.shared.users));
    fake.service.clear();
    LibraryDetach();
    EXPECT_EQ(1, fake.shared.users);
    EXPECT_EQ(std::vector<std::string>({"unmap"}), fake.service);
}

TEST_F(Seam, LoopbackBlockCarriesValueLengthAndData) {
    AsNt();
    const uint8_t data[3] = {9, 8, 7};
    EXPECT_TRUE(W32N_DisableLoopback(kDevice, 0x55, sizeof data, data));
    std::vector<Call> io = Ioctls();
    ASSERT_EQ(1u, io.size());
    NdisRequestRecord sent;
    memcpy(&sent, io[0].input.data(), sizeof sent);
    EXPECT_EQ(NX_IOCTL_PRIVATE_REQUEST, io[0].code);
    EXPECT_EQ(NX_REQUEST_SET_INFORMATION, sent.requestType);
    EXPECT_EQ(NX_OID_LOOPBACK, sent.oid);
    EXPECT_EQ(11u, sent.bufferLength);
    EXPECT_EQ(std::vector<uint8_t>({0x55, 0, 0, 0, 3, 0, 0, 0, 9, 8, 7}), fake.setBlock);
    fake.answerStatus = NX_STATUS_NOT_SUPPORTED;
    EXPECT_FALSE(W32N_DisableLoopback(kDevice, 0, 0, nullptr));
    EXPECT_FALSE(W32N_DisableLoopback(kDevice, 0, 4, nullptr)) << "null data with a length";
}

TEST_F(Seam, SetIsNeverCopiedBackEvenWhenDriverClaimsBytes) {
    AsNt();
    uint8_t data[8];
    memset(data, 0x42, sizeof data);
    NdisRequestRecord r = Query(data, sizeof data);
    r.requestType = NX_REQUEST_SET_INFORMATION;
    fake.answerWritten = 8;
    EXPECT_EQ(0u, W32N_MakeNdisRequest(kDevice, &r, &ov, 1));
    for (uint8_t b : data)
        EXPECT_EQ(0x42, b);
}

TEST_F(Seam, NeitherFamilyGetsNeutralResults) {
    fake.versionFails = true;
    EXPECT_EQ(0u, W32N_OSGetPlatformVersion(2));
    EXPECT_FALSE(W32N_IsWindowsNT());
    EXPECT_FALSE(W32N_IsWindows95());
    EXPECT_FALSE(W32N_IsWindows2000());
    EXPECT_EQ(nullptr, W32N_OpenAdapterA("0001"));
    EXPECT_FALSE(W32N_CloseAdapter(kDevice));
    EXPECT_EQ(INVALID_HANDLE_VALUE, W32N_OpenProtocolDriver());
    EXPECT_STREQ("Unknown", W32N_GetNetCardRegistryPath());
    W32N_ADAPTER_INFO info;
    EXPECT_EQ(120u, W32N_GetAdapterRegistryInfoBySubkey(&info, "0000"));
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(Seam, UnknownNtVersionIsNotImplementedButPathStillAnswers) {
    AsNt(6);
    EXPECT_TRUE(W32N_IsWindowsNT());
    EXPECT_FALSE(W32N_IsWindows2000());
    EXPECT_STREQ("Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards",
                 W32N_GetNetCardRegistryPath());
    W32N_ADAPTER_INFO info;
    EXPECT_EQ(120u, W32N_GetAdapterRegistryInfoBySubkey(&info, "0000"));
    EXPECT_STREQ("0000", info.name);
}

TEST_F(Seam, FamilyAnswersAreCachedForTheProcess) {
    AsNt();
    EXPECT_TRUE(W32N_IsWindowsNT());
    fake.platform = VER_PLATFORM_WIN32_WINDOWS;
    EXPECT_TRUE(W32N_IsWindowsNT()) << "the NT answer was computed again";
    EXPECT_TRUE(W32N_IsWindows95()) << "its first call asks the system";
}

TEST_F(Seam, NullRecordOrSubkeyIsRefusedNotDereferenced) {
    AsNt();
    W32N_ADAPTER_INFO info;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER),
              W32N_GetAdapterRegistryInfoBySubkey(nullptr, "0000"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER),
              W32N_GetAdapterRegistryInfo(&info, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER),
              W32N_GetAdapterRegistryInfoBySubkeyIndex(nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER),
              W32N_GetFirstAdapterRegistryInfo(nullptr));
}
