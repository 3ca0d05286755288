#include "sim/instrument.h"

#include <algorithm>
#include <cmath>

#include "device/link/protocol_codec.h"
#include "device/link/protocol_layout.h"
#include "sim/frame_tail.h"
#include "sim/frequency_meter.h"
#include "sim/packet_writer.h"
#include "sim/scenario_signals.h"

namespace qs40::sim {

namespace {

// Output the host has not taken beyond this stops new frames, as the bridge's buffers would.
constexpr std::size_t kMaxQueuedBytes = 1 << 20;
constexpr SimTime kMinFrameInterval = std::chrono::milliseconds(1);

std::shared_ptr<const InputSignals> orScenario(std::shared_ptr<const InputSignals> s,
                                               const Scenario& scenario,
                                               const Generator& generator) {
    return s ? std::move(s) : std::make_shared<ScenarioSignals>(scenario, generator);
}

} // namespace

Instrument::Instrument(InstrumentConfig config, std::shared_ptr<const InputSignals> signals)
    : config_(config), signals_(orScenario(std::move(signals), config.inputs, generator_)),
      frontEnd_(config.zero), acquisition_(*signals_, frontEnd_), reader_(*this, config.imageSize),
      line_(config.bytesPerSecond) {
    registers_.setTdcConstants(config.storedTdc);
    acquisition_.setTdcSteps(config.tdcSteps);
    acquisition_.setNoise(config.adcNoiseCodes);
}

void Instrument::receive(std::span<const std::uint8_t> bytes, SimTime now) {
    advance(now);
    reader_.feed(bytes);
}

void Instrument::powerCycle(SimTime now) {
    // Nothing is sent while the power is off: time jumps without catching up.
    now_ = std::max(now, now_);
    configured_ = false;
    registers_.clear();
    line_.clear();
    nextFrame_ = kNever;
    pending_.reset();
    nextStatus_ = now_ + config_.statusPeriod;
}

bool Instrument::producingFrames() const {
    return configured_ && !powerFailure_ && registers_.settings().running();
}

SimTime Instrument::frameInterval() const {
    return std::max<SimTime>(std::chrono::milliseconds(registers_.settings().frameIntervalMs),
                             kMinFrameInterval);
}

void Instrument::scheduleFrames(SimTime now) {
    const InstrumentSettings s = registers_.settings();
    acquisition_.restart(s, now);
    generator_.configure(GeneratorSettings::decode(s.generator, s.inputA1),
                         acquisition_.gridStart(), s.divider, s.postTrigger);
    acquisition_.alignFreeRunning(generator_.origin(), generator_.sweepPeriod());
    pending_.reset();
    // A roll stream sends its first frame once the frame interval has filled some of the ring.
    nextFrame_ = !s.running() ? kNever : s.roll() ? now + frameInterval() : now;
}

void Instrument::advance(SimTime now) {
    now = std::max(now, now_);
    // Frames that fell due while none could be sent (power failure, lost configuration) are not
    // sent late in a burst: the acquisition picks up from now.
    if (!producingFrames()) {
        pending_.reset();
        if (nextFrame_ < now)
            nextFrame_ = now;
    }
    for (;;) {
        const SimTime next = std::min(nextStatus_, producingFrames() ? nextFrame_ : kNever);
        if (next > now)
            break;
        if (next == nextStatus_) {
            sendStatus(next);
            nextStatus_ += config_.statusPeriod;
        } else {
            frameEvent(next);
        }
    }
    now_ = now;
}

void Instrument::frameEvent(SimTime t) {
    if (line_.idleAt() > t) {
        nextFrame_ = line_.idleAt(); // the previous packet is still on the line
        return;
    }
    if (pending_) {
        sendFrame(*pending_, t);
        pending_.reset();
        nextFrame_ = std::max(t, lastArmed_ + frameInterval());
        return;
    }
    nextFrame_ = t + frameInterval();
    if (line_.queued() > kMaxQueuedBytes)
        return; // the host is not reading: this frame is lost
    lastArmed_ = t;
    std::optional<AcquiredFrame> f = acquisition_.take(t);
    if (!f)
        return; // no trigger yet: look again after the frame interval
    if (f->completeAt > t) {
        pending_ = std::move(f);
        nextFrame_ = pending_->completeAt;
        return;
    }
    sendFrame(*f, t);
}

void Instrument::onCommand(std::span<const CommandBlock> blocks) {
    ++stats_.commands;
    bool settingsChanged = false;
    for (const CommandBlock& b : blocks) {
        if (b.kind == kBlockFpgaConfig) {
            configured_ = false; // loading starts; the old configuration is gone
            continue;
        }
        if (registers_.write(b.kind, b.address, b.data))
            settingsChanged |= b.kind == kBlockSettings;
        else
            ++stats_.commandErrors;
    }
    if (settingsChanged)
        scheduleFrames(now_);
}

void Instrument::onImageComplete(std::span<const std::uint8_t>) {
    ++stats_.images;
    configured_ = true;
    sendStatus(now_); // the host looks for the configuration mark right after the upload
    scheduleFrames(now_);
}

bool Instrument::takeCorruption() {
    if (corruptLeft_ <= 0)
        return false;
    --corruptLeft_;
    return true;
}

bool Instrument::emit(std::vector<std::uint8_t> packet, SimTime t) {
    if (line_.queued() > kMaxQueuedBytes)
        return false; // the host is not reading: the bridge's buffers are full
    if (garbage_ > 0) {
        std::vector<std::uint8_t> noise(garbage_);
        for (auto& b : noise) {
            noise_ = noise_ * 1664525u + 1013904223u;
            b = static_cast<std::uint8_t>((noise_ >> 24) % 0xFF); // never the sync byte
        }
        line_.push(std::move(noise), t);
    }
    line_.push(std::move(packet), t);
    return true;
}

StatusBytes Instrument::statusBytes() const {
    namespace f = status_field;
    const InstrumentSettings s = registers_.settings();
    StatusBytes b{};
    b[f::kFirmwareVersion] = config_.firmwareVersion;
    b[f::kPowerState] = powerFailure_ ? kPowerFailureState : 0;
    b[f::kConfigurationMark] = configured_ ? kConfiguredMark : 0;
    b[f::kFpgaVersion] = config_.fpgaVersion;
    writeLe(&b[f::kFeatureWord], static_cast<std::uint32_t>(config_.variantCode), 2);
    const FreqMeterReading meter = readFrequencyMeter(
        s.freqMeterInput, signals_->frequency(s.freqMeterInput), config_.clockErrorPpm);
    b[f::kFreqRange] = meter.range;
    writeLe(&b[f::kFreqCount1], meter.count1, 4);
    writeLe(&b[f::kFreqCount2], meter.count2, 4);
    writeLe(&b[f::kSerialNumber], config_.serialNumber, 4);
    writeLe(&b[f::kSerialPrefix], config_.serialPrefix, 2);
    const TdcConstants tdc = registers_.tdcConstants();
    std::copy(tdc.begin(), tdc.end(), &b[f::kTdcConstants]);
    writeLe(&b[f::kSupplyMonitor], config_.supplyCount, 2);
    return b;
}

void Instrument::sendStatus(SimTime t) {
    std::vector<std::uint8_t> packet;
    packet.reserve(kStatusPacketBytes);
    writeStatusPacket(statusBytes(), takeCorruption(), packet);
    if (emit(std::move(packet), t))
        ++stats_.statusPackets;
}

void Instrument::sendFrame(const AcquiredFrame& f, SimTime t) {
    const InstrumentSettings s = registers_.settings();
    const FrameTail tail = buildFrameTail(f, s, config_.variantCode);
    const auto header = static_cast<std::uint8_t>(kFrameHeaderBit | (s.runBits & kHeaderChannels));
    const std::size_t n = static_cast<std::size_t>(s.recordLength());
    const std::size_t length = frameSampleLength(header, s.recordLength(), s.paired());
    std::vector<std::uint8_t> samples;
    samples.reserve(length);
    packSamples(f.samples, carriedChannels(s.runBits, s.routingBits), n, length, samples);

    std::vector<std::uint8_t> packet;
    packet.reserve(length + kTailWireBytes + 3);
    writeFramePacket(header, samples, tail, takeCorruption(), packet);
    if (!emit(std::move(packet), t))
        return;
    ++stats_.frames;
    if (observer_)
        observer_(f);
}

} // namespace qs40::sim
