#include "sim/frame_tail.h"

#include "device/link/protocol_codec.h"
#include "device/link/protocol_layout.h"

namespace qs40::sim {

FrameTail buildFrameTail(const AcquiredFrame& f, const InstrumentSettings& s,
                         std::int32_t variantCode) {
    namespace tf = tail_field;
    FrameTail tail{};
    tail[tf::kStreamFlags] = f.streamFlags;
    tail[tf::kTriggerFlags] = static_cast<std::uint8_t>(s.modeBits & 0x17);
    tail[tf::kRouting] = s.routingBits & 0x07;
    writeLe(&tail[tf::kTriggerTime], f.triggerTime, 4);
    writeLe(&tail[tf::kPreLength], s.preTrigger, 2);
    writeLe(&tail[tf::kPostLength], s.postTrigger, 2);
    tail[tf::kDataPresent] = s.runBits & 0x0F;
    tail[tf::kRoll] = s.rollBits & 0x01;
    writeLe(&tail[tf::kWritePointer], f.writePointer, 2);
    writeLe(&tail[tf::kTriggerPointer], f.triggerPointer, 2);
    tail[tf::kBeforeCrossing] = f.beforeCrossing;
    tail[tf::kAfterCrossing] = f.afterCrossing;
    tail[tf::kTdcCount] = f.tdcCount & 0x1F;
    writeLe(&tail[tf::kVariantCode], static_cast<std::uint32_t>(variantCode), 2);
    tail[tf::kSequence] = s.sequence;
    return tail;
}

} // namespace qs40::sim
