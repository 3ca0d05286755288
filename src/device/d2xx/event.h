// A manual-reset event: set wakes every waiter and stays set until reset.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace qs40 {

class Event {
public:
    void set() {
        {
            std::lock_guard lock(mutex_);
            signalled_ = true;
        }
        cv_.notify_all();
    }
    void reset() {
        std::lock_guard lock(mutex_);
        signalled_ = false;
    }
    bool isSet() const {
        std::lock_guard lock(mutex_);
        return signalled_;
    }
    // True when the event was (or became) set within the time-out.
    bool wait(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, timeout, [this] { return signalled_; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};

} // namespace qs40
