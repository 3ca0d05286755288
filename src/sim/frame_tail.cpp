#include "sim/frame_tail.h"

#include "device/link/protocol_codec.h"
#include "device/link/protocol_layout.h"

namespace qs40::sim {

FrameTail buildFrameTail(const AcquiredFrame& f, const InstrumentSettings& s,
                         std::int32_t variantCode) {
    namespace tf = tail_field;
    namespace tb = tail_bit;
    // The mode and routing bytes of the settings carry these bits where the tail has them.
    constexpr std::uint8_t kTriggerBits =
        tb::kPairs | tb::kDigitalSource | tb::kSecondSource | tb::kFalling;
    constexpr std::uint8_t kRoutingBits = tb::kPaired | tb::kAnalogIsA2 | tb::kDigitalIsD2;
    FrameTail tail{};
    tail[tf::kStreamFlags] = f.streamFlags;
    tail[tf::kTriggerFlags] = s.modeBits & kTriggerBits;
    tail[tf::kRouting] = s.routingBits & kRoutingBits;
    writeLe(&tail[tf::kTriggerTime], f.triggerTime, 4);
    writeLe(&tail[tf::kPreLength], s.preTrigger, 2);
    writeLe(&tail[tf::kPostLength], s.postTrigger, 2);
    tail[tf::kDataPresent] = s.runBits & tb::kDataPresent;
    tail[tf::kRoll] = s.rollBits & tb::kRollMode;
    writeLe(&tail[tf::kWritePointer], f.writePointer, 2);
    writeLe(&tail[tf::kTriggerPointer], f.triggerPointer, 2);
    tail[tf::kBeforeCrossing] = f.beforeCrossing;
    tail[tf::kAfterCrossing] = f.afterCrossing;
    tail[tf::kTdcCount] = f.tdcCount & tb::kTdcCount;
    writeLe(&tail[tf::kVariantCode], static_cast<std::uint32_t>(variantCode), 2);
    tail[tf::kSequence] = s.sequence;
    return tail;
}

} // namespace qs40::sim
