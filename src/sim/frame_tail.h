// The 128-byte tail the instrument appends to a frame: the settings it was taken with and the
// pointers and trigger values that tell the host how to place and align the samples.
#pragma once

#include <cstdint>

#include "device/link/protocol_parser.h"
#include "sim/acquisition.h"
#include "sim/instrument_registers.h"

namespace qs40::sim {

FrameTail buildFrameTail(const AcquiredFrame& frame, const InstrumentSettings& settings,
                         std::int32_t variantCode);

} // namespace qs40::sim
