// The host's side of the exchanges with the instrument over an open D2XX channel: sending the
// parameters, loading the FPGA and the receive step. Runs on the acquisition thread only; what it
// shares with the GUI thread is in LinkState.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "device/d2xx/d2xx.h"
#include "device/link/link_state.h"
#include "device/link/protocol_parser.h"
#include "scope/acquisition_params.h"

namespace qs40 {

// Most bytes taken by one read.
inline constexpr std::uint32_t kMaxReadBytes = 65000;
// Bytes of image per upload chunk (nibble-encoded to twice as many on the wire).
inline constexpr std::size_t kFpgaChunkBytes = 512;
inline constexpr std::chrono::milliseconds kFpgaPause{200};

using PauseFunction = std::function<void(std::chrono::milliseconds)>;

// Receives the frames that passed their check byte; acceptance and decoding are its business.
class FrameHandler {
public:
    virtual ~FrameHandler() = default;
    virtual void onFrame(const ReceivedFrame& frame) = 0;
};

class ProtocolSession : private ReceiveHandler {
public:
    ProtocolSession(D2xx& d2xx, LinkState& link, FrameHandler* frames = nullptr);

    void setHandle(FtHandle handle) { handle_ = handle; }
    FtHandle handle() const { return handle_; }
    // Replaces the real 200 ms sleeps of the FPGA load (tests advance a simulated clock instead).
    void setPause(PauseFunction pause) { pause_ = std::move(pause); }
    void setFrameHandler(FrameHandler* frames) { frames_ = frames; }
    void setFrameGeometry(std::int32_t recordLength, bool paired) {
        parser_.setFrameGeometry(recordLength, paired);
    }

    // Purge transmit, marker, build (new sequence number; TDC block when requested), purge
    // receive, one write of the whole packet. Returns the packet write's status: the link status.
    // Also sets the parser's frame geometry from the parameters.
    FtStatus sendParameters(const AcquisitionParams& params);

    // Purge both, marker, configuration command, pause, purge receive, the image in chunks,
    // pause, one receive step; then the configuration-failure fault unless the link came up, and
    // a display request. A failing write abandons the load at once and its status is returned;
    // so does a write that accepts nothing, which would otherwise repeat without end.
    FtStatus configureFpga(std::span<const std::uint8_t> image);

    // Reads what has arrived (at most 65000 bytes) and parses it.
    FtStatus receiveStep();

private:
    void onStatus(const StatusBytes& status) override;
    void onFrame(const ReceivedFrame& frame) override;
    void onFrameChecksumError() override;
    FtStatus writeAll(const std::uint8_t* data, std::size_t length);
    // Purges the D2XX buffers; a receive purge also makes the parser forget a partial packet.
    void purge(std::uint32_t mask);

    D2xx& d2xx_;
    LinkState& link_;
    FrameHandler* frames_;
    FtHandle handle_ = kNoHandle;
    PauseFunction pause_;
    ReceiveParser parser_;
    std::unique_ptr<std::uint8_t[]> readBuffer_; // kMaxReadBytes
};

} // namespace qs40
