#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "device/d2xx/event.h"
#include "host_capture.h"
#include "sim/sim_d2xx.h"

namespace qs40::sim {
namespace {

using namespace std::chrono_literals;

SimOptions manualOptions(std::vector<AttachedDevice> devices = {AttachedDevice::Zr40}) {
    SimOptions o;
    o.clock = SimClock::Manual;
    o.instrument.bytesPerSecond = 0;
    o.devices = std::move(devices);
    return o;
}

class SimD2xxTest : public ::testing::Test {
protected:
    SimD2xx d2xx{
        manualOptions({AttachedDevice::Foreign, AttachedDevice::Zr40, AttachedDevice::OldScope})};

    FtHandle open(std::size_t device) {
        FtHandle h = kNoHandle;
        EXPECT_EQ(d2xx.openByLocation(d2xx.location(device), h), FT_OK);
        return h;
    }
    std::uint32_t queue(FtHandle h) {
        std::uint32_t n = 0;
        EXPECT_EQ(d2xx.getQueueStatus(h, n), FT_OK);
        return n;
    }
};

TEST_F(SimD2xxTest, ListsTheAttachedDevicesInOrder) {
    std::uint32_t count = 0;
    ASSERT_EQ(d2xx.listDeviceCount(count), FT_OK);
    EXPECT_EQ(count, 3u);
    const char* expected[] = {"FT232R USB UART", "Digital Oscilloscope ZR40",
                              "Digital Oscilloscope"};
    for (std::uint32_t i = 0; i < 3; ++i) {
        std::string d;
        std::uint32_t loc = 0;
        EXPECT_EQ(d2xx.listDescription(i, d), FT_OK);
        EXPECT_EQ(d, expected[i]);
        EXPECT_EQ(d2xx.listLocation(i, loc), FT_OK);
        EXPECT_EQ(loc, d2xx.location(i));
    }
    std::string d;
    std::uint32_t loc = 0;
    EXPECT_EQ(d2xx.listDescription(3, d), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(d2xx.listLocation(3, loc), FT_DEVICE_NOT_FOUND);
}

TEST_F(SimD2xxTest, OpenOnceCloseAndClosedHandlesAreInvalid) {
    const FtHandle h = open(1);
    FtHandle again = kNoHandle;
    EXPECT_EQ(d2xx.openByLocation(d2xx.location(1), again), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(d2xx.openByLocation(0xDEAD, again), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(d2xx.close(h), FT_OK);

    std::uint32_t n = 0, w = 0;
    std::uint8_t b[4]{};
    EXPECT_EQ(d2xx.close(h), FT_INVALID_HANDLE);
    EXPECT_EQ(d2xx.getQueueStatus(h, n), FT_INVALID_HANDLE);
    EXPECT_EQ(d2xx.read(h, b, 4, n), FT_INVALID_HANDLE);
    EXPECT_EQ(d2xx.write(h, b, 4, w), FT_INVALID_HANDLE);
    EXPECT_EQ(d2xx.setBaudRate(h, 2000000), FT_INVALID_HANDLE);
    EXPECT_EQ(d2xx.resetPort(h), FT_INVALID_HANDLE);
    EXPECT_EQ(d2xx.purge(kNoHandle, FT_PURGE_RX), FT_INVALID_HANDLE);

    const FtHandle next = open(1); // a new number, never the old one
    EXPECT_NE(next, h);
}

TEST_F(SimD2xxTest, StatusBytesBecomeReadableAsTimeMovesAndRaiseTheEvent) {
    const FtHandle h = open(1);
    Event event;
    ASSERT_EQ(d2xx.setEventNotification(h, FT_EVENT_RXCHAR, &event), FT_OK);
    d2xx.advance(100ms);
    EXPECT_TRUE(event.isSet());
    EXPECT_EQ(queue(h), 2 * kStatusPacketBytes); // at 0 and 100 ms
    d2xx.purge(h, FT_PURGE_RX);
    EXPECT_EQ(queue(h), 0u);

    event.reset();
    d2xx.advance(50ms);
    EXPECT_FALSE(event.isSet()); // nothing new
    d2xx.advance(50ms);
    EXPECT_TRUE(event.isSet());

    std::vector<std::uint8_t> buf(1000);
    std::uint32_t got = 0;
    EXPECT_EQ(d2xx.read(h, buf.data(), 1000, got), FT_OK); // manual clock: no waiting
    EXPECT_EQ(got, kStatusPacketBytes);
    EXPECT_EQ(buf[0], kSyncByte);
    EXPECT_EQ(buf[1], kStatusType);
}

TEST_F(SimD2xxTest, DevicesWithoutTheInstrumentTakeWritesAndNeverAnswer) {
    for (std::size_t dev : {0u, 2u}) {
        const FtHandle h = open(dev);
        std::uint32_t w = 0;
        const std::uint8_t marker = kCommandMarker;
        EXPECT_EQ(d2xx.write(h, &marker, 1, w), FT_OK);
        EXPECT_EQ(w, 1u);
        d2xx.advance(300ms);
        EXPECT_EQ(queue(h), 0u);
    }
}

TEST_F(SimD2xxTest, WriteLimitMakesShortWrites) {
    const FtHandle h = open(1);
    d2xx.setWriteLimit(100);
    const std::vector<std::uint8_t> bytes(300, 0);
    std::uint32_t w = 0;
    EXPECT_EQ(d2xx.write(h, bytes.data(), 300, w), FT_OK);
    EXPECT_EQ(w, 100u);
}

TEST_F(SimD2xxTest, UnplugFailsEveryCallUntilReplugAndReopen) {
    const FtHandle h = open(1);
    d2xx.withInstrument(1, [](Instrument& i) { EXPECT_FALSE(i.configured()); });
    d2xx.unplug(1);
    std::uint32_t n = 0;
    EXPECT_EQ(d2xx.getQueueStatus(h, n), FT_IO_ERROR);
    std::uint8_t b[4]{};
    EXPECT_EQ(d2xx.read(h, b, 4, n), FT_IO_ERROR);
    EXPECT_EQ(d2xx.listDeviceCount(n), FT_OK);
    EXPECT_EQ(n, 2u);
    FtHandle again = kNoHandle;
    EXPECT_EQ(d2xx.openByLocation(d2xx.location(1), again), FT_DEVICE_NOT_FOUND);

    d2xx.replug(1);
    EXPECT_EQ(d2xx.getQueueStatus(h, n), FT_IO_ERROR); // the old handle stays dead
    const FtHandle fresh = open(1);
    EXPECT_EQ(d2xx.getQueueStatus(fresh, n), FT_OK);
    EXPECT_EQ(d2xx.close(h), FT_OK); // releasing the dead handle is still allowed
}

TEST_F(SimD2xxTest, PortResetRestartsTheInstrumentAndEndsTheHandle) {
    const FtHandle h = open(1);
    std::uint32_t w = 0;
    const auto load = test::fpgaLoad(kFpgaImageSize);
    d2xx.write(h, load.data(), static_cast<std::uint32_t>(load.size()), w);
    d2xx.withInstrument(1, [](Instrument& i) { EXPECT_TRUE(i.configured()); });
    EXPECT_EQ(d2xx.resetPort(h), FT_OK);
    std::uint32_t n = 0;
    EXPECT_EQ(d2xx.getQueueStatus(h, n), FT_IO_ERROR);
    const FtHandle fresh = open(1); // opened again without closing the old one
    EXPECT_EQ(d2xx.getQueueStatus(fresh, n), FT_OK);
    d2xx.withInstrument(1, [](Instrument& i) { EXPECT_FALSE(i.configured()); });
}

// Realtime clock: a reader blocked on the read time-out, a second thread probing and closing.
TEST(SimD2xxRealtime, BlockedReadEndsWhenTheHandleIsClosedFromAnotherThread) {
    SimOptions o;
    o.devices = {AttachedDevice::Foreign}; // never answers: reads wait
    SimD2xx d2xx(o);
    FtHandle h = kNoHandle;
    ASSERT_EQ(d2xx.openByLocation(d2xx.location(0), h), FT_OK);
    d2xx.setTimeouts(h, 0, 500); // wait without limit
    std::atomic<FtStatus> readStatus{FT_OK};
    std::atomic<bool> reading{false};
    std::thread reader([&] {
        std::uint8_t b[16];
        std::uint32_t got = 0;
        reading = true;
        readStatus = d2xx.read(h, b, sizeof b, got);
    });
    while (!reading)
        std::this_thread::yield();
    std::uint32_t n = 0;
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(d2xx.getQueueStatus(h, n), FT_OK);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(d2xx.close(h), FT_OK);
    reader.join();
    EXPECT_EQ(readStatus.load(), FT_INVALID_HANDLE);
}

TEST(SimD2xxRealtime, ReadWaitsForTheBytesAskedFor) {
    SimD2xx d2xx(SimOptions{}); // real pace: the first status packet takes 525 us on the line
    FtHandle h = kNoHandle;
    ASSERT_EQ(d2xx.openByLocation(d2xx.location(0), h), FT_OK);
    d2xx.setTimeouts(h, 5000, 500);
    std::vector<std::uint8_t> buf(kStatusPacketBytes);
    std::uint32_t got = 0;
    ASSERT_EQ(d2xx.read(h, buf.data(), static_cast<std::uint32_t>(buf.size()), got), FT_OK);
    ASSERT_EQ(got, buf.size());
    EXPECT_EQ(buf[0], kSyncByte);
    EXPECT_EQ(buf[1], kStatusType);
}

} // namespace
} // namespace qs40::sim
