// NXPROTO.SYS packet loopback through raw DeviceIoControl: sends, reads
// (queued and pending), cancellation and limits.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <memory>
#include <vector>

#include "driver/NxCounters.h"
#include "driver/SimAdapter.h"
#include "sim/SimControl.h"
#include "tests/driver/DriverSession.h"

namespace {

// A packet buffer: header and data area, as the library lays it out.
struct PacketBuffer {
    explicit PacketBuffer(uint32_t capacity) : bytes(sizeof(PacketHeader) + capacity) {
        header().dataLength = capacity;
        header().status = NX_PACKET_PENDING;
    }
    PacketHeader& header() { return *reinterpret_cast<PacketHeader*>(bytes.data()); }
    uint8_t* data() { return bytes.data() + sizeof(PacketHeader); }
    DWORD size() const { return static_cast<DWORD>(bytes.size()); }
    std::vector<uint8_t> bytes;
};

// A read left outstanding: its own event and OVERLAPPED.
struct PendingRead {
    explicit PendingRead(uint32_t capacity) : packet(capacity) {
        event.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        ov.hEvent = event.get();
    }
    // Starts the read; returns the immediate error (997 while it waits).
    DWORD Start(HANDLE h) {
        handle = h;
        if (DeviceIoControl(h, NX_IOCTL_READ_PACKET, packet.bytes.data(), packet.size(),
                            packet.bytes.data(), packet.size(), &returned, &ov))
            return 0;
        return GetLastError();
    }
    bool Done(DWORD waitMs) { return WaitForSingleObject(event.get(), waitMs) == WAIT_OBJECT_0; }
    DWORD Result() {
        return GetOverlappedResult(handle, &ov, &returned, TRUE) ? 0 : GetLastError();
    }
    PacketBuffer packet;
    Handle event;
    OVERLAPPED ov = {};
    HANDLE handle = nullptr;
    DWORD returned = 0;
};

std::vector<uint8_t> Frame(uint8_t tag, size_t length) {
    std::vector<uint8_t> frame(length);
    for (size_t i = 0; i < length; ++i)
        frame[i] = static_cast<uint8_t>(tag + i);
    return frame;
}

class DriverPacket : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(0u, BindAdapter(handle_.get(), DefaultAdapterName()));
    }
    DWORD Send(HANDLE h, const std::vector<uint8_t>& frame) {
        return Control(h, NX_IOCTL_SEND_PACKET, frame.data(), static_cast<DWORD>(frame.size()),
                       nullptr, 0);
    }
    DWORD Read(HANDLE h, PacketBuffer& packet, DWORD* returned) {
        return Control(h, NX_IOCTL_READ_PACKET, packet.bytes.data(), packet.size(),
                       packet.bytes.data(), packet.size(), returned);
    }
    DWORD Cancel(HANDLE h, PacketBuffer& packet) {
        return Control(h, NX_IOCTL_CANCEL_READ, packet.bytes.data(), NX_CANCEL_READ_LENGTH,
                       packet.bytes.data(), NX_CANCEL_READ_LENGTH);
    }
    NxDriverCounters Counters(HANDLE h) {
        NxDriverCounters c = {};
        DWORD returned = 0;
        EXPECT_EQ(0u, Control(h, NX_IOCTL_SIM_COUNTERS, nullptr, 0, &c, sizeof c, &returned));
        EXPECT_EQ(sizeof c, returned);
        return c;
    }
    void SetLoopback(uint32_t value) {
        uint8_t block[8] = {};
        memcpy(block, &value, 4);
        NdisRequestRecord record =
            MakeRecord(NX_REQUEST_SET_INFORMATION, NX_OID_LOOPBACK, sizeof block, block);
        ASSERT_EQ(0u, SendRecord(handle_.get(), record, NX_IOCTL_PRIVATE_REQUEST));
        ASSERT_EQ(NX_STATUS_SUCCESS, record.status);
    }
};

TEST_F(DriverPacket, SentPacketsAreReadBackOldestFirstWithTheirLength) {
    std::vector<uint8_t> first = Frame(1, 60), second = Frame(100, 1514);
    ASSERT_EQ(0u, Send(handle_.get(), first));
    ASSERT_EQ(0u, Send(handle_.get(), second));
    PacketBuffer packet(1514);
    DWORD returned = 0;
    ASSERT_EQ(0u, Read(handle_.get(), packet, &returned));
    EXPECT_EQ(sizeof(PacketHeader) + first.size(), returned);
    EXPECT_EQ(0u, packet.header().status);
    EXPECT_EQ(0, memcmp(first.data(), packet.data(), first.size()));
    ASSERT_EQ(0u, Read(handle_.get(), packet, &returned));
    EXPECT_EQ(sizeof(PacketHeader) + second.size(), returned);
    EXPECT_EQ(0, memcmp(second.data(), packet.data(), second.size()));
}

TEST_F(DriverPacket, ReadWithNothingQueuedPendsUntilTheNextSend) {
    PendingRead read(1514);
    ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), read.Start(handle_.get()));
    EXPECT_FALSE(read.Done(100));
    std::vector<uint8_t> frame = Frame(7, 42);
    ASSERT_EQ(0u, Send(handle_.get(), frame));
    ASSERT_TRUE(read.Done(2000));
    ASSERT_EQ(0u, read.Result());
    EXPECT_EQ(sizeof(PacketHeader) + frame.size(), read.returned);
    EXPECT_EQ(0u, read.packet.header().status);
    EXPECT_EQ(0, memcmp(frame.data(), read.packet.data(), frame.size()));
}

TEST_F(DriverPacket, CancelCompletesEveryPendingReadOfTheHandleAsCancelled) {
    PendingRead a(100), b(100);
    ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), a.Start(handle_.get()));
    ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), b.Start(handle_.get()));
    PacketBuffer cancel(1);
    ASSERT_EQ(0u, Cancel(handle_.get(), cancel));
    EXPECT_EQ(2u, cancel.header().reserved1);
    ASSERT_TRUE(a.Done(2000));
    ASSERT_TRUE(b.Done(2000));
    EXPECT_EQ(static_cast<DWORD>(ERROR_OPERATION_ABORTED), a.Result());
    EXPECT_EQ(static_cast<DWORD>(ERROR_OPERATION_ABORTED), b.Result());
    // A later send is queued, not handed to a cancelled read.
    ASSERT_EQ(0u, Send(handle_.get(), Frame(3, 20)));
    DWORD returned = 0;
    PacketBuffer packet(100);
    ASSERT_EQ(0u, Read(handle_.get(), packet, &returned));
    EXPECT_EQ(sizeof(PacketHeader) + 20, returned);
}

TEST_F(DriverPacket, CancelIoOfTheCallerEndsItsPendingRead) {
    PendingRead read(100);
    ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), read.Start(handle_.get()));
    ASSERT_TRUE(CancelIo(handle_.get()));
    ASSERT_TRUE(read.Done(2000));
    EXPECT_EQ(static_cast<DWORD>(ERROR_OPERATION_ABORTED), read.Result());
}

TEST_F(DriverPacket, ClosingTheHandleEndsItsPendingRead) {
    PendingRead read(100);
    ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), read.Start(handle_.get()));
    handle_.Reset();
    ASSERT_TRUE(read.Done(2000)) << "read left waiting after close";
}

TEST_F(DriverPacket, OversizePacketIsRejectedAndNotQueued) {
    EXPECT_NE(0u, Send(handle_.get(), Frame(0, SIM_MAX_PACKET_DATA + 1)));
    EXPECT_NE(0u, Send(handle_.get(), std::vector<uint8_t>()));
    PendingRead read(2000);
    ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), read.Start(handle_.get()));
    EXPECT_FALSE(read.Done(100)) << "a rejected packet was delivered";
    PacketBuffer cancel(1);
    Cancel(handle_.get(), cancel);
    read.Done(2000);
}

TEST_F(DriverPacket, ReadDeclaringMoreDataThanItsBufferIsRefused) {
    ASSERT_EQ(0u, Send(handle_.get(), Frame(0, 64)));
    PacketBuffer packet(16);
    packet.header().dataLength = 4096; // larger than what follows the header
    DWORD returned = 0;
    EXPECT_NE(0u, Read(handle_.get(), packet, &returned));
    // The packet is still there for a sound read.
    PacketBuffer good(64);
    ASSERT_EQ(0u, Read(handle_.get(), good, &returned));
    EXPECT_EQ(sizeof(PacketHeader) + 64, returned);
}

TEST_F(DriverPacket, PacketLongerThanTheReadIsCutAndMarked) {
    ASSERT_EQ(0u, Send(handle_.get(), Frame(0, 200)));
    PacketBuffer packet(50);
    DWORD returned = 0;
    ASSERT_EQ(0u, Read(handle_.get(), packet, &returned));
    EXPECT_EQ(sizeof(PacketHeader) + 50, returned);
    EXPECT_NE(0u, packet.header().status);
}

TEST_F(DriverPacket, QueueKeepsOnlyTheNewestPackets) {
    for (uint32_t i = 0; i < SIM_MAX_QUEUED_PACKETS + 10; ++i) {
        std::vector<uint8_t> frame(8);
        memcpy(frame.data(), &i, 4);
        ASSERT_EQ(0u, Send(handle_.get(), frame));
    }
    PacketBuffer packet(8);
    DWORD returned = 0;
    ASSERT_EQ(0u, Read(handle_.get(), packet, &returned));
    uint32_t first = 0;
    memcpy(&first, packet.data(), 4);
    EXPECT_EQ(10u, first) << "oldest packets should have been dropped";
}

TEST_F(DriverPacket, PacketsOnUnboundHandleAreRefused) {
    Handle unbound = OpenDriver();
    EXPECT_NE(0u, Send(unbound.get(), Frame(0, 60)));
    PacketBuffer packet(60);
    DWORD returned = 0;
    EXPECT_NE(0u, Read(unbound.get(), packet, &returned));
}

// Every name in the world is a name of the one simulated adapter, so a
// binding by its NT 4.0 name sees what one by its 2000/XP name sends.
TEST_F(DriverPacket, EveryBindingOfTheSimulatedAdapterReceivesSentPackets) {
    Handle other = OpenDriver();
    ASSERT_EQ(0u, BindAdapter(other.get(), DefaultAdapterName()));
    Handle nt4 = OpenDriver();
    ASSERT_EQ(0u, BindAdapter(nt4.get(), std::string("\\Device\\") + NX_SIM_NT4_SERVICE_NAME));
    ASSERT_EQ(0u, Send(handle_.get(), Frame(9, 30)));
    for (HANDLE h : {other.get(), nt4.get(), handle_.get()}) {
        PacketBuffer packet(100);
        DWORD returned = 0;
        ASSERT_EQ(0u, Read(h, packet, &returned));
        EXPECT_EQ(sizeof(PacketHeader) + 30, returned);
        EXPECT_EQ(0, memcmp(Frame(9, 30).data(), packet.data(), 30));
    }
}

TEST_F(DriverPacket, DisabledLoopbackKeepsOwnPacketsFromOwnReads) {
    Handle other = OpenDriver();
    ASSERT_EQ(0u, BindAdapter(other.get(), DefaultAdapterName()));
    SetLoopback(1);
    ASSERT_EQ(0u, Send(handle_.get(), Frame(5, 30)));
    PacketBuffer packet(100);
    DWORD returned = 0;
    ASSERT_EQ(0u, Read(other.get(), packet, &returned)) << "others must still receive it";
    PendingRead read(100);
    ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), read.Start(handle_.get()));
    EXPECT_FALSE(read.Done(100));
    SetLoopback(0);
    ASSERT_EQ(0u, Send(handle_.get(), Frame(6, 31)));
    ASSERT_TRUE(read.Done(2000));
    ASSERT_EQ(0u, read.Result());
    EXPECT_EQ(sizeof(PacketHeader) + 31, read.returned);
}

TEST_F(DriverPacket, WriteAndReadFileCarryPacketsToo) {
    std::vector<uint8_t> frame = Frame(11, 77);
    Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED ov = {};
    ov.hEvent = event.get();
    DWORD done = 0;
    if (!WriteFile(handle_.get(), frame.data(), 77, &done, &ov)) {
        ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), GetLastError());
    }
    ASSERT_TRUE(GetOverlappedResult(handle_.get(), &ov, &done, TRUE));
    EXPECT_EQ(77u, done);
    PacketBuffer packet(200);
    ResetEvent(event.get());
    ov = OVERLAPPED();
    ov.hEvent = event.get();
    if (!ReadFile(handle_.get(), packet.bytes.data(), packet.size(), &done, &ov)) {
        ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), GetLastError());
    }
    ASSERT_TRUE(GetOverlappedResult(handle_.get(), &ov, &done, TRUE));
    EXPECT_EQ(sizeof(PacketHeader) + 77, done);
    EXPECT_EQ(0, memcmp(frame.data(), packet.data(), 77));
}

} // namespace

namespace {

struct Hammer {
    HANDLE handle;
    volatile LONG* stop;
    LONG failures = 0;
    LONG rounds = 0;
};

// Requests, sends and reads at once from two threads on two bindings: the
// driver's locks must neither deadlock nor lose a packet's worth of state.
DWORD WINAPI RequestLoop(void* arg) {
    Hammer* h = static_cast<Hammer*>(arg);
    while (!*h->stop) {
        AdapterStatusSnapshot s;
        if (!QuerySnapshot(h->handle, s))
            ++h->failures;
        ++h->rounds;
    }
    return 0;
}

TEST_F(DriverPacket, ConcurrentRequestsAndPacketsNeitherStallNorFail) {
    Handle other = OpenDriver();
    ASSERT_EQ(0u, BindAdapter(other.get(), DefaultAdapterName()));
    volatile LONG stop = 0;
    Hammer hammer{other.get(), &stop};
    HANDLE thread = CreateThread(nullptr, 0, RequestLoop, &hammer, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    int delivered = 0, otherDelivered = 0;
    for (int i = 0; i < 200; ++i) {
        PendingRead read(100);
        DWORD started = read.Start(handle_.get());
        ASSERT_TRUE(started == 0 || started == ERROR_IO_PENDING) << started;
        ASSERT_EQ(0u, Send(handle_.get(), Frame(static_cast<uint8_t>(i), 40)));
        ASSERT_TRUE(read.Done(5000)) << "read stalled at round " << i;
        if (read.Result() == 0 && read.returned == sizeof(PacketHeader) + 40)
            ++delivered;
        // The other binding received it too.
        PendingRead drain(100);
        drain.Start(other.get());
        if (!drain.Done(5000)) {
            CancelIo(other.get()); // never leave a read on a buffer that goes away
            drain.Done(5000);
        } else if (drain.Result() == 0) {
            ++otherDelivered;
        }
    }
    stop = 1;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
    EXPECT_EQ(200, delivered);
    EXPECT_EQ(200, otherDelivered);
    EXPECT_EQ(0, hammer.failures);
    EXPECT_GT(hammer.rounds, 0);
}

} // namespace

TEST_F(DriverPacket, ClosedBindingsLeaveNoPendingReadQueuedPacketOrOpenIrp) {
    NxDriverCounters before = Counters(handle_.get());
    EXPECT_EQ(0u, before.irpsOutstanding);
    {
        Handle other = OpenDriver();
        ASSERT_EQ(0u, BindAdapter(other.get(), DefaultAdapterName()));
        PendingRead read(1514);
        ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), read.Start(other.get()));
        // Two bindings (this one and `other`), then a third that is never bound.
        Handle unbound = OpenDriver();
        NxDriverCounters busy = Counters(unbound.get());
        EXPECT_EQ(before.bindingsOpen + 2, busy.bindingsOpen);
        EXPECT_EQ(before.bindingsCreated + 2, busy.bindingsCreated);
        EXPECT_EQ(1u, busy.readsPending);
        EXPECT_EQ(1u, busy.irpsOutstanding) << "the pending read";
        // The first send goes into the read, the others queue on both bindings.
        for (uint8_t tag = 0; tag < 3; ++tag)
            ASSERT_EQ(0u, Send(handle_.get(), Frame(tag, 64)));
        ASSERT_TRUE(read.Done(2000));
        busy = Counters(unbound.get());
        EXPECT_EQ(0u, busy.readsPending);
        EXPECT_EQ(before.packetsQueued + 5, busy.packetsQueued);
    }
    // `other` closed with packets queued; this handle still holds its three.
    PacketBuffer packet(1514);
    DWORD returned = 0;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(0u, Read(handle_.get(), packet, &returned));
    NxDriverCounters after = Counters(handle_.get());
    EXPECT_EQ(before.bindingsOpen, after.bindingsOpen);
    EXPECT_EQ(0u, after.readsPending);
    EXPECT_EQ(0u, after.packetsQueued);
    EXPECT_EQ(after.packetsAllocated, after.packetsFreed) << "packets leaked";
    EXPECT_EQ(0u, after.irpsOutstanding) << "IRPs left uncompleted";
}
