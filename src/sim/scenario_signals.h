// A scenario's inputs as the instrument sees them: each input evaluates its source, the
// generator kind reading the instrument's own generator; digital inputs compare with the logic
// threshold.
#pragma once

#include "sim/generator.h"
#include "sim/input_signals.h"
#include "sim/scenario.h"

namespace qs40::sim {

class ScenarioSignals : public InputSignals {
public:
    // The generator must outlive this object.
    ScenarioSignals(Scenario scenario, const Generator& generator);

    double analog(int channel, double t) const override;
    bool digital(int channel, double t) const override;
    double frequency(int meterInput) const override;
    double dcLevel(int channel) const override;
    double detailSeconds(int channel, bool digital) const override;

    const Scenario& scenario() const { return scenario_; }

private:
    const InputSource& source(int channel, bool digital) const;

    Scenario scenario_;
    const Generator& generator_;
};

} // namespace qs40::sim
