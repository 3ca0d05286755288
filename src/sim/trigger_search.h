// The trigger comparator: watches the code the trigger source gives on every 100 MHz clock tick
// and fires on the requested edge after it was armed (rising: armed below the lower threshold,
// fires above the upper one; falling the other way round; a digital input between 0 and 1).
// With a trigger count N it fires on the N-th such edge. To stay cheap it looks only every few
// ticks and finds the tick of a firing edge by bisection, which is exact as long as the source
// cannot cross both thresholds between two looks.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace qs40::sim {

struct TriggerEdge {
    bool digital = false;
    bool falling = false;
    int lower = 0, upper = 0; // analog thresholds in codes
};

// The code the comparator sees at an instant in nanoseconds: 0..255, or 0 and 1 for a digital
// source.
using ComparatorInput = std::function<int(double ns)>;

struct TriggerHit {
    std::int64_t tickAfter; // the first clock tick at which the firing condition holds
    double crossingNs;      // the instant, after the tick before, from which it holds
};

class TriggerSearch {
public:
    static constexpr double kTickNs = 10.0;

    // Starts watching at `fromTick`, disarmed.
    void reset(const TriggerEdge& edge, int count, std::int64_t fromTick);
    // Watches on up to `toTick`, at most `maxLooks` looks `stepTicks` apart; the next call goes
    // on from where this one stopped.
    std::optional<TriggerHit> run(const ComparatorInput& in, std::int64_t toTick,
                                  std::int64_t stepTicks, std::int64_t maxLooks);
    // The next tick to look at.
    std::int64_t next() const { return next_; }
    // Moves on to `tick` without looking: arming starts again there.
    void skipTo(std::int64_t tick);

    bool fires(int code) const;
    bool arms(int code) const;

private:
    TriggerHit refine(const ComparatorInput& in, std::int64_t notFiring, std::int64_t firing) const;

    TriggerEdge edge_;
    int count_ = 1;
    int fired_ = 0;
    bool armed_ = false;
    std::int64_t next_ = 0;
};

} // namespace qs40::sim
