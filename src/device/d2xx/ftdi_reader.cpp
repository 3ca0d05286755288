#include "device/d2xx/ftdi_reader.h"

#include "device/d2xx/ftdi_translation.h"
#include "device/d2xx/receive_queue.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace qs40 {
namespace {

constexpr std::size_t kTransferBytes = 4096;
constexpr int kFailurePauseMs = 10;
// How long one wait for room in a full queue lasts before the reader looks at its requests.
constexpr std::chrono::milliseconds kRoomWait{20};

} // namespace

FtdiReader::FtdiReader(BulkIn& bulkIn, std::size_t maxPacket, ReceiveQueue& queue)
    : bulkIn_(bulkIn), maxPacket_(std::max<std::size_t>(maxPacket, kFtdiStatusBytes + 1)),
      transferSize_(std::max(kTransferBytes / maxPacket_, std::size_t{1}) * maxPacket_),
      queue_(queue) {}

FtdiReader::~FtdiReader() {
    stop();
}

void FtdiReader::start() {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable() && !stopping_)
        thread_ = std::thread([this] { run(); });
}

void FtdiReader::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

FtdiReader::Pause::Pause(FtdiReader& reader) : reader_(reader) {
    std::unique_lock lock(reader_.mutex_);
    ++reader_.pauses_;
    reader_.changed_.wait(lock, [this] { return !reader_.inTransfer_; });
}

FtdiReader::Pause::~Pause() {
    std::lock_guard lock(reader_.mutex_);
    --reader_.pauses_;
    reader_.changed_.notify_all();
}

// Waits until no pause holds the reader, then marks a transfer as in flight.
bool FtdiReader::beginTransfer() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopping_ || pauses_ == 0; });
    if (stopping_)
        return false;
    inTransfer_ = true;
    return true;
}

void FtdiReader::endTransfer() {
    std::lock_guard lock(mutex_);
    inTransfer_ = false;
    changed_.notify_all();
}

bool FtdiReader::pauseFor(int milliseconds) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [this] { return stopping_; });
}

void FtdiReader::run() {
    std::vector<std::uint8_t> received(transferSize_);
    std::vector<std::uint8_t> payload;
    payload.reserve(transferSize_);
    int failures = 0;
    for (;;) {
        // Not in flight while it waits, so that a purge never waits for a reader of a full queue.
        if (!queue_.waitForRoom(kRoomWait)) {
            if (queue_.closed())
                return;
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
            continue;
        }
        if (!beginTransfer())
            return;
        int transferred = 0;
        const int result = bulkIn_.transfer(received.data(), static_cast<int>(received.size()),
                                            transferred, kTransferTimeoutMs);
        const TransferOutcome outcome = bulkInOutcome(result);
        if (outcome == TransferOutcome::Keep && transferred > 0) {
            payload.clear();
            appendPayload(std::span(received.data(), static_cast<std::size_t>(transferred)),
                          maxPacket_, payload);
            queue_.push(payload);
        }
        endTransfer();

        if (outcome == TransferOutcome::Keep) {
            failures = 0;
            continue;
        }
        if (outcome == TransferOutcome::Lost || ++failures >= kMaxFailures)
            break;
        if (outcome == TransferOutcome::ClearHalt)
            bulkIn_.clearHalt();
        if (!pauseFor(kFailurePauseMs))
            return;
    }
    queue_.markLost();
}

} // namespace qs40
