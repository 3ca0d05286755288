#include "device/link/protocol_session.h"

#include <algorithm>
#include <optional>
#include <thread>

#include "device/link/protocol_codec.h"
#include "device/link/protocol_status.h"

namespace qs40 {

ProtocolSession::ProtocolSession(D2xx& d2xx, LinkState& link, FrameHandler* frames)
    : d2xx_(d2xx), link_(link), frames_(frames),
      pause_([](std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); }), parser_(*this),
      readBuffer_(new std::uint8_t[kMaxReadBytes]) {}

FtStatus ProtocolSession::sendParameters(const AcquisitionParams& params) {
    d2xx_.purge(handle_, FT_PURGE_TX);
    std::uint32_t written = 0;
    const std::uint8_t marker = kCommandMarker;
    d2xx_.write(handle_, &marker, 1, written);

    std::optional<TdcConstants> tdc;
    if (link_.tdcWriteRequest.exchange(false)) {
        tdc = link_.tdcToWrite();
        // The constants are shown again only once the next status packet reports them.
        link_.report.update([](InstrumentReport& r) { r.tdcValid = false; });
    }
    const auto sequence = static_cast<std::uint8_t>(link_.parameterSequence.load() + 1);
    link_.parameterSequence.store(sequence);
    const std::vector<std::uint8_t> packet = buildParameterPacket(params, sequence, tdc);
    parser_.setFrameGeometry(params.recordLength, (params.routingBits & 0x01) != 0);

    purge(FT_PURGE_RX);
    return d2xx_.write(handle_, packet.data(), static_cast<std::uint32_t>(packet.size()), written);
}

void ProtocolSession::purge(std::uint32_t mask) {
    d2xx_.purge(handle_, mask);
    // The bytes of a packet the parser was in the middle of are gone with the purge: left as
    // it was, it would take the next packet's body for the rest of that one, and count a
    // checksum error that the link never had.
    if (mask & FT_PURGE_RX)
        parser_.reset();
}

FtStatus ProtocolSession::writeAll(const std::uint8_t* data, std::size_t length) {
    while (length > 0) {
        std::uint32_t written = 0;
        const FtStatus status =
            d2xx_.write(handle_, data, static_cast<std::uint32_t>(length), written);
        if (status != FT_OK)
            return status;
        if (written == 0)
            return FT_IO_ERROR;
        written = std::min<std::uint32_t>(written, static_cast<std::uint32_t>(length));
        data += written;
        length -= written;
    }
    return FT_OK;
}

FtStatus ProtocolSession::configureFpga(std::span<const std::uint8_t> image) {
    purge(FT_PURGE_RX | FT_PURGE_TX);
    std::uint32_t written = 0;
    const std::uint8_t marker = kCommandMarker;
    d2xx_.write(handle_, &marker, 1, written);
    const std::vector<std::uint8_t> command = fpgaConfigurationCommand();
    d2xx_.write(handle_, command.data(), static_cast<std::uint32_t>(command.size()), written);

    pause_(kFpgaPause);
    purge(FT_PURGE_RX);

    std::uint8_t wire[2 * kFpgaChunkBytes];
    for (std::size_t offset = 0; offset < image.size(); offset += kFpgaChunkBytes) {
        const auto chunk = image.subspan(offset, std::min(kFpgaChunkBytes, image.size() - offset));
        nibbleEncode(chunk, wire);
        if (const FtStatus status = writeAll(wire, 2 * chunk.size()); status != FT_OK)
            return status;
    }

    pause_(kFpgaPause);
    const FtStatus status = receiveStep();
    if (!link_.linkUp.load())
        link_.raise(LinkFault::FpgaConfigurationFailure);
    link_.displayRequest.store(true);
    return status;
}

FtStatus ProtocolSession::receiveStep() {
    std::uint32_t rx = 0, tx = 0, events = 0;
    if (const FtStatus status = d2xx_.getStatus(handle_, rx, tx, events); status != FT_OK)
        return status;
    if (rx == 0)
        return FT_OK;
    const std::uint32_t length = std::min(rx, kMaxReadBytes);
    std::uint32_t got = 0;
    const FtStatus status = d2xx_.read(handle_, readBuffer_.get(), length, got);
    // Only the bytes actually read are parsed, and never more than were asked for.
    if (status == FT_OK)
        parser_.feed({readBuffer_.get(), std::min(got, length)});
    return status;
}

void ProtocolSession::onStatus(const StatusBytes& status) {
    applyStatus(decodeStatus(status), link_);
}

void ProtocolSession::onFrame(const ReceivedFrame& frame) {
    if (frames_)
        frames_->onFrame(frame);
}

void ProtocolSession::onFrameChecksumError() {
    link_.checksumErrors.fetch_add(1);
}

} // namespace qs40
