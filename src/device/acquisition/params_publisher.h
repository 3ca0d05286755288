// The acquisition parameters as the acquisition thread sees them: the GUI thread publishes a
// whole set after every parameter computation, and the thread copies the set it works with, so
// it never reads a set that is half written.
#pragma once

#include <cstdint>
#include <mutex>

#include "scope/acquisition_params.h"

namespace qs40 {

// The parameters plus the few front-panel values the decoder copies into every frame header.
struct AcquisitionSnapshot {
    AcquisitionParams params;
    std::int32_t A1_Zero = 191;
    std::int32_t A2_Zero = 63;
    double Lev_A1 = 191.0;
    double Lev_A2 = 63.0;
};

class ParamsPublisher {
public:
    void publish(const AcquisitionSnapshot& snapshot) {
        std::lock_guard lock(mutex_);
        snapshot_ = snapshot;
    }
    AcquisitionSnapshot get() const {
        std::lock_guard lock(mutex_);
        return snapshot_;
    }
    // Changes the published set in place (the end of a single shot clears the run bit).
    template <class F> void update(F&& f) {
        std::lock_guard lock(mutex_);
        f(snapshot_);
    }

private:
    mutable std::mutex mutex_;
    AcquisitionSnapshot snapshot_;
};

} // namespace qs40
