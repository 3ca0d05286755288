// The recorder against the simulated instrument on its manual clock: ten minutes of a slow
// roll recorded in seconds. The file must hold exactly the A1 bytes the instrument produced,
// in order, from the first frame after Start, with and without peak detection; parameters
// sent again during a recording (a recovery) must not append stale bytes.
#include <gtest/gtest.h>

#include "acquisition_harness.h"
#include "files/recorder_companion.h"
#include "files/recorder_session.h"
#include "scope/background_levels.h"
#include "scope/panel_view.h"
#include "scope/parameter_computation.h"
#include "scope/scope_state.h"

#include "../files/temp_folder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>

namespace qs40::integration {
namespace {

// What the instrument produced for A1: the new entries of every roll frame it sent, in ring
// order, with the stream offset at which each frame's new entries begin. New parameters (a
// new sequence number) restart the ring: the frame after them adds nothing, as on the host.
struct ProducedStream {
    std::mutex mutex;
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> frameStarts;
    std::vector<std::size_t> restartFrames; // frames that began a new ring
    std::int32_t lastWrite = -1;
    int lastSequence = -1;

    void observe(const sim::AcquiredFrame& f, int sequence) {
        std::lock_guard lock(mutex);
        if (sequence != lastSequence) {
            restartFrames.push_back(frameStarts.size());
            lastSequence = sequence;
            lastWrite = -1;
        }
        const auto& ring = f.samples.analog[0];
        const auto n = static_cast<std::int32_t>(ring.size());
        const std::int32_t w = f.writePointer;
        frameStarts.push_back(bytes.size());
        if (lastWrite >= 0 && n > 0)
            for (std::int32_t k = lastWrite; k != w; k = (k + 1) % n)
                bytes.push_back(ring[static_cast<std::size_t>(k)]);
        lastWrite = w;
    }
};

// The slow roll the recorder takes: 0.1 s/div without trigger, A1 only.
AcquisitionSnapshot slowRoll(bool peak) {
    ScopeState state;
    state.System.Device_Type_Code = 31;
    state.Scope.TimeDiv = TimeDiv::T100mS;
    state.Trigger.Source.reset();
    state.Common.CH_A2 = state.Common.CH_D1 = state.Common.CH_D2 = false;
    state.Common.SmplPeakDet = peak;
    state.Common.Sampling = Sampling::N20000;
    state.Common.Max_FPS = MaxFps::F8; // fewer frames to decode; each still holds a second
    state.Run.runDown = true;
    state.Run.running = true;
    AcquisitionParams params;
    BackgroundLevels background;
    PanelView view;
    computeParameters(state, params, background, view);
    AcquisitionSnapshot s;
    s.params = params;
    return s;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct RecorderRun {
    Harness h;
    ProducedStream produced;
    testing::TempFolder folder;
    RecorderSession recorder{h.recorder, h.ui};
    std::string path = folder.file("rec.bin");

    explicit RecorderRun(sim::SimOptions options = manualClock()) : h(options) {
        h.d2xx.withInstrument(0, [this](sim::Instrument& i) {
            i.setFrameObserver([this, &i](const sim::AcquiredFrame& f) {
                produced.observe(f, i.settings().sequence);
            });
        });
    }
    void startThread() {
        ScopeThreadHooks hooks = h.hooks();
        hooks.recorderWrite = recorder.writer();
        h.session.startThread(std::move(hooks));
    }
    bool connectAndRun(const AcquisitionSnapshot& s) {
        if (h.session.open() != FT_OK)
            return false;
        startThread();
        if (!h.pumpUntil([this] { return h.link.linkUp.load(); }))
            return false;
        h.session.runWith(s);
        return h.pumpUntil([this] { return h.drawnHeaders.size() >= 2; });
    }
    // The file's bytes begin at a frame boundary of what was produced after `fromFrame` and
    // follow it without a gap; returns that boundary's index in the stream, or nothing.
    std::optional<std::size_t> placeInProduced(const std::vector<std::uint8_t>& file,
                                               std::size_t fromFrame) {
        std::lock_guard lock(produced.mutex);
        for (std::size_t i = fromFrame; i < produced.frameStarts.size(); ++i) {
            const std::size_t at = produced.frameStarts[i];
            if (at + file.size() <= produced.bytes.size() &&
                std::equal(file.begin(), file.end(), produced.bytes.begin() + at))
                return i;
        }
        return std::nullopt;
    }
    // How many of the file's bytes from `offset` on equal the stream from frame `frame` on.
    std::size_t matchFrom(const std::vector<std::uint8_t>& file, std::size_t offset,
                          std::size_t frame) {
        std::lock_guard lock(produced.mutex);
        if (frame >= produced.frameStarts.size())
            return 0;
        std::size_t at = produced.frameStarts[frame], k = 0;
        while (offset + k < file.size() && at + k < produced.bytes.size() &&
               file[offset + k] == produced.bytes[at + k])
            ++k;
        return k;
    }
    std::size_t streamOffset(std::size_t frame) {
        std::lock_guard lock(produced.mutex);
        return produced.frameStarts[frame];
    }
    // Bytes the host has not read yet.
    std::uint32_t queued() {
        std::uint32_t rx = 0;
        h.d2xx.getQueueStatus(h.usb.handle(), rx);
        return rx;
    }
    // Moves simulated time on in steps, each time serving the host until it has read what
    // arrived: the host keeps pace however slow the machine is, so the instrument's ring never
    // runs ahead of it.
    void runFor(sim::SimTime total, sim::SimTime step = 200ms) {
        for (sim::SimTime t{0}; t < total; t += step) {
            h.d2xx.advance(step);
            for (int k = 0; k < 20000 && (queued() > 0 || k < 20); ++k) {
                h.session.serve();
                std::this_thread::sleep_for(50us);
            }
        }
    }
    std::size_t producedBytes() {
        std::lock_guard lock(produced.mutex);
        return produced.bytes.size();
    }
    std::size_t framesProduced() {
        std::lock_guard lock(produced.mutex);
        return produced.frameStarts.size();
    }
};

class RecorderTenMinutes : public ::testing::TestWithParam<bool> {};

TEST_P(RecorderTenMinutes, TheFileHoldsExactlyTheA1BytesProducedAfterStart) {
    const bool peak = GetParam();
    RecorderRun r;
    ASSERT_TRUE(r.connectAndRun(slowRoll(peak)));
    const RecorderFrameFacts facts = [&] {
        std::lock_guard lock(r.h.frames.mutex);
        return recorderFactsOf(r.h.frames.current->header);
    }();
    EXPECT_EQ(facts.peakDetection, peak);
    r.recorder.rebuildInfo(facts);
    ASSERT_TRUE(r.recorder.ready());

    const std::size_t framesBeforeStart = r.framesProduced();
    ASSERT_TRUE(r.recorder.start(r.path, facts));
    r.runFor(600s);
    // Stop once the host has decoded every frame sent so far (a slow machine lags behind).
    const std::uint64_t sent = r.h.framesSent();
    const std::size_t producedAtStop = r.producedBytes();
    int catchUpSteps = 0;
    ASSERT_TRUE(r.h.pumpUntil(
        [&] {
            ++catchUpSteps;
            return r.h.decoded() >= sent;
        },
        10ms, 20000));
    const std::size_t framesAtStop = r.framesProduced();
    r.recorder.stop();
    r.h.session.stopThread();

    const std::vector<std::uint8_t> file = readBytes(r.path);
    const std::optional<std::size_t> from = r.placeInProduced(file, framesBeforeStart);
    ASSERT_TRUE(from.has_value()) << "the file is not a gapless run of the produced bytes";
    // It starts with the first frames after Start and runs at least up to the frames sent
    // before Stop.
    EXPECT_LE(*from, framesBeforeStart + 2);
    EXPECT_GE(r.streamOffset(*from) + file.size(), producedAtStop);
    // Ten minutes at 20000 entries a second (two a sample with peak detection: half the rate),
    // and what came while the host caught up.
    const double perSecond = 1e8 / facts.sampleStep * (peak ? 2 : 1);
    const double seconds = 600 + catchUpSteps / 20 * 0.01;
    EXPECT_GE(static_cast<double>(file.size()), 598 * perSecond);
    EXPECT_LE(static_cast<double>(file.size()), (seconds + 2) * perSecond);
    EXPECT_GT(framesAtStop - framesBeforeStart, 600u);

    // The companion: the information lines, start and stop, and the size of the file.
    std::ifstream companion(companionPathOf(r.path), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(companion), {}};
    EXPECT_NE(text.find("Oscilloscope recorder file = rec.bin\r\n"), std::string::npos);
    EXPECT_NE(text.find(peak ? "Peak detector on, bytes per sample = 2\r\n"
                             : "Peak detector off, bytes per sample = 1\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("Start recording = "), std::string::npos);
    EXPECT_NE(text.find("Stop recording = "), std::string::npos);
    EXPECT_NE(text.find("Size = " + std::to_string(file.size()) + " Bytes\r\n"), std::string::npos);
    EXPECT_EQ(r.recorder.bytes(), file.size());
}

INSTANTIATE_TEST_SUITE_P(PeakDetection, RecorderTenMinutes, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

// Parameters sent again in the middle (as a recovery's apply-and-start does) restart the
// instrument's ring: the recording goes on from the new ring without one stale byte. The file
// is the old ring's stream up to (about) the resend, then the new ring's from its first frames.
TEST(RecorderRecovery, ParametersSentAgainAppendNoStaleBytes) {
    RecorderRun r;
    const AcquisitionSnapshot roll = slowRoll(false);
    ASSERT_TRUE(r.connectAndRun(roll));
    RecorderFrameFacts facts;
    {
        std::lock_guard lock(r.h.frames.mutex);
        facts = recorderFactsOf(r.h.frames.current->header);
    }
    const std::size_t framesBeforeStart = r.framesProduced();
    ASSERT_TRUE(r.recorder.start(r.path, facts));
    r.runFor(10s);
    // The host has decoded what was sent (a slow machine lags behind), so that the frames on
    // their way at the resend are few.
    const std::uint64_t sent = r.h.framesSent();
    ASSERT_TRUE(r.h.pumpUntil([&] { return r.h.decoded() >= sent; }, 10ms, 20000));
    const std::size_t restartsBefore = r.produced.restartFrames.size();
    r.h.session.runWith(roll); // the same parameters again, with a new sequence number
    r.runFor(10s);
    r.recorder.stop();
    r.h.session.stopThread();

    ASSERT_EQ(r.produced.restartFrames.size(), restartsBefore + 1);
    const std::size_t restart = r.produced.restartFrames.back();
    const std::vector<std::uint8_t> file = readBytes(r.path);

    // The old ring's stream from the first frames after Start, up to the frames that were on
    // their way at the resend (the host drops those: they carry the old sequence number), then
    // the new ring's from its first frames to the end. Bytes of the old ring appended after the
    // resend would be in neither.
    std::size_t oldPart = 0;
    std::size_t from = framesBeforeStart;
    for (std::size_t f = framesBeforeStart; f <= framesBeforeStart + 2; ++f)
        if (const std::size_t k = r.matchFrom(file, 0, f); k > oldPart) {
            oldPart = k;
            from = f;
        }
    ASSERT_GT(oldPart, 0u) << "the file does not begin with the frames after Start";
    const std::size_t oldEnd = r.streamOffset(from) + oldPart;
    EXPECT_GE(oldEnd, r.streamOffset(restart - 3));
    std::size_t newPart = 0;
    // A few bytes of the new ring may equal the old stream's by chance: the cut between the two
    // parts lies at most that far back.
    constexpr std::size_t kChance = 64;
    if (oldPart < file.size()) {
        EXPECT_LE(oldEnd, r.streamOffset(restart) + kChance);
        for (std::size_t f = restart; f <= restart + 2 && newPart == 0; ++f)
            for (std::size_t cut = oldPart; cut + kChance >= oldPart && cut > 0; --cut)
                if (cut + r.matchFrom(file, cut, f) == file.size()) {
                    newPart = file.size() - cut;
                    break;
                }
    } else {
        newPart = oldEnd - r.streamOffset(restart); // nothing was dropped at the resend
    }
    EXPECT_GT(newPart, 100000u)
        << "the bytes after the resend are not the new ring's: stale bytes were appended (old "
           "part ends at "
        << oldEnd << ", the restart at " << r.streamOffset(restart) << ", the file has "
        << file.size() << " bytes)";
}

} // namespace
} // namespace qs40::integration
