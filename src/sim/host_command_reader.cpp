#include "sim/host_command_reader.h"

#include "device/link/protocol_codec.h"
#include "device/link/protocol_packet.h"

namespace qs40::sim {

HostCommandReader::HostCommandReader(HostCommandListener& listener, std::size_t imageSize)
    : listener_(listener), imageSize_(imageSize) {
    image_.reserve(imageSize);
}

void HostCommandReader::feed(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) {
        if (b == kCommandMarker) {
            if (state_ == State::Record || (state_ == State::Image && !image_.empty()))
                listener_.onCommandError();
            state_ = State::Record;
            wire_.clear();
            wireLength_ = 0;
            continue;
        }
        switch (state_) {
        case State::Idle:
            break;
        case State::Record:
            onRecordByte(b);
            break;
        case State::Image:
            onImageByte(b);
            break;
        }
    }
}

void HostCommandReader::onRecordByte(std::uint8_t b) {
    if (b > 0x0F) { // not a nibble: the record is broken
        listener_.onCommandError();
        state_ = State::Idle;
        return;
    }
    wire_.push_back(b);
    if (wire_.size() == 2) {
        const std::uint8_t length = nibbleDecode(wire_[0], wire_[1]);
        if (length < 2) {
            listener_.onCommandError();
            state_ = State::Idle;
            return;
        }
        wireLength_ = commandWireBytes(length);
    }
    if (wireLength_ != 0 && wire_.size() == wireLength_)
        finishRecord();
}

void HostCommandReader::finishRecord() {
    state_ = State::Idle;
    std::vector<std::uint8_t> record(wire_.size() / 2);
    nibbleDecode(wire_, record.data());
    const std::size_t length = record[0];
    if (xorBytes(std::span(record).first(length)) != record[length]) {
        listener_.onCommandError();
        return;
    }
    std::vector<CommandBlock> blocks;
    std::size_t pos = 2;
    for (std::size_t i = 0; i < record[1]; ++i) {
        if (pos + 3 > length || pos + 3 + record[pos] > length) {
            listener_.onCommandError();
            return;
        }
        const std::size_t n = record[pos];
        blocks.push_back({record[pos + 1], record[pos + 2], {record.data() + pos + 3, n}});
        pos += 3 + n;
    }
    if (pos != length) {
        listener_.onCommandError();
        return;
    }
    listener_.onCommand(blocks);
    for (const auto& block : blocks) {
        if (block.kind == kBlockFpgaConfig) {
            state_ = State::Image;
            image_.clear();
            haveLowNibble_ = false;
        }
    }
}

void HostCommandReader::onImageByte(std::uint8_t b) {
    if (!haveLowNibble_) {
        lowNibble_ = b;
        haveLowNibble_ = true;
        return;
    }
    haveLowNibble_ = false;
    image_.push_back(nibbleDecode(lowNibble_, b));
    if (image_.size() == imageSize_) {
        state_ = State::Idle;
        listener_.onImageComplete(image_);
    }
}

} // namespace qs40::sim
