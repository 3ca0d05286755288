// The serial line from the instrument to the host at a fixed byte rate (2000000 baud 8N1 carries
// 200000 bytes a second). Packets queue behind each other; a byte becomes readable by the host
// once it has crossed the line, and stays readable until the host takes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "sim/sim_time.h"

namespace qs40::sim {

class OutputLine {
public:
    // 0: no pacing, every byte is readable at once.
    explicit OutputLine(std::uint32_t bytesPerSecond);

    void push(std::vector<std::uint8_t> bytes, SimTime now);
    // Bytes that have crossed the line by `now` and were not yet taken.
    std::size_t readable(SimTime now) const;
    // Takes up to max readable bytes; dst may be null to drop them.
    std::size_t take(std::uint8_t* dst, std::size_t max, SimTime now);
    // All bytes not yet taken, crossed or not.
    std::size_t queued() const { return queued_; }
    // When the last queued byte will have crossed.
    SimTime idleAt() const;
    void clear();

private:
    struct Chunk {
        std::vector<std::uint8_t> bytes;
        std::size_t taken;
        SimTime start; // when its first byte starts to cross
    };
    std::size_t crossed(const Chunk& c, SimTime now) const;

    std::int64_t nsPerByte_;
    std::deque<Chunk> chunks_;
    std::size_t queued_ = 0;
    SimTime lastEnd_{0};
};

} // namespace qs40::sim
