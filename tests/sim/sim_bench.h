// A bench for the simulator's tests: an instrument with a chosen scenario on an unpaced line,
// the host's receive parser on its output, and what really happened in every frame that went
// out (in the same order as the frames the host received).
#pragma once

#include <chrono>
#include <vector>

#include "host_capture.h"
#include "sim/analog_front_end.h"
#include "sim/instrument.h"

namespace qs40::sim::test {

inline InstrumentConfig exactConfig(Scenario scenario = Scenario::demo()) {
    InstrumentConfig c;
    c.bytesPerSecond = 0;
    c.adcNoiseCodes = 0;
    c.inputs = scenario;
    return c;
}

struct Bench {
    explicit Bench(InstrumentConfig config) : inst(config) {
        inst.setFrameObserver([this](const AcquiredFrame& f) { truths.push_back(f.truth); });
    }
    explicit Bench(Scenario scenario) : Bench(exactConfig(scenario)) {}

    Instrument inst;
    HostCapture host;
    std::vector<FrameTruth> truths;
    SimTime t{0};

    void at(SimTime when) {
        t = when;
        inst.advance(t);
        host.drain(inst, t);
    }
    void send(const std::vector<std::uint8_t>& bytes) {
        inst.receive(bytes, t);
        host.drain(inst, t);
    }
    void configure() { send(fpgaLoad(kFpgaImageSize)); }
    void run(const AcquisitionParams& p, std::uint8_t sequence,
             const std::optional<TdcConstants>& tdc = std::nullopt) {
        host.parser.setFrameGeometry(p.recordLength, p.routingBits & 0x01);
        host.frames.clear();
        truths.clear();
        send(command(buildParameterPacket(p, sequence, tdc)));
    }
    // Lets time pass in steps until `count` frames are in (or `limit` has passed).
    bool collect(std::size_t count, SimTime limit = std::chrono::seconds(2),
                 SimTime step = std::chrono::milliseconds(1)) {
        const SimTime end = t + limit;
        while (host.frames.size() < count && t < end)
            at(t + step);
        return host.frames.size() >= count;
    }
    // The digitising of an analog channel at these settings.
    ChannelTransfer transfer(int channel, const AcquisitionParams& p) const {
        return AnalogFrontEnd(inst.config().zero)
            .transfer(channel, channel == 0 ? p.inputA1 : p.inputA2,
                      static_cast<std::uint16_t>(channel == 0 ? p.offsetA1 : p.offsetA2));
    }
    // The instant of placed sample position i of a frame.
    static double instant(const FrameTruth& truth, int trigger, int i) {
        return static_cast<double>(
                   (truth.triggerSample + truth.sampleInterval * (i - trigger)).count()) *
               1e-9;
    }
};

} // namespace qs40::sim::test
