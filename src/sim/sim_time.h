// Simulated time: nanoseconds since the simulated instrument was created.
#pragma once

#include <chrono>

namespace qs40::sim {

using SimTime = std::chrono::nanoseconds;

inline constexpr SimTime kNever = SimTime::max();

inline double seconds(SimTime t) {
    return std::chrono::duration<double>(t).count();
}

} // namespace qs40::sim
