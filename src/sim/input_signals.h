// What is connected to the instrument's inputs, as functions of time. The instrument samples
// these; how it digitises and packs them is its own business (analog_front_end.h,
// sample_packer.h), so richer sources (a scenario with the generator looped back, noise,
// recorded data) only implement this interface.
#pragma once

namespace qs40::sim {

class InputSignals {
public:
    virtual ~InputSignals() = default;
    // Volts at analog input 0 (A1) or 1 (A2) at time t (seconds).
    virtual double analog(int channel, double t) const = 0;
    // Logic level at digital input 0 (D1) or 1 (D2) at time t.
    virtual bool digital(int channel, double t) const = 0;
    // The frequency in Hz that the frequency meter sees on its input 1..6 (A1, A2, D1, D2, D1
    // high-frequency, D2 high-frequency); 0 when there is none.
    virtual double frequency(int meterInput) const = 0;
    // The mean volts at analog input 0 or 1: what AC coupling takes away. 0 unless known.
    virtual double dcLevel(int /*channel*/) const { return 0.0; }
    // A time short enough that the input cannot pass from one trigger threshold to the other
    // between two looks this far apart, so that the trigger search may step by it; 0 when not
    // known (the search then spreads a fixed number of looks over its span).
    virtual double detailSeconds(int /*channel*/, bool /*digital*/) const { return 0.0; }
};

// A fixed bench set-up: sines on the analog inputs, square waves on the digital inputs.
class DemoSignals : public InputSignals {
public:
    struct Sine {
        double hz, amplitude, offset, phase;
    };
    struct Square {
        double hz, duty;
    };
    DemoSignals();
    DemoSignals(Sine a1, Sine a2, Square d1, Square d2);

    double analog(int channel, double t) const override;
    bool digital(int channel, double t) const override;
    double frequency(int meterInput) const override;
    double dcLevel(int channel) const override;
    double detailSeconds(int channel, bool digital) const override;

private:
    Sine sine_[2];
    Square square_[2];
};

} // namespace qs40::sim
