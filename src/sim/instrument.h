// The simulated ZR40: takes the host's bytes and answers as the instrument does. It loads its
// FPGA from the configuration command and image, reports its status on its own schedule, keeps
// the settings of the parameter packets and, while the run bit is set, sends frames at the
// requested frame interval, each once its last sample is in, paced by its output line. Its
// generator follows the generator block; the bench scenario says what is on the inputs,
// the generator output among them. Faults can be injected on request.
//
// Time is given by the caller (SimD2xx's clock, or the pseudo-terminal server's): every call
// names the current simulated time, which must not go backwards.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "device/link/fpga_image.h"
#include "device/link/protocol_packet.h"
#include "device/link/protocol_parser.h"
#include "sim/acquisition.h"
#include "sim/analog_front_end.h"
#include "sim/generator.h"
#include "sim/host_command_reader.h"
#include "sim/input_signals.h"
#include "sim/instrument_registers.h"
#include "sim/output_line.h"
#include "sim/scenario.h"
#include "sim/sim_time.h"

namespace qs40::sim {

inline constexpr std::uint32_t kLineBytesPerSecond = 200000; // 2000000 baud, 8N1

struct InstrumentConfig {
    std::int32_t variantCode = 31; // reported as the feature word and in every frame
    std::uint8_t firmwareVersion = 103;
    std::uint8_t fpgaVersion = 102;
    std::uint32_t serialNumber = 0x00012345;
    std::uint16_t serialPrefix = 0x4003;
    TdcConstants storedTdc{20, 21, 20, 21}; // constants in its memory, reported in the status
    TdcConstants tdcSteps{19, 21, 20, 22};  // the TDCs' true steps per 10 ns
    std::array<ZeroCoefficients, 2> zero{{{3370, 712, 4}, {3345, 731, -3}}};
    double adcNoiseCodes = 0.5;         // peak ADC noise (uniform); 0 for exact codes
    Scenario inputs = Scenario::demo(); // what is on the inputs, unless signals are given
    double clockErrorPpm = 12.0;        // reference clock error seen by the frequency meter
    std::uint16_t supplyCount = 775;    // supply monitor ADC: 5.00 V
    std::uint32_t bytesPerSecond = kLineBytesPerSecond; // 0: no pacing
    SimTime statusPeriod = std::chrono::milliseconds(100);
    std::size_t imageSize = kFpgaImageSize;
};

struct InstrumentStats {
    std::uint64_t statusPackets = 0;
    std::uint64_t frames = 0;
    std::uint64_t commands = 0;      // records accepted
    std::uint64_t commandErrors = 0; // malformed records, abandoned images
    std::uint64_t images = 0;        // complete configuration images
};

class Instrument : private HostCommandListener {
public:
    // `signals`, when given, replace the scenario of the configuration (the generator output
    // then reaches no input).
    explicit Instrument(InstrumentConfig config = {},
                        std::shared_ptr<const InputSignals> signals = nullptr);
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;

    // Bytes from the host, arriving at `now`.
    void receive(std::span<const std::uint8_t> bytes, SimTime now);
    // Sends what is due up to `now`.
    void advance(SimTime now);

    // The host's side of the output line.
    std::size_t readable(SimTime now) const { return line_.readable(now); }
    std::size_t take(std::uint8_t* dst, std::size_t max, SimTime now) {
        return line_.take(dst, max, now);
    }

    // Faults.
    void setPowerFailure(bool on) { powerFailure_ = on; }
    void loseConfiguration() { configured_ = false; }
    // The next `packets` packets (status or frame) go out with a wrong check byte.
    void corruptNextPackets(int packets) { corruptLeft_ = packets; }
    // Bytes of noise (never 0xFF) put before every packet; 0 for none.
    void setGarbageBetweenPackets(std::size_t bytes) { garbage_ = bytes; }
    // Unplug and replug, or a port reset: the FPGA and the settings are lost, the output too.
    void powerCycle(SimTime now);

    bool configured() const { return configured_; }
    InstrumentSettings settings() const { return registers_.settings(); }
    TdcConstants tdcConstants() const { return registers_.tdcConstants(); }
    const InstrumentStats& stats() const { return stats_; }
    const InstrumentConfig& config() const { return config_; }
    const Generator& generator() const { return generator_; }
    const InputSignals& signals() const { return *signals_; }
    // Called with every frame that goes out, with what really happened in it.
    void setFrameObserver(std::function<void(const AcquiredFrame&)> observer) {
        observer_ = std::move(observer);
    }

private:
    void onCommand(std::span<const CommandBlock> blocks) override;
    void onImageComplete(std::span<const std::uint8_t> image) override;
    void onCommandError() override { ++stats_.commandErrors; }

    bool producingFrames() const;
    void scheduleFrames(SimTime now);
    SimTime frameInterval() const;
    void sendStatus(SimTime t);
    void frameEvent(SimTime t);
    void sendFrame(const AcquiredFrame& f, SimTime t);
    bool emit(std::vector<std::uint8_t> packet, SimTime t);
    bool takeCorruption();
    StatusBytes statusBytes() const;

    InstrumentConfig config_;
    Generator generator_;
    std::shared_ptr<const InputSignals> signals_;
    AnalogFrontEnd frontEnd_;
    Acquisition acquisition_;
    RegisterFile registers_;
    HostCommandReader reader_;
    OutputLine line_;
    InstrumentStats stats_;

    SimTime now_{0};
    SimTime nextStatus_{0};
    SimTime nextFrame_ = kNever;
    SimTime lastArmed_{0};
    std::optional<AcquiredFrame> pending_; // taken, waiting for its last sample or the line
    std::function<void(const AcquiredFrame&)> observer_;
    bool configured_ = false;
    bool powerFailure_ = false;
    int corruptLeft_ = 0;
    std::size_t garbage_ = 0;
    std::uint32_t noise_ = 0x2545F491u;
};

} // namespace qs40::sim
