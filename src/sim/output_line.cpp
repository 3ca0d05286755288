#include "sim/output_line.h"

#include <algorithm>
#include <cstring>

namespace qs40::sim {

OutputLine::OutputLine(std::uint32_t bytesPerSecond)
    : nsPerByte_(bytesPerSecond ? 1'000'000'000LL / bytesPerSecond : 0) {}

void OutputLine::push(std::vector<std::uint8_t> bytes, SimTime now) {
    if (bytes.empty())
        return;
    const SimTime start = std::max(now, lastEnd_);
    lastEnd_ = start + SimTime(nsPerByte_ * static_cast<std::int64_t>(bytes.size()));
    queued_ += bytes.size();
    chunks_.push_back({std::move(bytes), 0, start});
}

std::size_t OutputLine::crossed(const Chunk& c, SimTime now) const {
    if (nsPerByte_ == 0)
        return c.bytes.size();
    if (now <= c.start)
        return 0;
    const auto n = static_cast<std::size_t>((now - c.start).count() / nsPerByte_);
    return std::min(n, c.bytes.size());
}

std::size_t OutputLine::readable(SimTime now) const {
    std::size_t total = 0;
    for (const Chunk& c : chunks_) {
        const std::size_t n = crossed(c, now);
        total += n - c.taken;
        if (n < c.bytes.size())
            break;
    }
    return total;
}

std::size_t OutputLine::take(std::uint8_t* dst, std::size_t max, SimTime now) {
    std::size_t done = 0;
    while (done < max && !chunks_.empty()) {
        Chunk& c = chunks_.front();
        const std::size_t n = std::min(crossed(c, now) - c.taken, max - done);
        if (dst && n)
            std::memcpy(dst + done, c.bytes.data() + c.taken, n);
        c.taken += n;
        done += n;
        queued_ -= n;
        if (c.taken < c.bytes.size())
            break;
        chunks_.pop_front();
    }
    return done;
}

SimTime OutputLine::idleAt() const {
    return lastEnd_;
}

void OutputLine::clear() {
    chunks_.clear();
    queued_ = 0;
    lastEnd_ = SimTime{0};
}

} // namespace qs40::sim
