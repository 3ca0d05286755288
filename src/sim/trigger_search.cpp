#include "sim/trigger_search.h"

#include <algorithm>

namespace qs40::sim {

void TriggerSearch::reset(const TriggerEdge& edge, int count, std::int64_t fromTick) {
    edge_ = edge;
    count_ = std::max(count, 1);
    fired_ = 0;
    armed_ = false;
    next_ = fromTick;
}

void TriggerSearch::skipTo(std::int64_t tick) {
    if (tick > next_) {
        next_ = tick;
        armed_ = false;
    }
}

bool TriggerSearch::fires(int code) const {
    if (edge_.digital)
        return edge_.falling ? code == 0 : code != 0;
    return edge_.falling ? code < edge_.lower : code > edge_.upper;
}

bool TriggerSearch::arms(int code) const {
    if (edge_.digital)
        return edge_.falling ? code != 0 : code == 0;
    return edge_.falling ? code > edge_.upper : code < edge_.lower;
}

std::optional<TriggerHit> TriggerSearch::run(const ComparatorInput& in, std::int64_t toTick,
                                             std::int64_t stepTicks, std::int64_t maxLooks) {
    const std::int64_t step = std::max<std::int64_t>(stepTicks, 1);
    for (std::int64_t looks = 0; looks < maxLooks && next_ <= toTick; ++looks) {
        const std::int64_t t = next_;
        next_ += step;
        const int code = in(static_cast<double>(t) * kTickNs);
        if (!armed_) {
            armed_ = arms(code);
            continue;
        }
        if (!fires(code))
            continue;
        armed_ = false;
        if (++fired_ < count_)
            continue;
        // The look before did not fire (it armed or found the source still short of firing).
        const TriggerHit hit = refine(in, t - step, t);
        next_ = hit.tickAfter + 1;
        fired_ = 0;
        return hit;
    }
    return std::nullopt;
}

TriggerHit TriggerSearch::refine(const ComparatorInput& in, std::int64_t lo,
                                 std::int64_t hi) const {
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        (fires(in(static_cast<double>(mid) * kTickNs)) ? hi : lo) = mid;
    }
    double a = static_cast<double>(lo) * kTickNs, b = static_cast<double>(hi) * kTickNs;
    for (int i = 0; i < 40 && b - a > 1e-4; ++i) {
        const double mid = (a + b) / 2;
        (fires(in(mid)) ? b : a) = mid;
    }
    return {hi, b};
}

} // namespace qs40::sim
