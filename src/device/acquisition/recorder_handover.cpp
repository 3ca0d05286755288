#include "device/acquisition/recorder_handover.h"

#include <algorithm>

namespace qs40 {

void RecorderHandover::handOver(std::span<const std::int32_t> entries, std::int32_t writePosition,
                                bool streamFrame, const Flush& flush) {
    std::unique_lock lock(mutex_);
    if (!on_.load()) {
        count_ = 0;
        position_ = -1;
        return;
    }
    const auto n = static_cast<std::int32_t>(entries.size());
    if (!streamFrame || n <= 0 || writePosition < 0 || writePosition >= n)
        return;
    // A position from a longer record (the settings changed) starts over.
    if (position_ < 0 || position_ >= n) {
        position_ = writePosition;
        return;
    }
    std::int32_t todo = (writePosition - position_ + n) % n;
    while (todo > 0) {
        if (count_ == kCapacity) {
            lock.unlock();
            const bool flushed = flush && flush();
            lock.lock();
            if (!flushed || count_ == kCapacity)
                break; // kept for the next frame: the position stays where copying stopped
            continue;
        }
        // One stretch up to the end of the ring, the free space or what is left to do.
        const std::int32_t stretch =
            std::min({todo, n - position_, static_cast<std::int32_t>(kCapacity - count_)});
        const std::int32_t* from = entries.data() + position_;
        std::transform(from, from + stretch, buffer_.begin() + static_cast<std::ptrdiff_t>(count_),
                       [](std::int32_t v) { return static_cast<std::uint8_t>(v & 0xFF); });
        count_ += static_cast<std::size_t>(stretch);
        position_ = (position_ + stretch) % n;
        todo -= stretch;
    }
}

std::size_t RecorderHandover::takePending(const Writer& write) {
    std::lock_guard lock(mutex_);
    const std::size_t n = count_;
    count_ = 0;
    if (n == 0 || !on_.load() || !write)
        return 0;
    write({buffer_.data(), n});
    return n;
}

void RecorderHandover::forgetPosition() {
    std::lock_guard lock(mutex_);
    position_ = -1;
}

std::size_t RecorderHandover::pending() const {
    std::lock_guard lock(mutex_);
    return count_;
}

std::int32_t RecorderHandover::position() const {
    std::lock_guard lock(mutex_);
    return position_;
}

} // namespace qs40
