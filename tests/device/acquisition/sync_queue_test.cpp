// The synchronised call: a worker's function runs on the GUI thread while the worker waits, and
// stopping releases a worker that waits for a GUI thread which no longer serves it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "device/acquisition/sync_queue.h"

namespace qs40 {
namespace {

using namespace std::chrono_literals;

// Serves the queue from a thread of its own until told to stop.
struct FakeGuiThread {
    SyncQueue& queue;
    std::atomic<bool> stop{false};
    std::thread thread{[this] {
        while (!stop.load()) {
            if (!queue.runPending())
                std::this_thread::sleep_for(100us);
        }
    }};
    ~FakeGuiThread() {
        stop = true;
        thread.join();
    }
};

template <class F> bool waitFor(F done) {
    for (int i = 0; i < 10000; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

TEST(SyncQueue, TheFunctionRunsOnTheGuiThreadWhileTheWorkerWaits) {
    std::atomic<int> notified{0};
    SyncQueue queue([&] { ++notified; });
    FakeGuiThread gui{queue};
    std::thread::id ranOn;
    bool finished = false;
    std::thread worker([&] {
        EXPECT_TRUE(queue.call([&] {
            ranOn = std::this_thread::get_id();
            finished = true;
        }));
        EXPECT_TRUE(finished); // the call returns only after the function has run
    });
    worker.join();
    EXPECT_EQ(ranOn, gui.thread.get_id());
    EXPECT_EQ(notified.load(), 1);
}

TEST(SyncQueue, RefusingReleasesAWaitingWorkerWithoutRunningItsFunction) {
    SyncQueue queue; // nobody serves it
    std::atomic<bool> ran{false};
    std::atomic<bool> returned{false};
    bool result = true;
    std::thread worker([&] {
        result = queue.call([&] { ran = true; });
        returned = true;
    });
    ASSERT_TRUE(waitFor([&] { return queue.hasPending(); }));
    EXPECT_FALSE(returned.load()); // waiting for a GUI thread that never comes
    queue.refuseCalls();
    EXPECT_TRUE(waitFor([&] { return returned.load(); })); // the refusal alone releases it
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_FALSE(ran.load());
    EXPECT_FALSE(queue.runPending()); // nothing is left to run
    EXPECT_FALSE(queue.call([&] { ran = true; }));
    EXPECT_FALSE(ran.load());
}

// A call the GUI thread has already begun completes: the worker gets true.
TEST(SyncQueue, ACallAlreadyRunningCompletesDespiteTheRefusal) {
    SyncQueue queue;
    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};
    bool result = false;
    std::thread worker([&] {
        result = queue.call([&] {
            inside = true;
            while (!release.load())
                std::this_thread::sleep_for(100us);
        });
    });
    ASSERT_TRUE(waitFor([&] { return queue.hasPending(); }));
    std::thread gui([&] { queue.runPending(); });
    ASSERT_TRUE(waitFor([&] { return inside.load(); }));
    queue.refuseCalls();
    release = true;
    gui.join();
    worker.join();
    EXPECT_TRUE(result);
}

TEST(DirectSync, RunsInTheCallerUntilRefused) {
    DirectSync sync;
    int runs = 0;
    EXPECT_TRUE(sync.call([&] { ++runs; }));
    sync.refuseCalls();
    EXPECT_FALSE(sync.call([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
}

} // namespace
} // namespace qs40
