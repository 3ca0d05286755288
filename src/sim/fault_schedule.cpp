#include "sim/fault_schedule.h"

namespace qs40::sim {

FaultSchedule::FaultSchedule(FaultPlan plan) : plan_(std::move(plan)) {}

std::optional<FaultEvent> FaultSchedule::next() const {
    if (plan_.faults.empty() || (plan_.every == SimTime{0} && occurrence_ > 0))
        return std::nullopt;
    // Far enough out never comes: the clock would not reach it either.
    const auto period = static_cast<std::uint64_t>(plan_.every.count());
    if (period != 0 && occurrence_ > static_cast<std::uint64_t>(kNever.count() / 2) / period)
        return std::nullopt;
    const SimTime begins = plan_.at + SimTime(static_cast<SimTime::rep>(occurrence_ * period));
    const SimFault fault = plan_.faults[occurrence_ % plan_.faults.size()];
    return FaultEvent{ending_ ? begins + plan_.duration : begins, fault, !ending_};
}

std::optional<FaultEvent> FaultSchedule::due(SimTime t) const {
    auto event = next();
    if (event && event->at > t)
        event.reset();
    return event;
}

void FaultSchedule::pass() {
    if (ending_)
        ++occurrence_;
    ending_ = !ending_;
}

} // namespace qs40::sim
