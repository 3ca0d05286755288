// The acquisition thread's synchronised callback and its loop's requests, and the orderly stop:
// a worker waiting for a GUI thread that no longer serves it is released.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "../fake_d2xx.h"
#include "../scripted_ui.h"
#include "device/acquisition/scope_thread.h"
#include "device/acquisition/sync_queue.h"

namespace qs40 {
namespace {

using namespace std::chrono_literals;

template <class F> bool waitFor(F done) {
    for (int i = 0; i < 10000; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

struct Parts {
    testing::FakeD2xx d2xx;
    testing::ScriptedUi ui;
    UsbLink usb{d2xx, ui, nullptr, "qs40"};
    LinkState link;
    AcquisitionFlags flags;
    ParamsPublisher params;
    FrameSets frames;
    RecorderHandover recorder;
    Event wake;

    ScopeThreadParts with(Sync& sync) {
        return {usb, link, flags, params, frames, recorder, wake, sync, {}};
    }
};

TEST(SynchronisedCallback, RunsTheGuiWorkForEachRaisedRequest) {
    Parts p;
    DirectSync sync;
    std::vector<std::string> order;
    std::vector<std::uint8_t> written;
    ScopeThreadHooks hooks;
    hooks.singleShotEnded = [&] { order.push_back("single"); };
    hooks.perFrame = [&] { order.push_back("frame"); };
    hooks.recorderWrite = [&](std::span<const std::uint8_t> b) {
        order.push_back("recorder");
        written.assign(b.begin(), b.end());
    };
    hooks.activityIndicator = [&] { order.push_back("activity"); };
    Scope_Thread thread(p.with(sync), hooks);

    // Pending recorder bytes: a stream frame after the first.
    const std::vector<std::int32_t> ring{10, 11, 12, 13};
    p.recorder.setOn(true);
    p.recorder.handOver(ring, 1, true, {});
    p.recorder.handOver(ring, 3, true, {});
    p.flags.singleEnded = true;
    p.link.displayRequest = true;
    p.flags.frameDrawn = true;
    p.link.statusReadyRequest = true;
    thread.synchronisedCallback();

    EXPECT_EQ(order, (std::vector<std::string>{"single", "frame", "recorder", "activity"}));
    EXPECT_EQ(written, (std::vector<std::uint8_t>{11, 12}));
    EXPECT_EQ(p.flags.framesDrawn.load(), 1u);
    EXPECT_FALSE(p.link.displayRequest.load());
    EXPECT_FALSE(p.link.statusReadyRequest.load());
    EXPECT_FALSE(p.flags.singleEnded.load());
    EXPECT_FALSE(p.flags.frameDrawn.load());
    EXPECT_EQ(p.recorder.pending(), 0u);

    // A redraw without a new frame counts no drawn frame.
    order.clear();
    p.link.displayRequest = true;
    thread.synchronisedCallback();
    EXPECT_EQ(order, std::vector<std::string>{"frame"});
    EXPECT_EQ(p.flags.framesDrawn.load(), 1u);
}

TEST(ScopeThreadLoop, ADisplayRequestRunsTheCallbackThroughTheSyncPort) {
    Parts p;
    SyncQueue sync;
    std::atomic<int> frames{0};
    ScopeThreadHooks hooks;
    hooks.perFrame = [&] { ++frames; };
    Scope_Thread thread(p.with(sync), hooks);
    thread.start();
    p.link.displayRequest = true;
    p.wake.set();
    // The fake GUI thread is this one: it serves the queue until the frame was drawn.
    EXPECT_TRUE(waitFor([&] {
        sync.runPending();
        return frames.load() > 0;
    }));
    thread.requestStop();
    EXPECT_TRUE(waitFor([&] { return thread.leftLoop(); }));
    thread.join();
    // Without a link the thread touched nothing on the device.
    EXPECT_TRUE(p.d2xx.calls.empty());
}

// The GUI thread stops serving events and joins: the worker waiting in the synchronised call
// is released by the stop request alone and leaves its loop, so the join cannot hang.
TEST(ScopeThreadLoop, StopReleasesAWorkerWaitingForTheGuiThread) {
    Parts p;
    SyncQueue sync; // nobody serves it
    std::atomic<int> frames{0};
    ScopeThreadHooks hooks;
    hooks.perFrame = [&] { ++frames; };
    Scope_Thread thread(p.with(sync), hooks);
    thread.start();
    p.link.displayRequest = true;
    p.wake.set();
    ASSERT_TRUE(waitFor([&] { return sync.hasPending(); }));
    EXPECT_FALSE(thread.leftLoop()); // waiting for the GUI thread
    thread.requestStop();
    EXPECT_TRUE(waitFor([&] { return thread.leftLoop(); }));
    thread.join();
    EXPECT_EQ(frames.load(), 0);
}

TEST(ScopeThreadLoop, StopsWhileIdle) {
    Parts p;
    DirectSync sync;
    Scope_Thread thread(p.with(sync), {});
    thread.start();
    std::this_thread::sleep_for(30ms); // a few rounds of waiting on the wake event
    EXPECT_FALSE(thread.leftLoop());
    thread.requestStop();
    EXPECT_TRUE(waitFor([&] { return thread.leftLoop(); }));
    thread.join();
}

} // namespace
} // namespace qs40
