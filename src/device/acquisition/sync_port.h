// How the acquisition thread has a function run on the GUI thread and waits for it (the
// synchronised callback). Once the program begins to stop, calls are refused, so that a worker
// never waits for a GUI thread that has stopped serving it.
#pragma once

#include <atomic>
#include <functional>

namespace qs40 {

class Sync {
public:
    virtual ~Sync() = default;
    // Runs f on the GUI thread and returns once it has run: true. False when the call is
    // refused because stopping has begun; f has not run then.
    virtual bool call(const std::function<void()>& f) = 0;
    // From now on every call is refused, and a call still waiting for the GUI thread returns
    // false without running. Callable from any thread.
    virtual void refuseCalls() = 0;
};

// Runs the function in the calling thread: for programs and tests without a GUI thread.
class DirectSync final : public Sync {
public:
    bool call(const std::function<void()>& f) override {
        if (refused_.load())
            return false;
        f();
        return true;
    }
    void refuseCalls() override { refused_.store(true); }

private:
    std::atomic<bool> refused_{false};
};

} // namespace qs40
