// Frames that passed their check byte, on the acquisition thread: a frame is decoded only when
// it was taken with the parameters of the last packet sent (its sequence number), the
// instrument has identified itself and the scope is running; others are dropped silently.
// After a decode: the counts and flags for the GUI thread, the end of a single shot once its
// record is complete, and the display request.
#pragma once

#include <cstdint>

#include "device/acquisition/acquisition_flags.h"
#include "device/acquisition/frame_decoder.h"
#include "device/link/link_state.h"
#include "device/acquisition/params_publisher.h"
#include "device/link/protocol_session.h"
#include "scope/frame.h"

namespace qs40 {

// The acceptance rule.
bool acceptsFrame(const FrameTail& tail, const LinkState& link);

class FrameReceiver final : public FrameHandler {
public:
    FrameReceiver(LinkState& link, AcquisitionFlags& flags, ParamsPublisher& params,
                  FrameSets& frames, FrameDecoder& decoder)
        : link_(link), flags_(flags), params_(params), frames_(frames), decoder_(decoder) {}

    // The record length of the last parameter packet sent: the one the parser cuts frames with.
    void setRecordLength(std::int32_t n) { recordLength_ = n; }

    void onFrame(const ReceivedFrame& frame) override;

private:
    void endSingleShot();

    LinkState& link_;
    AcquisitionFlags& flags_;
    ParamsPublisher& params_;
    FrameSets& frames_;
    FrameDecoder& decoder_;
    std::int32_t recordLength_ = 0;
};

} // namespace qs40
