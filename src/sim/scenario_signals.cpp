#include "sim/scenario_signals.h"

namespace qs40::sim {

ScenarioSignals::ScenarioSignals(Scenario scenario, const Generator& generator)
    : scenario_(scenario), generator_(generator) {}

const InputSource& ScenarioSignals::source(int channel, bool digital) const {
    return scenario_.inputs[(digital ? 2 : 0) + (channel & 1)];
}

double ScenarioSignals::analog(int channel, double t) const {
    return sourceVolts(source(channel, false), t, &generator_, channel & 1);
}

bool ScenarioSignals::digital(int channel, double t) const {
    return sourceVolts(source(channel, true), t, &generator_, 2 + (channel & 1)) >
           kLogicThresholdVolts;
}

double ScenarioSignals::frequency(int meterInput) const {
    if (meterInput < 1 || meterInput > 6)
        return 0.0;
    const bool digital = meterInput >= 3;
    const int channel = digital ? (meterInput - 3) & 1 : meterInput - 1;
    const InputSource& s = source(channel, digital);
    // A logic input counts only a source that crosses its threshold.
    if (digital && !(sourceLow(s, &generator_) <= kLogicThresholdVolts &&
                     sourceHigh(s, &generator_) > kLogicThresholdVolts))
        return 0.0;
    return sourceFrequency(s, &generator_);
}

double ScenarioSignals::dcLevel(int channel) const {
    return sourceMean(source(channel, false), &generator_);
}

double ScenarioSignals::detailSeconds(int channel, bool digital) const {
    return sourceDetailSeconds(source(channel, digital), &generator_);
}

} // namespace qs40::sim
