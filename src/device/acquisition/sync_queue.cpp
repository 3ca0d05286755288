#include "device/acquisition/sync_queue.h"

namespace qs40 {

bool SyncQueue::call(const std::function<void()>& f) {
    std::uint64_t ticket = 0;
    {
        std::lock_guard lock(mutex_);
        if (refused_)
            return false;
        pending_ = &f;
        ticket = ++queued_;
    }
    if (notify_)
        notify_();
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return finished_ >= ticket; });
    // Released by refuseCalls() before the GUI thread took it: it did not run.
    const bool ran = pending_ != &f;
    if (!ran)
        pending_ = nullptr;
    return ran;
}

bool SyncQueue::runPending() {
    const std::function<void()>* f = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (!pending_ || finished_ == queued_)
            return false;
        f = pending_;
        pending_ = nullptr; // taken: refuseCalls() no longer releases it
    }
    (*f)();
    {
        std::lock_guard lock(mutex_);
        ++finished_;
    }
    done_.notify_all();
    return true;
}

void SyncQueue::refuseCalls() {
    {
        std::lock_guard lock(mutex_);
        refused_ = true;
        if (pending_)
            finished_ = queued_; // releases the waiting worker; pending_ tells it nothing ran
    }
    done_.notify_all();
}

bool SyncQueue::hasPending() const {
    std::lock_guard lock(mutex_);
    return pending_ != nullptr && finished_ < queued_;
}

} // namespace qs40
