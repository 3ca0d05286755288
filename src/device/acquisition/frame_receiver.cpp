#include "device/acquisition/frame_receiver.h"

#include "device/link/protocol_layout.h"

namespace qs40 {

namespace {
constexpr std::uint8_t kRunBit = 0x80;
}

bool acceptsFrame(const FrameTail& tail, const LinkState& link) {
    return tail[tail_field::kSequence] == link.parameterSequence.load() &&
           link.identityReceived.load() && link.running.load();
}

void FrameReceiver::onFrame(const ReceivedFrame& frame) {
    if (!acceptsFrame(frame.tail, link_))
        return;

    DecodeInputs in;
    in.snapshot = params_.get();
    in.recordLength = recordLength_;
    const InstrumentReport report = link_.report.get();
    in.tdc = report.tdc;
    in.freqRange = report.freqRange;
    in.freqCount1 = report.freqCount1;
    in.freqCount2 = report.freqCount2;
    in.freqTime = report.freqTime;

    DecodedFrame decoded;
    if (decoder_.decode(frame, in, frames_, &decoded) != DecodeResult::Decoded) {
        flags_.framesRejected.fetch_add(1);
        return;
    }

    flags_.framesDecoded.fetch_add(1);
    flags_.lastTdcCount.store(decoded.tdcCount);
    flags_.frameActivity.store(true);
    flags_.frameArrived.store(true);
    flags_.frameDrawn.store(true);
    flags_.currentFileStale.store(true);
    if (link_.single.load() && decoded.valid == decoded.length)
        endSingleShot();
    link_.displayRequest.store(true);
}

// The record is complete: the instrument is told to stop, and the GUI thread puts Single up.
void FrameReceiver::endSingleShot() {
    link_.single.store(false);
    link_.running.store(false);
    params_.update([](AcquisitionSnapshot& s) {
        s.params.runBits = static_cast<std::uint8_t>(s.params.runBits & ~kRunBit);
    });
    flags_.singleEnded.store(true);
    link_.sendParametersRequest.store(true);
}

} // namespace qs40
