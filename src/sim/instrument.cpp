#include "sim/instrument.h"

#include <algorithm>
#include <cmath>

#include "device/protocol_codec.h"
#include "device/protocol_layout.h"
#include "sim/packet_writer.h"

namespace qs40::sim {

namespace {

// Output the host has not taken beyond this stops new frames, as the bridge's buffers would.
constexpr std::size_t kMaxQueuedBytes = 1 << 20;
constexpr SimTime kMinFrameInterval = std::chrono::milliseconds(1);
constexpr double kFreqMeterGate = 0.1; // seconds

std::shared_ptr<const InputSignals> orDemo(std::shared_ptr<const InputSignals> s) {
    return s ? std::move(s) : std::make_shared<DemoSignals>();
}

} // namespace

Instrument::Instrument(InstrumentConfig config, std::shared_ptr<const InputSignals> signals)
    : config_(config), signals_(orDemo(std::move(signals))), frontEnd_(config.zero),
      acquisition_(*signals_, frontEnd_), reader_(*this, config.imageSize),
      line_(config.bytesPerSecond) {
    registers_.setTdcConstants(config.storedTdc);
    acquisition_.setTdcSteps(config.tdcSteps);
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
    nextStatus_ = now_ + config_.statusPeriod;
}

bool Instrument::producingFrames() const {
    return configured_ && !powerFailure_ && registers_.settings().running();
}

void Instrument::scheduleFrames(SimTime now) {
    const InstrumentSettings s = registers_.settings();
    acquisition_.restart(s, now);
    if (!s.running()) {
        nextFrame_ = kNever;
        return;
    }
    const SimTime interval =
        std::max<SimTime>(std::chrono::milliseconds(s.frameIntervalMs), kMinFrameInterval);
    nextFrame_ = now + (s.roll() ? interval : std::max(interval, acquisition_.recordDuration()));
}

void Instrument::advance(SimTime now) {
    now = std::max(now, now_);
    // Frames that fell due while none could be sent (power failure, lost configuration) are not
    // sent late in a burst: the acquisition picks up from now.
    if (!producingFrames() && nextFrame_ < now)
        nextFrame_ = now;
    for (;;) {
        const SimTime next = std::min(nextStatus_, producingFrames() ? nextFrame_ : kNever);
        if (next > now)
            break;
        if (next == nextStatus_) {
            sendStatus(next);
            nextStatus_ += config_.statusPeriod;
        } else if (line_.idleAt() > next) {
            nextFrame_ = line_.idleAt(); // the previous packet is still on the line
        } else {
            sendFrame(next);
        }
    }
    now_ = now;
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
    b[f::kFreqRange] = s.freqMeterInput;
    // Count 1: input periods within the gate, plus one; count 2: reference clock ticks over
    // those periods, on a reference that runs off by clockErrorPpm.
    double hz = signals_->frequency(s.freqMeterInput);
    if (s.freqMeterInput == 5 || s.freqMeterInput == 6)
        hz /= 8; // the high-frequency inputs are divided by eight
    if (hz > 0) {
        const double periods = std::floor(hz * kFreqMeterGate);
        const double ticks = periods / hz * 1e8 * (1 + config_.clockErrorPpm * 1e-6);
        writeLe(&b[f::kFreqCount1], static_cast<std::uint32_t>(periods + 1), 4);
        writeLe(&b[f::kFreqCount2], static_cast<std::uint32_t>(std::llround(ticks)), 4);
    }
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

void Instrument::sendFrame(SimTime t) {
    const InstrumentSettings s = registers_.settings();
    const SimTime interval =
        std::max<SimTime>(std::chrono::milliseconds(s.frameIntervalMs), kMinFrameInterval);
    nextFrame_ = t + interval;
    if (line_.queued() > kMaxQueuedBytes)
        return; // the host is not reading: this frame is lost
    const std::optional<AcquiredFrame> f = acquisition_.take(t);
    if (!f)
        return;
    if (!s.roll())
        nextFrame_ = t + std::max(interval, acquisition_.recordDuration());

    namespace tf = tail_field;
    FrameTail tail{};
    tail[tf::kStreamFlags] = f->streamFlags;
    tail[tf::kTriggerFlags] = static_cast<std::uint8_t>(s.modeBits & 0x17);
    tail[tf::kRouting] = s.routingBits & 0x07;
    writeLe(&tail[tf::kTriggerTime], f->triggerTime, 4);
    writeLe(&tail[tf::kPreLength], s.preTrigger, 2);
    writeLe(&tail[tf::kPostLength], s.postTrigger, 2);
    tail[tf::kDataPresent] = s.runBits & 0x0F;
    tail[tf::kRoll] = s.rollBits & 0x01;
    writeLe(&tail[tf::kWritePointer], f->writePointer, 2);
    writeLe(&tail[tf::kTriggerPointer], f->triggerPointer, 2);
    tail[tf::kBeforeCrossing] = f->beforeCrossing;
    tail[tf::kAfterCrossing] = f->afterCrossing;
    tail[tf::kTdcCount] = f->tdcCount & 0x1F;
    writeLe(&tail[tf::kVariantCode], static_cast<std::uint32_t>(config_.variantCode), 2);
    tail[tf::kSequence] = s.sequence;

    const auto header = static_cast<std::uint8_t>(kFrameHeaderBit | (s.runBits & 0x0F));
    const std::size_t n = static_cast<std::size_t>(s.recordLength());
    const std::size_t length = frameSampleLength(header, s.recordLength(), s.paired());
    std::vector<std::uint8_t> samples;
    samples.reserve(length);
    packSamples(f->samples, carriedChannels(s.runBits, s.routingBits), n, length, samples);

    std::vector<std::uint8_t> packet;
    packet.reserve(length + kTailWireBytes + 3);
    writeFramePacket(header, samples, tail, takeCorruption(), packet);
    if (emit(std::move(packet), t))
        ++stats_.frames;
}

} // namespace qs40::sim
