// An FTDI bus played by the test: chips with one channel each, at given locations, that the
// libftdi1 backend lists and opens through the FtdiBus interface. The test sends bytes from a
// chip, looks at what was written to it, and unplugs it; the backend's own port, reader and
// receive queue run as with a real chip.
#pragma once

#include "device/d2xx/ftdi_bus.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <libusb.h>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace qs40::testing {

class ScriptedChip {
public:
    using Bytes = std::vector<std::uint8_t>;

    static constexpr std::size_t kMaxPacket = 64;
    // libftdi1's result for a request the chip did not answer.
    static constexpr int kRequestFailed = -2;

    ScriptedChip(std::uint32_t location, std::string description)
        : location_(location), description_(std::move(description)) {}

    std::uint32_t location() const { return location_; }
    const std::string& description() const { return description_; }

    // The chip sends these bytes to the host.
    void send(const Bytes& bytes) {
        std::lock_guard lock(mutex_);
        toHost_.insert(toHost_.end(), bytes.begin(), bytes.end());
        changed_.notify_all();
    }
    // The bytes the host wrote, once `count` of them arrived or after a generous while.
    Bytes written(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10),
                          [&] { return fromHost_.size() >= count; });
        return std::exchange(fromHost_, {});
    }
    void unplug() {
        std::lock_guard lock(mutex_);
        plugged_ = false;
        changed_.notify_all();
    }
    // Plugged in again. A channel still held from before stays claimed, as the interface of a
    // device that never quite went would be: its old handle must let go of it.
    void replug() {
        std::lock_guard lock(mutex_);
        plugged_ = true;
        toHost_.clear();
    }
    bool plugged() const {
        std::lock_guard lock(mutex_);
        return plugged_;
    }
    // Opened by the backend and not released since.
    bool claimed() const {
        std::lock_guard lock(mutex_);
        return claimed_;
    }
    int latencyMs() const {
        std::lock_guard lock(mutex_);
        return latencyMs_;
    }
    int portResets() const {
        std::lock_guard lock(mutex_);
        return portResets_;
    }

    // The bus side.
    bool claim() {
        std::lock_guard lock(mutex_);
        if (!plugged_ || claimed_)
            return false;
        claimed_ = true;
        return true;
    }
    void release() {
        std::lock_guard lock(mutex_);
        claimed_ = false;
    }

    // An idle chip answers a bulk-in transfer within its latency with the two status bytes;
    // with data waiting, with packets of up to 62 bytes each.
    int bulkIn(std::uint8_t* buffer, int length, int& transferred, unsigned timeoutMs) {
        std::unique_lock lock(mutex_);
        transferred = 0;
        const auto wait = std::min(std::chrono::milliseconds(timeoutMs), kIdleAnswer);
        changed_.wait_for(lock, wait, [this] { return !plugged_ || !toHost_.empty(); });
        if (!plugged_)
            return LIBUSB_ERROR_NO_DEVICE;
        std::size_t at = 0;
        const auto room = static_cast<std::size_t>(length);
        do {
            buffer[at++] = 0x01;
            buffer[at++] = 0x60;
            const std::size_t n = std::min({kMaxPacket - 2, toHost_.size(), room - at});
            std::copy_n(toHost_.begin(), n, buffer + at);
            toHost_.erase(toHost_.begin(), toHost_.begin() + static_cast<std::ptrdiff_t>(n));
            at += n;
        } while (!toHost_.empty() && room - at >= kMaxPacket);
        transferred = static_cast<int>(at);
        return LIBUSB_SUCCESS;
    }
    int bulkOut(const std::uint8_t* data, int length, int& sent) {
        std::lock_guard lock(mutex_);
        sent = 0;
        if (!plugged_)
            return LIBUSB_ERROR_NO_DEVICE;
        fromHost_.insert(fromHost_.end(), data, data + length);
        sent = length;
        changed_.notify_all();
        return LIBUSB_SUCCESS;
    }
    // Settings requests: 0 when the chip took them, as libftdi1 answers.
    int request() {
        return requestWith([] {});
    }
    int requestLatency(int ms) {
        return requestWith([&] { latencyMs_ = ms; });
    }
    // Empties the chip's buffer of bytes for the host (a reset, a purge of the receive side).
    int requestDrop() {
        return requestWith([&] { toHost_.clear(); });
    }
    int resetPort() {
        std::lock_guard lock(mutex_);
        if (!plugged_)
            return LIBUSB_ERROR_NO_DEVICE;
        ++portResets_;
        toHost_.clear();
        return LIBUSB_SUCCESS;
    }

private:
    static constexpr std::chrono::milliseconds kIdleAnswer{2};

    template <class Apply> int requestWith(Apply apply) {
        std::lock_guard lock(mutex_);
        if (!plugged_)
            return kRequestFailed;
        apply();
        return 0;
    }

    const std::uint32_t location_;
    const std::string description_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::uint8_t> toHost_;
    Bytes fromHost_;
    bool plugged_ = true;
    bool claimed_ = false;
    int latencyMs_ = 16;
    int portResets_ = 0;
};

// The channel of a ScriptedChip as the backend holds it; destroying it releases the chip.
class ScriptedChipDevice final : public FtdiDevice, private BulkIn {
public:
    explicit ScriptedChipDevice(std::shared_ptr<ScriptedChip> chip) : chip_(std::move(chip)) {}
    ~ScriptedChipDevice() override { chip_->release(); }

    BulkIn& bulkIn() override { return *this; }
    std::size_t maxPacketSize() const override { return ScriptedChip::kMaxPacket; }
    int bulkOut(const std::uint8_t* data, int length, int& sent, unsigned) override {
        return chip_->bulkOut(data, length, sent);
    }
    int resetChip() override { return chip_->requestDrop(); }
    int setBaudRate(int) override { return chip_->request(); }
    int setLineProperty(const FtdiLineProperty&) override { return chip_->request(); }
    int setFlowControl(int) override { return chip_->request(); }
    int setXonXoff(std::uint8_t, std::uint8_t) override { return chip_->request(); }
    int setLatencyTimer(std::uint8_t ms) override { return chip_->requestLatency(ms); }
    int flush(bool rx, bool) override { return rx ? chip_->requestDrop() : chip_->request(); }
    int resetPort() override { return chip_->resetPort(); }

private:
    int transfer(std::uint8_t* buffer, int length, int& transferred, unsigned timeoutMs) override {
        return chip_->bulkIn(buffer, length, transferred, timeoutMs);
    }
    void clearHalt() override {}

    const std::shared_ptr<ScriptedChip> chip_;
};

class ScriptedFtdiBus final : public FtdiBus {
public:
    explicit ScriptedFtdiBus(std::vector<std::shared_ptr<ScriptedChip>> chips)
        : chips_(std::move(chips)) {}

    FtStatus list(std::vector<FtdiChannel>& channels) override {
        channels.clear();
        for (const auto& chip : chips_) {
            if (chip->plugged())
                channels.push_back({chip->location(), chip->description()});
        }
        std::sort(channels.begin(), channels.end(),
                  [](const auto& a, const auto& b) { return a.location < b.location; });
        return FT_OK;
    }
    FtStatus open(std::uint32_t location, std::unique_ptr<FtdiDevice>& device,
                  bool& inUse) override {
        inUse = false;
        for (const auto& chip : chips_) {
            if (chip->location() != location || !chip->plugged())
                continue;
            // A claimed interface cannot be claimed again.
            if (!chip->claim()) {
                inUse = true;
                return FT_DEVICE_NOT_OPENED;
            }
            device = std::make_unique<ScriptedChipDevice>(chip);
            return FT_OK;
        }
        return FT_DEVICE_NOT_FOUND;
    }

private:
    const std::vector<std::shared_ptr<ScriptedChip>> chips_;
};

} // namespace qs40::testing
