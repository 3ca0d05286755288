// The instrument's receiver for the host's bytes: a 0xFA marker starts a command; the command is
// a nibble-encoded record (length, block count, blocks, check byte); an FPGA configuration block
// is followed by the nibble-encoded configuration image. Anything else is ignored until the next
// marker, and a marker in the middle of a command or image abandons it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qs40::sim {

struct CommandBlock {
    std::uint8_t kind;
    std::uint8_t address;
    std::span<const std::uint8_t> data;
};

class HostCommandListener {
public:
    virtual ~HostCommandListener() = default;
    // A record whose check byte matched and whose blocks fit in it.
    virtual void onCommand(std::span<const CommandBlock> blocks) = 0;
    virtual void onImageComplete(std::span<const std::uint8_t> image) = 0;
    // A malformed record or an abandoned image.
    virtual void onCommandError() = 0;
};

class HostCommandReader {
public:
    HostCommandReader(HostCommandListener& listener, std::size_t imageSize);
    void feed(std::span<const std::uint8_t> bytes);

private:
    enum class State : std::uint8_t { Idle, Record, Image };
    void onRecordByte(std::uint8_t b);
    void finishRecord();
    void onImageByte(std::uint8_t b);

    HostCommandListener& listener_;
    std::size_t imageSize_;
    State state_ = State::Idle;
    std::vector<std::uint8_t> wire_;  // nibbles of the record so far
    std::size_t wireLength_ = 0;      // nibbles the record has, once its length is known
    std::vector<std::uint8_t> image_; // decoded image bytes so far
    bool haveLowNibble_ = false;
    std::uint8_t lowNibble_ = 0;
};

} // namespace qs40::sim
