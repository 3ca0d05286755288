#include "device/d2xx/receive_queue.h"

#include "device/d2xx/d2xx.h"
#include "device/d2xx/event.h"

#include <algorithm>
#include <utility>

namespace qs40 {

void ReceiveQueue::notifyLocked() {
    if (event_ != nullptr && (eventMask_ & FT_EVENT_RXCHAR) != 0)
        event_->set();
}

void ReceiveQueue::push(std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        return;
    std::lock_guard lock(mutex_);
    if (closed_)
        return;
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    arrived_ = true;
    notifyLocked();
    changed_.notify_all();
}

ReceiveQueue::ReadEnd ReceiveQueue::read(std::uint8_t* buffer, std::uint32_t length,
                                         std::optional<std::chrono::milliseconds> timeout,
                                         std::uint32_t& bytesRead) {
    bytesRead = 0;
    std::unique_lock lock(mutex_);
    const auto ready = [&] { return closed_ || lost_ || bytes_.size() >= length; };
    if (timeout)
        changed_.wait_for(lock, *timeout, ready);
    else
        changed_.wait(lock, ready);
    if (closed_)
        return ReadEnd::Closed;
    if (bytes_.empty() && lost_)
        return ReadEnd::Lost;
    const std::size_t n = std::min<std::size_t>(length, bytes_.size());
    std::copy_n(bytes_.begin(), n, buffer);
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(n));
    bytesRead = static_cast<std::uint32_t>(n);
    changed_.notify_all(); // there is room again
    return ReadEnd::Data;
}

std::size_t ReceiveQueue::size() const {
    std::lock_guard lock(mutex_);
    return bytes_.size();
}

void ReceiveQueue::clear() {
    std::lock_guard lock(mutex_);
    bytes_.clear();
    changed_.notify_all();
}

bool ReceiveQueue::takeArrival() {
    std::lock_guard lock(mutex_);
    return std::exchange(arrived_, false);
}

void ReceiveQueue::setNotification(std::uint32_t mask, Event* event) {
    std::lock_guard lock(mutex_);
    eventMask_ = mask;
    event_ = event;
    if (!bytes_.empty())
        notifyLocked();
}

bool ReceiveQueue::waitForRoom(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return closed_ || bytes_.size() < capacity_; });
    return !closed_ && bytes_.size() < capacity_;
}

void ReceiveQueue::markLost() {
    std::lock_guard lock(mutex_);
    lost_ = true;
    changed_.notify_all();
}

bool ReceiveQueue::lost() const {
    std::lock_guard lock(mutex_);
    return lost_;
}

void ReceiveQueue::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    event_ = nullptr;
    changed_.notify_all();
}

bool ReceiveQueue::closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

} // namespace qs40
