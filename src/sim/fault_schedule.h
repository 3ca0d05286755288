// Faults the simulated instrument goes through by itself on its own clock (device text
// fault=...), so that the host's recovery can be rehearsed in the window and soak-tested
// without a second process. The schedule only says what happens when; SimD2xx makes it happen.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/sim_time.h"

namespace qs40::sim {

enum class SimFault : std::uint8_t {
    Unplug,            // the instrument leaves the bus; it comes back when the fault ends
    PowerFailure,      // its status reports a power failure until the fault ends
    LostConfiguration, // its FPGA loses the configuration when the fault begins
    ChecksumStorm,     // every packet goes out with a wrong check byte until the fault ends
    Garbage,           // noise bytes come before every packet until the fault ends
};

struct FaultPlan {
    std::vector<SimFault> faults;         // taken in turn, one per occurrence; empty: no faults
    SimTime at = std::chrono::seconds(5); // when the first one begins
    SimTime every{0};                     // from one beginning to the next; 0: once
    SimTime duration = std::chrono::seconds(1); // from a beginning to its end; below `every`
};

struct FaultEvent {
    SimTime at;
    SimFault fault;
    bool begins; // false: the fault ends
};

class FaultSchedule {
public:
    explicit FaultSchedule(FaultPlan plan = {});

    // The next event, when it falls at or before t.
    std::optional<FaultEvent> due(SimTime t) const;
    // Goes on past the event that due() gave.
    void pass();

private:
    std::optional<FaultEvent> next() const;

    FaultPlan plan_;
    std::uint64_t occurrence_ = 0;
    bool ending_ = false; // the next event ends occurrence_
};

} // namespace qs40::sim
