// A Sync whose calls the GUI thread runs when it gets to them: the worker queues its function
// and waits; the GUI thread runs what is queued in runPending(), typically after the notifier
// has posted it an event. refuseCalls() releases a waiting worker at once, so the GUI thread
// may join the worker without serving events.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "device/acquisition/sync_port.h"

namespace qs40 {

class SyncQueue final : public Sync {
public:
    // notify runs on the worker's thread each time a call is queued (e.g. posts the GUI an
    // event that leads to runPending()); it must not wait for the GUI thread.
    explicit SyncQueue(std::function<void()> notify = {}) : notify_(std::move(notify)) {}

    bool call(const std::function<void()>& f) override;
    void refuseCalls() override;

    // GUI thread: runs the queued call, if any. True when one ran.
    bool runPending();
    // True while a call is queued and not yet run.
    bool hasPending() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable done_;
    const std::function<void()>* pending_ = nullptr; // one worker, so one call at a time
    std::uint64_t queued_ = 0;                       // calls queued so far
    std::uint64_t finished_ = 0;                     // calls run or released so far
    bool refused_ = false;
    std::function<void()> notify_;
};

} // namespace qs40
