// The receive queue of an open device: a reader thread pushes the bytes that arrive, the D2XX
// calls take them. Reads wait for their own deadline, since the transfers that fill the queue
// end long before any read time-out (a USB bridge reports in every few milliseconds, with or
// without data). Every arrival signals the notification event, as FT_EVENT_RXCHAR does.
//
// Safe from any thread. The event given to setNotification must outlive the queue or be
// replaced by a null event first.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>

namespace qs40 {

class Event;

class ReceiveQueue {
public:
    enum class ReadEnd {
        Data,   // bytesRead bytes were taken (possibly none, after the time-out)
        Closed, // the handle is being closed
        Lost,   // the device is gone and nothing is left to read
    };

    // The reader stops taking bytes from the device while this many wait to be read.
    static constexpr std::size_t kDefaultCapacity = 1 << 20;

    explicit ReceiveQueue(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // Bytes pushed after close() are dropped.
    void push(std::span<const std::uint8_t> bytes);
    // Waits until `length` bytes are queued, the time-out passes (none: no limit), the queue is
    // closed or the device lost, then takes what is queued, up to `length`.
    ReadEnd read(std::uint8_t* buffer, std::uint32_t length,
                 std::optional<std::chrono::milliseconds> timeout, std::uint32_t& bytesRead);
    std::size_t size() const;
    void clear();
    // True when bytes arrived since the last call.
    bool takeArrival();
    // From now on, arrivals signal `event` when mask has FT_EVENT_RXCHAR; bytes already queued
    // signal it at once.
    void setNotification(std::uint32_t mask, Event* event);
    // Waits up to the time-out for the queue to be below its capacity; false when it is not,
    // or the queue is closed.
    bool waitForRoom(std::chrono::milliseconds timeout);

    void markLost();
    bool lost() const;
    // Wakes every waiting read, which returns Closed; so do all later reads.
    void close();
    bool closed() const;

private:
    void notifyLocked(); // under mutex_

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::uint8_t> bytes_;
    bool arrived_ = false;
    bool lost_ = false;
    bool closed_ = false;
    std::uint32_t eventMask_ = 0;
    Event* event_ = nullptr;
};

} // namespace qs40
