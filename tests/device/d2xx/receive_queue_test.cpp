#include "device/d2xx/d2xx.h"
#include "device/d2xx/event.h"
#include "device/d2xx/receive_queue.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace qs40 {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using ReadEnd = ReceiveQueue::ReadEnd;

// Generous: a read that should end early never gets near it.
constexpr auto kLong = 10s;

struct Taken {
    ReadEnd end;
    Bytes bytes;
};

Taken take(ReceiveQueue& queue, std::uint32_t length,
           std::optional<std::chrono::milliseconds> timeout) {
    Bytes buffer(length);
    std::uint32_t got = 0;
    const ReadEnd end = queue.read(buffer.data(), length, timeout, got);
    buffer.resize(got);
    return {end, buffer};
}

TEST(ReceiveQueue, ReadTakesUpToTheLengthInOrder) {
    ReceiveQueue queue;
    queue.push(Bytes{1, 2, 3});
    queue.push(Bytes{4, 5});
    EXPECT_EQ(queue.size(), 5u);
    const Taken first = take(queue, 4, kLong);
    EXPECT_EQ(first.end, ReadEnd::Data);
    EXPECT_EQ(first.bytes, (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(take(queue, 4, kLong).bytes, Bytes{5}) << "what is there once the time-out passed";
    EXPECT_EQ(queue.size(), 0u);
}

TEST(ReceiveQueue, TimeOutReturnsWhatArrived) {
    ReceiveQueue queue;
    queue.push(Bytes{7});
    const Taken taken = take(queue, 3, 20ms);
    EXPECT_EQ(taken.end, ReadEnd::Data);
    EXPECT_EQ(taken.bytes, Bytes{7});
    EXPECT_EQ(take(queue, 3, 1ms).bytes, Bytes{}) << "an empty queue times out with nothing";
}

TEST(ReceiveQueue, WaitingReadEndsOnceTheWholeLengthArrived) {
    for (const auto timeout : {std::optional<std::chrono::milliseconds>(kLong),
                               std::optional<std::chrono::milliseconds>()}) {
        ReceiveQueue queue;
        auto reading = std::async(std::launch::async, [&] { return take(queue, 4, timeout); });
        queue.push(Bytes{1, 2});
        queue.push(Bytes{3, 4, 5});
        ASSERT_EQ(reading.wait_for(kLong), std::future_status::ready);
        const Taken taken = reading.get();
        EXPECT_EQ(taken.end, ReadEnd::Data);
        EXPECT_EQ(taken.bytes, (Bytes{1, 2, 3, 4}));
        EXPECT_EQ(queue.size(), 1u);
    }
}

TEST(ReceiveQueue, ArrivalsSignalTheEventAndTheStatus) {
    ReceiveQueue queue;
    Event event;
    queue.push(Bytes{1});
    EXPECT_TRUE(queue.takeArrival());
    EXPECT_FALSE(queue.takeArrival()) << "cleared by the first look";

    queue.setNotification(FT_EVENT_RXCHAR, &event);
    EXPECT_TRUE(event.isSet()) << "bytes already queued signal at once";
    event.reset();
    queue.push(Bytes{2});
    EXPECT_TRUE(event.isSet());
    EXPECT_TRUE(queue.takeArrival());

    event.reset();
    queue.setNotification(0, &event);
    queue.push(Bytes{3});
    EXPECT_FALSE(event.isSet()) << "no FT_EVENT_RXCHAR in the mask";
    queue.setNotification(FT_EVENT_RXCHAR, nullptr);
    queue.push(Bytes{4});
    EXPECT_EQ(queue.size(), 4u);
}

TEST(ReceiveQueue, LostDeviceEndsReadsOnceTheQueueIsEmpty) {
    ReceiveQueue queue;
    queue.push(Bytes{1, 2});
    auto waiting = std::async(std::launch::async, [&] { return take(queue, 5, std::nullopt); });
    queue.markLost();
    ASSERT_EQ(waiting.wait_for(kLong), std::future_status::ready);
    const Taken rest = waiting.get();
    EXPECT_EQ(rest.end, ReadEnd::Data);
    EXPECT_EQ(rest.bytes, (Bytes{1, 2})) << "what arrived before the loss is still read";
    EXPECT_TRUE(queue.lost());
    EXPECT_EQ(take(queue, 5, kLong).end, ReadEnd::Lost);
}

TEST(ReceiveQueue, CloseWakesAWaitingReadAndDropsLaterBytes) {
    ReceiveQueue queue;
    Event event;
    queue.setNotification(FT_EVENT_RXCHAR, &event);
    auto waiting = std::async(std::launch::async, [&] { return take(queue, 5, std::nullopt); });
    queue.close();
    ASSERT_EQ(waiting.wait_for(kLong), std::future_status::ready);
    EXPECT_EQ(waiting.get().end, ReadEnd::Closed);
    queue.push(Bytes{1});
    EXPECT_EQ(queue.size(), 0u);
    EXPECT_FALSE(event.isSet()) << "a closed queue forgets the event";
    EXPECT_EQ(take(queue, 1, kLong).end, ReadEnd::Closed);
}

TEST(ReceiveQueue, RoomBelowTheCapacity) {
    ReceiveQueue queue(4);
    EXPECT_TRUE(queue.waitForRoom(1ms));
    queue.push(Bytes{1, 2, 3, 4});
    EXPECT_FALSE(queue.waitForRoom(1ms));
    auto waiting = std::async(std::launch::async, [&] { return queue.waitForRoom(kLong); });
    EXPECT_EQ(take(queue, 1, kLong).bytes, Bytes{1});
    ASSERT_EQ(waiting.wait_for(kLong), std::future_status::ready);
    EXPECT_TRUE(waiting.get());
    queue.clear();
    EXPECT_EQ(queue.size(), 0u);
    queue.close();
    EXPECT_FALSE(queue.waitForRoom(1ms)) << "a closed queue takes nothing";
}

} // namespace
} // namespace qs40
