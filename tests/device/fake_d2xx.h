// A D2xx that records every call as a line of text, over a table of attached devices.
#pragma once

#include "device/d2xx/d2xx.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qs40::testing {

struct FakeDevice {
    std::string description;
    std::uint32_t location = 0;
    FtStatus openStatus = FT_OK;
    FtStatus listStatus = FT_OK; // returned by both listing calls of this index
    OpenRefusal refusal{};       // why the open fails, when openStatus is not FT_OK
};

class FakeD2xx final : public D2xx {
public:
    std::vector<FakeDevice> devices;
    FtStatus countStatus = FT_OK;
    FtStatus queueStatus = FT_OK;
    // Statuses of the per-handle calls, by name (FT_OK for the others).
    std::map<std::string, FtStatus> refusals;
    std::vector<std::string> calls;
    // Locations of the devices opened so far, in order; handle = position + 100.
    std::vector<std::uint32_t> opened;
    Event* notifiedEvent = nullptr;
    OpenRefusal lastRefusal;

    // The calls made on handles after the open (configuration and the like).
    std::vector<std::string> callsFrom(std::size_t first) const {
        return {calls.begin() + static_cast<std::ptrdiff_t>(first), calls.end()};
    }
    bool anyOpened() const { return !opened.empty(); }

    FtStatus listDeviceCount(std::uint32_t& count) override {
        calls.push_back("listDeviceCount");
        count = static_cast<std::uint32_t>(devices.size());
        return countStatus;
    }
    FtStatus listLocation(std::uint32_t index, std::uint32_t& location) override {
        calls.push_back("listLocation " + std::to_string(index));
        if (index >= devices.size())
            return FT_DEVICE_NOT_FOUND;
        location = devices[index].location;
        return devices[index].listStatus;
    }
    FtStatus listDescription(std::uint32_t index, std::string& description) override {
        calls.push_back("listDescription " + std::to_string(index));
        if (index >= devices.size())
            return FT_DEVICE_NOT_FOUND;
        description = devices[index].description;
        return devices[index].listStatus;
    }
    FtStatus openByLocation(std::uint32_t location, FtHandle& handle) override {
        calls.push_back("openByLocation " + std::to_string(location));
        lastRefusal = {};
        for (const auto& device : devices) {
            if (device.location != location)
                continue;
            if (device.openStatus != FT_OK) {
                lastRefusal = device.refusal;
                return device.openStatus;
            }
            opened.push_back(location);
            handle = static_cast<FtHandle>(99 + opened.size());
            return FT_OK;
        }
        return FT_DEVICE_NOT_FOUND;
    }
    OpenRefusal lastOpenRefusal() const override { return lastRefusal; }
    FtStatus close(FtHandle handle) override { return record("close", handle); }

    FtStatus resetDevice(FtHandle handle) override { return record("resetDevice", handle); }
    FtStatus setBaudRate(FtHandle handle, std::uint32_t baud) override {
        return record("setBaudRate", handle, {baud});
    }
    FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                                    std::uint8_t parity) override {
        return record("setDataCharacteristics", handle, {bits, stopBits, parity});
    }
    FtStatus setFlowControl(FtHandle handle, std::uint16_t mode, std::uint8_t xon,
                            std::uint8_t xoff) override {
        return record("setFlowControl", handle, {mode, xon, xoff});
    }
    FtStatus setTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override {
        return record("setTimeouts", handle, {readMs, writeMs});
    }
    FtStatus purge(FtHandle handle, std::uint32_t mask) override {
        return record("purge", handle, {mask});
    }
    FtStatus setLatencyTimer(FtHandle handle, std::uint8_t ms) override {
        return record("setLatencyTimer", handle, {ms});
    }
    FtStatus setEventNotification(FtHandle handle, std::uint32_t mask, Event* event) override {
        notifiedEvent = event;
        return record("setEventNotification", handle, {mask});
    }
    FtStatus getQueueStatus(FtHandle handle, std::uint32_t& rxBytes) override {
        rxBytes = 0;
        record("getQueueStatus", handle);
        return queueStatus;
    }
    FtStatus getStatus(FtHandle handle, std::uint32_t& rxBytes, std::uint32_t& txBytes,
                       std::uint32_t& events) override {
        rxBytes = txBytes = events = 0;
        return record("getStatus", handle);
    }
    FtStatus read(FtHandle handle, std::uint8_t*, std::uint32_t length,
                  std::uint32_t& bytesRead) override {
        bytesRead = 0;
        return record("read", handle, {length});
    }
    FtStatus write(FtHandle handle, const std::uint8_t*, std::uint32_t length,
                   std::uint32_t& bytesWritten) override {
        bytesWritten = length;
        return record("write", handle, {length});
    }
    FtStatus resetPort(FtHandle handle) override { return record("resetPort", handle); }

private:
    FtStatus record(const std::string& name, FtHandle handle,
                    std::initializer_list<std::uint32_t> args = {}) {
        std::string line = name + " " + std::to_string(handle);
        for (const auto arg : args)
            line += " " + std::to_string(arg);
        calls.push_back(std::move(line));
        const auto refused = refusals.find(name);
        return refused == refusals.end() ? FT_OK : refused->second;
    }
};

} // namespace qs40::testing
