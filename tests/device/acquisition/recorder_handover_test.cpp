// The recorder hand-over: new A1 samples of stream frames, in ring order, bounded by the
// 65536-byte pending buffer without losing a sample.
#include <gtest/gtest.h>

#include <vector>

#include "device/acquisition/recorder_handover.h"

namespace qs40 {
namespace {

// A ring of n entries whose low bytes count up from 0 (with a high byte that must be dropped).
std::vector<std::int32_t> ring(std::int32_t n) {
    std::vector<std::int32_t> v(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] = 0x100 | (i & 0xFF);
    return v;
}

std::vector<std::uint8_t> expectedBytes(std::int32_t from, std::int32_t count, std::int32_t n) {
    std::vector<std::uint8_t> v;
    for (std::int32_t k = 0; k < count; ++k)
        v.push_back(static_cast<std::uint8_t>(((from + k) % n) & 0xFF));
    return v;
}

struct Recorder {
    RecorderHandover handover;
    std::vector<std::uint8_t> file;
    int flushes = 0;
    bool refuse = false;
    RecorderHandover::Flush flush = [this] {
        ++flushes;
        if (refuse)
            return false;
        takeIntoFile();
        return true;
    };
    std::size_t takeIntoFile() {
        return handover.takePending([this](std::span<const std::uint8_t> b) {
            file.insert(file.end(), b.begin(), b.end());
        });
    }
    void frame(const std::vector<std::int32_t>& entries, std::int32_t w, bool stream = true) {
        handover.handOver(entries, w, stream, flush);
    }
};

TEST(RecorderHandover, TheFirstStreamFrameTakesThePositionAndTheNextHandsOverUpToIt) {
    Recorder r;
    const auto entries = ring(10);
    r.handover.setOn(true);
    r.frame(entries, 7);
    EXPECT_EQ(r.handover.position(), 7);
    EXPECT_EQ(r.handover.pending(), 0u);
    r.frame(entries, 3); // wraps from 9 to 0
    EXPECT_EQ(r.handover.position(), 3);
    EXPECT_EQ(r.takeIntoFile(), 6u);
    EXPECT_EQ(r.file, (std::vector<std::uint8_t>{7, 8, 9, 0, 1, 2}));
    EXPECT_EQ(r.handover.pending(), 0u);
}

TEST(RecorderHandover, FramesThatAreNoStreamHandNothingOver) {
    Recorder r;
    const auto entries = ring(10);
    r.handover.setOn(true);
    r.frame(entries, 2);
    r.frame(entries, 6, false);
    EXPECT_EQ(r.handover.pending(), 0u);
    EXPECT_EQ(r.handover.position(), 2);
}

TEST(RecorderHandover, OffForgetsThePendingBytesAndThePosition) {
    Recorder r;
    const auto entries = ring(10);
    r.handover.setOn(true);
    r.frame(entries, 2);
    r.frame(entries, 6);
    ASSERT_EQ(r.handover.pending(), 4u);
    r.handover.setOn(false);
    EXPECT_EQ(r.takeIntoFile(), 0u); // nothing is written while off
    r.frame(entries, 8);
    EXPECT_EQ(r.handover.pending(), 0u);
    EXPECT_EQ(r.handover.position(), -1);
    EXPECT_TRUE(r.file.empty());
}

// Parameters sent again (a recovery) restart the instrument's ring at 0: the position of the
// old ring would hand over old samples as new ones. The bytes pending from before stay.
TEST(RecorderHandover, AForgottenPositionHandsOverNothingStaleAfterTheRingRestarts) {
    Recorder r;
    const auto entries = ring(10);
    r.handover.setOn(true);
    r.frame(entries, 2);
    r.frame(entries, 5);
    r.handover.forgetPosition();
    EXPECT_EQ(r.handover.position(), -1);
    r.frame(entries, 3); // the restarted ring: only its position is taken
    EXPECT_EQ(r.handover.position(), 3);
    r.frame(entries, 6);
    r.takeIntoFile();
    EXPECT_EQ(r.file, (std::vector<std::uint8_t>{2, 3, 4, 3, 4, 5}));
}

TEST(RecorderHandover, APositionBeyondAShorterRecordStartsOver) {
    Recorder r;
    r.handover.setOn(true);
    r.frame(ring(2000), 1500);
    r.frame(ring(1000), 200);
    EXPECT_EQ(r.handover.position(), 200);
    EXPECT_EQ(r.handover.pending(), 0u);
}

// Four frames of 19999 new samples each come before one callback: 79996 bytes would overrun
// the buffer. The hand-over writes the full buffer out early and goes on; every sample reaches
// the file once, in order.
TEST(RecorderHandover, SeveralFramesBeforeOneCallbackFlushEarlyAndLoseNothing) {
    Recorder r;
    constexpr std::int32_t n = 20000;
    const auto entries = ring(n);
    r.handover.setOn(true);
    std::int32_t w = 0;
    r.frame(entries, w);
    for (int f = 0; f < 4; ++f) {
        w = (w + n - 1) % n;
        r.frame(entries, w);
        EXPECT_LE(r.handover.pending(), RecorderHandover::kCapacity);
    }
    EXPECT_EQ(r.flushes, 1);
    r.takeIntoFile(); // the callback
    EXPECT_EQ(r.file, expectedBytes(0, 4 * (n - 1), n));
}

// While the program stops, the early flush is refused: the buffer stays full, nothing is written
// past it, and the position stays where copying stopped, so a later frame goes on from there.
TEST(RecorderHandover, ARefusedFlushKeepsTheRestForTheNextFrame) {
    Recorder r;
    constexpr std::int32_t n = 20000;
    const auto entries = ring(n);
    r.handover.setOn(true);
    r.refuse = true;
    std::int32_t w = 0;
    r.frame(entries, w);
    for (int f = 0; f < 5; ++f) { // 80000 new samples
        w = (w + 16000) % n;
        r.frame(entries, w);
    }
    EXPECT_EQ(r.handover.pending(), RecorderHandover::kCapacity);
    EXPECT_EQ(r.handover.position(), static_cast<std::int32_t>(RecorderHandover::kCapacity % n));
    r.takeIntoFile();
    r.refuse = false;
    w = (w + 100) % n;
    r.frame(entries, w);
    r.takeIntoFile();
    EXPECT_EQ(r.file, expectedBytes(0, 5 * 16000 + 100, n));
}

} // namespace
} // namespace qs40
