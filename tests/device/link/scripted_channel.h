// A scripted D2XX channel for the protocol tests: logs every purge and write, accepts writes in
// limited pieces or fails them on request, and serves queued receive bytes.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>
#include <vector>

#include "device/d2xx/d2xx.h"

namespace qs40::test {

struct D2xxCall {
    enum Kind { Purge, Write, GetStatus, Read } kind;
    std::uint32_t value;             // purge mask, write length or read length
    std::vector<std::uint8_t> bytes; // bytes accepted by a write
};

class FakeD2xx : public D2xx {
public:
    std::vector<D2xxCall> calls;
    std::deque<std::uint8_t> rx;
    std::uint32_t writeLimit = UINT32_MAX; // most bytes one write accepts
    std::optional<std::size_t> failWrite;  // index among writes that fails
    std::optional<std::size_t> zeroWrite;  // index among writes that accepts nothing
    FtStatus getStatusResult = FT_OK;
    std::uint32_t reportedQueue = 0;  // 0: the real queue length
    std::uint32_t extraReadCount = 0; // a broken driver reporting more than it read
    std::size_t writes = 0;

    std::vector<D2xxCall> writesOnly() const {
        std::vector<D2xxCall> w;
        for (const auto& c : calls)
            if (c.kind == D2xxCall::Write)
                w.push_back(c);
        return w;
    }

    FtStatus listDeviceCount(std::uint32_t& count) override { return count = 1, FT_OK; }
    FtStatus listLocation(std::uint32_t, std::uint32_t& location) override {
        return location = 1, FT_OK;
    }
    FtStatus listDescription(std::uint32_t, std::string& d) override {
        return d = "Digital Oscilloscope ZR40", FT_OK;
    }
    FtStatus openByLocation(std::uint32_t, FtHandle& h) override { return h = 1, FT_OK; }
    FtStatus close(FtHandle) override { return FT_OK; }
    FtStatus resetDevice(FtHandle) override { return FT_OK; }
    FtStatus setBaudRate(FtHandle, std::uint32_t) override { return FT_OK; }
    FtStatus setDataCharacteristics(FtHandle, std::uint8_t, std::uint8_t, std::uint8_t) override {
        return FT_OK;
    }
    FtStatus setFlowControl(FtHandle, std::uint16_t, std::uint8_t, std::uint8_t) override {
        return FT_OK;
    }
    FtStatus setTimeouts(FtHandle, std::uint32_t, std::uint32_t) override { return FT_OK; }
    FtStatus purge(FtHandle, std::uint32_t mask) override {
        calls.push_back({D2xxCall::Purge, mask, {}});
        if (mask & FT_PURGE_RX)
            rx.clear();
        return FT_OK;
    }
    FtStatus setLatencyTimer(FtHandle, std::uint8_t) override { return FT_OK; }
    FtStatus setEventNotification(FtHandle, std::uint32_t, Event*) override { return FT_OK; }
    FtStatus getQueueStatus(FtHandle, std::uint32_t& n) override {
        return n = static_cast<std::uint32_t>(rx.size()), FT_OK;
    }
    FtStatus getStatus(FtHandle, std::uint32_t& r, std::uint32_t& t, std::uint32_t& e) override {
        calls.push_back({D2xxCall::GetStatus, 0, {}});
        r = reportedQueue ? reportedQueue : static_cast<std::uint32_t>(rx.size());
        t = e = 0;
        return getStatusResult;
    }
    FtStatus read(FtHandle, std::uint8_t* buf, std::uint32_t len, std::uint32_t& got) override {
        calls.push_back({D2xxCall::Read, len, {}});
        got = static_cast<std::uint32_t>(std::min<std::size_t>(len, rx.size()));
        std::copy_n(rx.begin(), got, buf);
        rx.erase(rx.begin(), rx.begin() + got);
        got += extraReadCount;
        return FT_OK;
    }
    FtStatus write(FtHandle, const std::uint8_t* buf, std::uint32_t len,
                   std::uint32_t& written) override {
        const std::size_t index = writes++;
        written = 0;
        if (failWrite == index) {
            calls.push_back({D2xxCall::Write, len, {}});
            return FT_IO_ERROR;
        }
        if (zeroWrite != index)
            written = std::min(len, writeLimit);
        calls.push_back({D2xxCall::Write, len, {buf, buf + written}});
        return FT_OK;
    }
    FtStatus resetPort(FtHandle) override { return FT_OK; }
};

} // namespace qs40::test
