// What d2xx.h promises, held against every backend: the simulated instrument's, the serial-port
// backend over a pseudo-terminal, and the libftdi1 backend over a scripted chip. Each fixture
// knows how to make a device, how bytes arrive from it, what it received, and how it is lost;
// the cases are written once.
#include "device/d2xx/d2xx.h"
#include "device/d2xx/event.h"
#include "device/d2xx/ftdi_backend.h"
#include "device/d2xx/tty_backend.h"
#include "pty_pair.h"
#include "scripted_ftdi.h"
#include "sim/sim_d2xx.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>
#include <utility>

namespace qs40 {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Generous: only a broken backend gets near it.
constexpr auto kLong = 10s;

// A device without instrument behind it, which the test plays.
class SimBackend {
public:
    static constexpr const char* kName = "Simulator";
    D2xx& d2xx() { return sim_; }
    std::uint32_t location() const { return sim_.location(0); }
    void arrive(const Bytes& bytes) { sim_.sendFrom(0, bytes); }
    Bytes received(std::size_t) { return sim_.takeWritten(0); } // writes arrive at once
    void lose() { sim_.unplug(0); }

private:
    static sim::SimOptions options() {
        sim::SimOptions o;
        o.devices = {sim::AttachedDevice::Foreign};
        o.clock = sim::SimClock::Realtime; // reads wait as they do on a real device
        return o;
    }
    sim::SimD2xx sim_{options()};
};

class PtyBackend {
public:
    static constexpr const char* kName = "SerialPort";
    D2xx& d2xx() { return *tty_; }
    std::uint32_t location() const { return kExplicitTtyLocation; }
    void arrive(const Bytes& bytes) { pty_.send(bytes); }
    Bytes received(std::size_t count) { return pty_.receive(count); }
    void lose() { pty_.closeMaster(); } // as an unplugged adapter: the terminal hangs up

private:
    testing::PtyPair pty_;
    std::unique_ptr<TtyD2xx> tty_ = TtyD2xx::forPath(pty_.slavePath());
};

class FtdiBackend {
public:
    static constexpr const char* kName = "Libftdi";
    D2xx& d2xx() { return ftdi_; }
    std::uint32_t location() const { return chip_->location(); }
    void arrive(const Bytes& bytes) { chip_->send(bytes); }
    Bytes received(std::size_t count) { return chip_->written(count); }
    void lose() { chip_->unplug(); }

private:
    std::shared_ptr<testing::ScriptedChip> chip_ =
        std::make_shared<testing::ScriptedChip>(0x01000140u, "FT232R USB UART");
    FtdiD2xx ftdi_{std::make_unique<testing::ScriptedFtdiBus>(
        std::vector<std::shared_ptr<testing::ScriptedChip>>{chip_})};
};

struct BackendNames {
    template <class Backend> static std::string GetName(int) { return Backend::kName; }
};

// What the calls leave in their outputs.
struct Outputs {
    std::uint32_t a = 0, b = 0, c = 0;
    std::uint8_t byte = 0x5A;
    Event event;
};

struct HandleCall {
    const char* name;
    std::function<FtStatus()> call;
    bool counts; // leaves counts in the outputs
};

// Every call that takes a handle, except close; the port reset last, as it ends the handle.
std::vector<HandleCall> everyHandleCall(D2xx& d2xx, FtHandle h, Outputs& o) {
    return {
        {"resetDevice", [&, h] { return d2xx.resetDevice(h); }, false},
        {"setBaudRate", [&, h] { return d2xx.setBaudRate(h, 2000000); }, false},
        {"setDataCharacteristics",
         [&, h] {
             return d2xx.setDataCharacteristics(h, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
         },
         false},
        {"setFlowControl", [&, h] { return d2xx.setFlowControl(h, FT_FLOW_NONE, 0x13, 0x17); },
         false},
        {"setTimeouts", [&, h] { return d2xx.setTimeouts(h, 500, 500); }, false},
        {"purge", [&, h] { return d2xx.purge(h, FT_PURGE_RX | FT_PURGE_TX); }, false},
        {"setLatencyTimer", [&, h] { return d2xx.setLatencyTimer(h, 0); }, false},
        {"setEventNotification",
         [&, h] { return d2xx.setEventNotification(h, FT_EVENT_RXCHAR, &o.event); }, false},
        {"getQueueStatus", [&, h] { return d2xx.getQueueStatus(h, o.a); }, true},
        {"getStatus", [&, h] { return d2xx.getStatus(h, o.a, o.b, o.c); }, true},
        {"read", [&, h] { return d2xx.read(h, &o.byte, 1, o.a); }, true},
        {"write", [&, h] { return d2xx.write(h, &o.byte, 1, o.a); }, true},
        {"resetPort", [&, h] { return d2xx.resetPort(h); }, false},
    };
}

// Every call but close gives `expected`, leaves no count behind and signals nothing.
void expectEveryCallGives(D2xx& d2xx, FtHandle h, FtStatus expected) {
    Outputs o;
    for (const auto& c : everyHandleCall(d2xx, h, o)) {
        o.a = o.b = o.c = 77;
        EXPECT_EQ(c.call(), expected) << c.name << " on handle " << h;
        if (c.counts) {
            EXPECT_EQ(o.a, 0u) << c.name;
        }
        if (c.name == std::string("getStatus")) {
            EXPECT_EQ(o.b, 0u);
            EXPECT_EQ(o.c, 0u);
        }
    }
    EXPECT_FALSE(o.event.isSet());
}

template <class Backend> class D2xxContract : public ::testing::Test {
protected:
    void SetUp() override {
        std::uint32_t count = 0;
        ASSERT_EQ(d2xx().listDeviceCount(count), FT_OK);
        ASSERT_EQ(count, 1u);
        ASSERT_EQ(d2xx().openByLocation(device.location(), handle), FT_OK);
        ASSERT_NE(handle, kNoHandle);
    }

    D2xx& d2xx() { return device.d2xx(); }

    Bytes readBytes(std::uint32_t length, FtHandle h) {
        Bytes buffer(length);
        std::uint32_t got = 0;
        EXPECT_EQ(d2xx().read(h, buffer.data(), length, got), FT_OK);
        buffer.resize(got);
        return buffer;
    }
    Bytes readBytes(std::uint32_t length) { return readBytes(length, handle); }

    // Waits (boundedly) until `count` bytes are there to be read.
    std::uint32_t waitForQueue(std::uint32_t count) {
        std::uint32_t queued = 0;
        const auto deadline = std::chrono::steady_clock::now() + kLong;
        while (d2xx().getQueueStatus(handle, queued) == FT_OK && queued < count &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        return queued;
    }

    // Waits (boundedly) until the status query notices the loss; its status.
    FtStatus waitForLoss() {
        std::uint32_t queued = 0;
        FtStatus status = FT_OK;
        const auto deadline = std::chrono::steady_clock::now() + kLong;
        while ((status = d2xx().getQueueStatus(handle, queued)) == FT_OK &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        return status;
    }

    Backend device;
    FtHandle handle = kNoHandle;
};

using Backends = ::testing::Types<SimBackend, PtyBackend, FtdiBackend>;
TYPED_TEST_SUITE(D2xxContract, Backends, BackendNames);

TYPED_TEST(D2xxContract, ListsTheDeviceAndNothingPastIt) {
    std::uint32_t location = 0;
    std::string description;
    EXPECT_EQ(this->d2xx().listLocation(0, location), FT_OK);
    EXPECT_EQ(location, this->device.location());
    EXPECT_EQ(this->d2xx().listDescription(0, description), FT_OK);
    EXPECT_FALSE(description.empty());
    EXPECT_LT(description.size(), kDescriptionBufferSize);

    EXPECT_EQ(this->d2xx().listLocation(1, location), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(location, 0u);
    EXPECT_EQ(this->d2xx().listDescription(1, description), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(description, "");
}

TYPED_TEST(D2xxContract, OneHandleHoldsTheDeviceFromOpenToClose) {
    D2xx& d2xx = this->d2xx();
    FtHandle second = 77;
    EXPECT_EQ(d2xx.openByLocation(this->device.location(), second), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(second, kNoHandle);
    FtHandle unknown = 77;
    EXPECT_EQ(d2xx.openByLocation(0x7FFFFFF0u, unknown), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(unknown, kNoHandle);

    EXPECT_EQ(d2xx.close(this->handle), FT_OK);
    EXPECT_EQ(d2xx.close(this->handle), FT_INVALID_HANDLE);
    FtHandle again = kNoHandle;
    ASSERT_EQ(d2xx.openByLocation(this->device.location(), again), FT_OK);
    EXPECT_NE(again, kNoHandle);
    EXPECT_NE(again, this->handle) << "a closed handle's number is not given out again";
    EXPECT_EQ(d2xx.close(again), FT_OK);
}

TYPED_TEST(D2xxContract, ClosedOrUnknownHandleGivesInvalidHandleFromEveryCall) {
    ASSERT_EQ(this->d2xx().close(this->handle), FT_OK);
    this->device.arrive({1, 2, 3});
    for (const FtHandle h : {this->handle, kNoHandle, this->handle + 1000})
        expectEveryCallGives(this->d2xx(), h, FT_INVALID_HANDLE);
}

TYPED_TEST(D2xxContract, ShortTimeOutReturnsWhatArrivedByThen) {
    ASSERT_EQ(this->d2xx().setTimeouts(this->handle, 30, 30), FT_OK);
    EXPECT_EQ(this->readBytes(8), Bytes{}) << "nothing to read: the time-out passes";
    this->device.arrive({7, 8, 9});
    ASSERT_EQ(this->waitForQueue(3), 3u);
    EXPECT_EQ(this->readBytes(8), (Bytes{7, 8, 9}));
}

// Were a time-out of 0 "do not wait", the read would come back empty before the bytes arrive.
TYPED_TEST(D2xxContract, ZeroTimeOutWaitsForEveryByteAskedFor) {
    ASSERT_EQ(this->d2xx().setTimeouts(this->handle, 0, 0), FT_OK);
    auto reading = std::async(std::launch::async, [this] { return this->readBytes(6); });
    std::this_thread::sleep_for(50ms);
    this->device.arrive({1, 2, 3});
    std::this_thread::sleep_for(20ms);
    this->device.arrive({4, 5, 6});
    ASSERT_EQ(reading.wait_for(kLong), std::future_status::ready);
    EXPECT_EQ(reading.get(), (Bytes{1, 2, 3, 4, 5, 6}));
}

TYPED_TEST(D2xxContract, CloseEndsAReadWaitingWithoutLimit) {
    ASSERT_EQ(this->d2xx().setTimeouts(this->handle, 0, 0), FT_OK);
    auto reading = std::async(std::launch::async, [this] {
        std::uint8_t buffer[4];
        std::uint32_t got = 77;
        const FtStatus status = this->d2xx().read(this->handle, buffer, 4, got);
        return std::pair(status, got);
    });
    std::this_thread::sleep_for(20ms);
    ASSERT_EQ(this->d2xx().close(this->handle), FT_OK);
    ASSERT_EQ(reading.wait_for(kLong), std::future_status::ready);
    const auto [status, got] = reading.get();
    EXPECT_EQ(status, FT_INVALID_HANDLE);
    EXPECT_EQ(got, 0u);
}

TYPED_TEST(D2xxContract, WrittenBytesReachTheDeviceAndItsAnswerIsRead) {
    ASSERT_EQ(this->d2xx().setTimeouts(this->handle, 10000, 10000), FT_OK);
    const Bytes out = {0xFA, 0x00, 0x13, 0x17, 0x0A, 0x0D, 0xFF};
    std::uint32_t written = 0;
    ASSERT_EQ(this->d2xx().write(this->handle, out.data(), 7, written), FT_OK);
    EXPECT_EQ(written, 7u);
    const Bytes received = this->device.received(out.size());
    EXPECT_EQ(received, out) << "raw: no byte is translated or swallowed";
    this->device.arrive(Bytes(received.rbegin(), received.rend()));
    EXPECT_EQ(this->readBytes(7), Bytes(out.rbegin(), out.rend()));
}

TYPED_TEST(D2xxContract, ArrivingBytesSignalTheEventAndStayToBeRead) {
    D2xx& d2xx = this->d2xx();
    Event wake;
    ASSERT_EQ(d2xx.setEventNotification(this->handle, FT_EVENT_RXCHAR, &wake), FT_OK);
    EXPECT_FALSE(wake.isSet());
    this->device.arrive({0x55});
    EXPECT_TRUE(wake.wait(kLong));
    wake.reset();
    this->device.arrive({0x56});
    EXPECT_TRUE(wake.wait(kLong));
    ASSERT_EQ(this->waitForQueue(2), 2u);

    std::uint32_t rx = 0, tx = 77, events = 0;
    ASSERT_EQ(d2xx.getStatus(this->handle, rx, tx, events), FT_OK);
    EXPECT_EQ(rx, 2u);
    EXPECT_EQ(events, FT_EVENT_RXCHAR);
    EXPECT_EQ(this->readBytes(2), (Bytes{0x55, 0x56})) << "the notification takes no bytes";
    ASSERT_EQ(d2xx.getStatus(this->handle, rx, tx, events), FT_OK);
    EXPECT_EQ(rx, 0u);
    EXPECT_EQ(events, 0u) << "nothing arrived since the last look";

    // Without notification nothing is signalled; bytes waiting signal a new one at once.
    wake.reset();
    ASSERT_EQ(d2xx.setEventNotification(this->handle, 0, nullptr), FT_OK);
    this->device.arrive({0x57});
    ASSERT_EQ(this->waitForQueue(1), 1u);
    EXPECT_FALSE(wake.isSet());
    Event later;
    ASSERT_EQ(d2xx.setEventNotification(this->handle, FT_EVENT_RXCHAR, &later), FT_OK);
    EXPECT_TRUE(later.isSet());
    ASSERT_EQ(d2xx.setEventNotification(this->handle, FT_EVENT_RXCHAR, nullptr), FT_OK);
}

TYPED_TEST(D2xxContract, PurgeDropsWhatWasReceived) {
    D2xx& d2xx = this->d2xx();
    this->device.arrive({1, 2, 3});
    ASSERT_EQ(this->waitForQueue(3), 3u);
    EXPECT_EQ(d2xx.purge(this->handle, 0), FT_INVALID_PARAMETER);
    ASSERT_EQ(d2xx.purge(this->handle, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    std::uint32_t rx = 77;
    ASSERT_EQ(d2xx.getQueueStatus(this->handle, rx), FT_OK);
    EXPECT_EQ(rx, 0u);
    ASSERT_EQ(d2xx.setTimeouts(this->handle, 20, 20), FT_OK);
    EXPECT_EQ(this->readBytes(3), Bytes{});
    this->device.arrive({4});
    ASSERT_EQ(this->waitForQueue(1), 1u);
    EXPECT_EQ(this->readBytes(1), Bytes{4}) << "bytes after the purge arrive";
}

TYPED_TEST(D2xxContract, PortResetFinishesTheHandleAndTheDeviceOpensAgain) {
    D2xx& d2xx = this->d2xx();
    this->device.arrive({9});
    ASSERT_EQ(this->waitForQueue(1), 1u);
    ASSERT_EQ(d2xx.resetPort(this->handle), FT_OK);
    expectEveryCallGives(d2xx, this->handle, FT_IO_ERROR);

    // The recovery opens the device again without closing the old handle first.
    FtHandle fresh = kNoHandle;
    ASSERT_EQ(d2xx.openByLocation(this->device.location(), fresh), FT_OK);
    EXPECT_NE(fresh, this->handle);
    const std::uint8_t byte = 0x3C;
    std::uint32_t written = 0;
    ASSERT_EQ(d2xx.write(fresh, &byte, 1, written), FT_OK);
    EXPECT_EQ(this->device.received(1), Bytes{0x3C});
    this->device.arrive({0x3D});
    ASSERT_EQ(d2xx.setTimeouts(fresh, 10000, 10000), FT_OK);
    EXPECT_EQ(this->readBytes(1, fresh), Bytes{0x3D}) << "nothing of the old handle's is left";

    EXPECT_EQ(d2xx.close(this->handle), FT_OK);
    EXPECT_EQ(d2xx.close(this->handle), FT_INVALID_HANDLE);
    EXPECT_EQ(d2xx.close(fresh), FT_OK);
}

TYPED_TEST(D2xxContract, LostDeviceFailsEveryCallAfterWhatArrivedBeforeIsRead) {
    D2xx& d2xx = this->d2xx();
    Event wake;
    ASSERT_EQ(d2xx.setEventNotification(this->handle, FT_EVENT_RXCHAR, &wake), FT_OK);
    this->device.arrive({0x42});
    ASSERT_TRUE(wake.wait(kLong)) << "the byte is in the backend's hands";
    ASSERT_EQ(d2xx.setTimeouts(this->handle, 0, 0), FT_OK);
    // Waiting for more than there is, without limit: the loss ends the wait.
    auto reading = std::async(std::launch::async, [this] { return this->readBytes(4); });

    this->device.lose();
    ASSERT_EQ(reading.wait_for(kLong), std::future_status::ready);
    EXPECT_EQ(reading.get(), Bytes{0x42});
    EXPECT_EQ(this->waitForLoss(), FT_IO_ERROR);
    expectEveryCallGives(d2xx, this->handle, FT_IO_ERROR);
    EXPECT_EQ(d2xx.close(this->handle), FT_OK);
    EXPECT_EQ(d2xx.close(this->handle), FT_INVALID_HANDLE);
}

} // namespace
} // namespace qs40
