#include "device/d2xx/d2xx.h"
#include "device/d2xx/event.h"
#include "device/d2xx/ftdi_reader.h"
#include "device/d2xx/receive_queue.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <future>
#include <libusb.h>
#include <mutex>
#include <thread>

namespace qs40 {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr auto kLong = 10s;
constexpr std::size_t kPacket = 8;

// The chip's bulk-in endpoint, played from a script: each transfer takes the next step. With
// the script used up it answers as an idle chip does, with status-only packets, or with `flood`
// set, with a packet of data every time. A step may hold its transfer until released.
class ScriptedBulkIn final : public BulkIn {
public:
    struct Step {
        int result = LIBUSB_SUCCESS;
        Bytes received; // as the chip sent it, status bytes included
        bool held = false;
    };

    void add(Step step) {
        std::lock_guard lock(mutex_);
        script_.push_back(std::move(step));
    }
    // A transfer of one packet carrying `payload`.
    void addData(const Bytes& payload) {
        Bytes received{0x01, 0x60};
        received.insert(received.end(), payload.begin(), payload.end());
        add({LIBUSB_SUCCESS, received, false});
    }
    void setFlood(bool on) {
        std::lock_guard lock(mutex_);
        flood_ = on;
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    // Waits (boundedly) until a held step is in its transfer.
    bool waitUntilHolding() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kLong, [this] { return holding_; });
    }
    // Waits (boundedly) until `count` transfers have begun.
    bool waitForTransfers(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kLong, [&] { return transfers_ >= count; });
    }
    int transfers() const {
        std::lock_guard lock(mutex_);
        return transfers_;
    }
    int halts() const {
        std::lock_guard lock(mutex_);
        return halts_;
    }
    bool scriptDone() const {
        std::lock_guard lock(mutex_);
        return script_.empty();
    }

    int transfer(std::uint8_t* buffer, int length, int& transferred, unsigned timeoutMs) override {
        std::unique_lock lock(mutex_);
        ++transfers_;
        changed_.notify_all();
        Step step;
        if (!script_.empty()) {
            step = std::move(script_.front());
            script_.pop_front();
        } else if (flood_) {
            step.received = {0x01, 0x60, 0xF0, 0xF1};
        } else {
            // An idle chip answers with its status every few milliseconds.
            lock.unlock();
            std::this_thread::sleep_for(std::min(1ms, std::chrono::milliseconds(timeoutMs)));
            lock.lock();
            step.received = {0x01, 0x60};
        }
        if (step.held) {
            holding_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return released_; });
            holding_ = false;
        }
        const auto n =
            std::min<std::size_t>(step.received.size(), static_cast<std::size_t>(length));
        std::copy_n(step.received.begin(), n, buffer);
        transferred = static_cast<int>(n);
        return step.result;
    }
    void clearHalt() override {
        std::lock_guard lock(mutex_);
        ++halts_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Step> script_;
    bool flood_ = false;
    bool released_ = false;
    bool holding_ = false;
    int transfers_ = 0;
    int halts_ = 0;
};

Bytes takeAll(ReceiveQueue& queue, std::uint32_t length) {
    Bytes buffer(length);
    std::uint32_t got = 0;
    queue.read(buffer.data(), length, kLong, got);
    buffer.resize(got);
    return buffer;
}

class FtdiReaderTest : public ::testing::Test {
protected:
    Event event; // outlives the queue that signals it
    ScriptedBulkIn bulkIn;
    ReceiveQueue queue;
    FtdiReader reader{bulkIn, kPacket, queue};
};

TEST_F(FtdiReaderTest, QueuesThePayloadAndSignalsTheEvent) {
    queue.setNotification(FT_EVENT_RXCHAR, &event);
    bulkIn.addData({1, 2, 3});
    // Two packets in one transfer: a full one and a short one.
    bulkIn.add({LIBUSB_SUCCESS, {0x01, 0x60, 4, 5, 6, 7, 8, 9, 0x01, 0x60, 10}, false});
    bulkIn.addData({});
    // A time-out after one packet: its bytes count.
    bulkIn.add({LIBUSB_ERROR_TIMEOUT, {0x01, 0x60, 11}, false});
    reader.start();
    EXPECT_EQ(takeAll(queue, 11), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_TRUE(event.wait(kLong));
    EXPECT_FALSE(queue.lost());
}

TEST_F(FtdiReaderTest, NoDeviceMarksTheQueueLostAfterItsBytes) {
    bulkIn.addData({1, 2});
    bulkIn.add({LIBUSB_ERROR_NO_DEVICE, {}, false});
    reader.start();
    EXPECT_EQ(takeAll(queue, 5), (Bytes{1, 2}));
    Bytes buffer(1);
    std::uint32_t got = 0;
    EXPECT_EQ(queue.read(buffer.data(), 1, kLong, got), ReceiveQueue::ReadEnd::Lost);
    const int transfers = bulkIn.transfers();
    reader.stop();
    EXPECT_EQ(bulkIn.transfers(), transfers) << "the reader ended with the loss";
}

TEST_F(FtdiReaderTest, TransferErrorsAreRetriedAndAStallCleared) {
    bulkIn.add({LIBUSB_ERROR_IO, {}, false});
    bulkIn.add({LIBUSB_ERROR_PIPE, {}, false});
    bulkIn.addData({5});
    for (int i = 0; i + 1 < FtdiReader::kMaxFailures; ++i)
        bulkIn.add({LIBUSB_ERROR_IO, {}, false});
    bulkIn.addData({6});
    reader.start();
    EXPECT_EQ(takeAll(queue, 2), (Bytes{5, 6}));
    EXPECT_EQ(bulkIn.halts(), 1);
    EXPECT_FALSE(queue.lost()) << "errors in a row below the limit, then data again";
}

TEST_F(FtdiReaderTest, RepeatedErrorsLoseTheDevice) {
    for (int i = 0; i < FtdiReader::kMaxFailures; ++i)
        bulkIn.add({LIBUSB_ERROR_IO, {}, false});
    reader.start();
    Bytes buffer(1);
    std::uint32_t got = 0;
    EXPECT_EQ(queue.read(buffer.data(), 1, kLong, got), ReceiveQueue::ReadEnd::Lost);
}

// A purge after the pause must find every byte of the transfer that was in flight already
// queued, and no transfer may begin until the pause ends.
TEST_F(FtdiReaderTest, PauseWaitsForTheTransferInFlightAndHoldsTheReader) {
    bulkIn.add({LIBUSB_SUCCESS, {0x01, 0x60, 42}, true});
    reader.start();
    ASSERT_TRUE(bulkIn.waitUntilHolding());

    std::promise<void> paused;
    std::promise<void> resume;
    std::thread pauser([&] {
        FtdiReader::Pause pause(reader);
        paused.set_value();
        resume.get_future().wait();
    });
    auto pausedFuture = paused.get_future();
    EXPECT_EQ(pausedFuture.wait_for(20ms), std::future_status::timeout)
        << "the pause waited for the transfer";
    bulkIn.release();
    ASSERT_EQ(pausedFuture.wait_for(kLong), std::future_status::ready);
    EXPECT_EQ(queue.size(), 1u) << "the bytes in flight are queued before the pause begins";

    const int transfers = bulkIn.transfers();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(bulkIn.transfers(), transfers) << "no transfer while paused";
    resume.set_value();
    pauser.join();
    EXPECT_TRUE(bulkIn.waitForTransfers(transfers + 1)) << "the reader goes on after the pause";
}

// The thread that would read a full queue may be the one that purges it.
TEST(FtdiReader, PauseAndStopDoNotWaitForRoomInAFullQueue) {
    ScriptedBulkIn bulkIn;
    ReceiveQueue queue(16);
    FtdiReader reader(bulkIn, kPacket, queue);
    bulkIn.setFlood(true);
    reader.start();
    for (int i = 0; i < 10000 && queue.size() < 16; ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_GE(queue.size(), 16u);

    auto pausing = std::async(std::launch::async, [&] { FtdiReader::Pause pause(reader); });
    EXPECT_EQ(pausing.wait_for(kLong), std::future_status::ready);
    auto stopping = std::async(std::launch::async, [&] { reader.stop(); });
    EXPECT_EQ(stopping.wait_for(kLong), std::future_status::ready);
}

TEST(FtdiReader, StopEndsAnIdleReaderAndPausesAfterwardsReturn) {
    ScriptedBulkIn bulkIn;
    ReceiveQueue queue;
    FtdiReader reader(bulkIn, kPacket, queue);
    reader.start();
    ASSERT_TRUE(bulkIn.waitForTransfers(3));
    reader.stop();
    EXPECT_EQ(queue.size(), 0u) << "status-only packets carry no bytes";
    FtdiReader::Pause pause(reader);
    reader.start(); // a stopped reader stays stopped
    const int transfers = bulkIn.transfers();
    std::this_thread::sleep_for(5ms);
    EXPECT_EQ(bulkIn.transfers(), transfers);
}

} // namespace
} // namespace qs40
