// Descriptions by which attached devices are recognised; compared byte for byte.
#pragma once

namespace qs40 {

// The instrument served by this program.
inline constexpr const char* kInstrumentDescription = "Digital Oscilloscope ZR40";
// The older instrument ZR4001, which has its own program and is refused.
inline constexpr const char* kOlderInstrumentDescription = "Digital Oscilloscope";

} // namespace qs40
