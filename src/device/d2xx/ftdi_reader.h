// The reader thread of an open FTDI device: bulk-in transfers one after another, the payload
// into the receive queue. A lost device marks the queue lost and ends the thread.
//
// Purges and resets must not race a transfer in flight: its bytes could be older than the purge
// and arrive after it. A Pause waits until the transfer in flight has been queued and holds the
// reader until it ends; bytes that reach the chip meanwhile stay in the chip.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

namespace qs40 {

class ReceiveQueue;

// The device's bulk-in endpoint.
class BulkIn {
public:
    virtual ~BulkIn() = default;
    // As libusb_bulk_transfer: a libusb result, and the bytes received even on a time-out.
    virtual int transfer(std::uint8_t* buffer, int length, int& transferred,
                         unsigned timeoutMs) = 0;
    virtual void clearHalt() = 0;
};

class FtdiReader {
public:
    // A transfer ends after this long without a packet, so that a pause or a stop never waits
    // longer for it.
    static constexpr unsigned kTransferTimeoutMs = 100;
    // Transfer errors in a row that make the device count as lost.
    static constexpr int kMaxFailures = 5;

    // maxPacket: the endpoint's packet size; each transfer asks for whole packets.
    FtdiReader(BulkIn& bulkIn, std::size_t maxPacket, ReceiveQueue& queue);
    ~FtdiReader();
    FtdiReader(const FtdiReader&) = delete;
    FtdiReader& operator=(const FtdiReader&) = delete;

    void start();
    // Ends the thread; returns once it has ended. The reader cannot be started again.
    void stop();

    class Pause {
    public:
        explicit Pause(FtdiReader& reader);
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        FtdiReader& reader_;
    };

private:
    void run();
    bool beginTransfer(); // false when the thread is to end
    void endTransfer();
    bool pauseFor(int milliseconds); // false when stopping

    BulkIn& bulkIn_;
    const std::size_t maxPacket_;
    const std::size_t transferSize_;
    ReceiveQueue& queue_;

    std::mutex mutex_;
    std::condition_variable changed_;
    int pauses_ = 0;
    bool inTransfer_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace qs40
