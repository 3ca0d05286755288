// Sin(x)/x interpolation of a sample series at a fraction of a sample interval.
#pragma once

#include "scope/frame.h"

#include <cstdint>
#include <span>

namespace qs40 {

// kNoSample (scope/frame.h) is both the entry without a sample and the interpolator's
// "no value".

// The value of the series at index + tenths / 10, from the 18 samples around that point weighted
// by the windowed sin(x)/x kernel; taps outside [0, count) or without a sample are extrapolated
// with a constant second difference. Returns kNoSample when no value can be given: index outside
// [0, count), tenths outside 0..9, a fraction after the last sample, or a computation that would
// leave the 32-bit range (only hostile sample values get there; codes 0..255 never do). Tenths 0
// returns the entry itself. At most series.size() samples are used whatever count says.
std::int32_t sincInterpolate(std::span<const std::int32_t> series, int index, int tenths,
                             int count);

// The same over count entries from series; a null series gives kNoSample.
std::int32_t sincInterpolate(const std::int32_t* series, int index, int tenths, int count);

} // namespace qs40
