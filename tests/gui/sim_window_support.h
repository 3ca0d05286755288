// What the window tests over the simulated instrument share: the instrument's options from a
// device text, the event loop served until a condition holds, and the window over that
// instrument with its acquisition thread, as in use.
#pragma once

#include "main_window_test_support.h"
#include "sim/sim_d2xx.h"
#include "sim/sim_options.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>
#include <memory>
#include <string>

namespace qs40::testing {

// Generous: the machine may be busy. A test that passes never waits this long.
inline constexpr int kDeadlineMs = 30000;

inline sim::SimOptions simOptions(const std::string& text) {
    std::string error;
    auto options = sim::parseSimDeviceText(text, &error);
    EXPECT_TRUE(options) << error;
    return *options;
}

// Serves the event loop until done() holds (true) or the deadline passes (false).
template <class F> bool serveEventsUntil(F done, int ms = kDeadlineMs) {
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class SimWindow {
public:
    // The window for `variant` over the instrument `device` names; `adjust` changes the start
    // options (a configuration, the language) before the window is made.
    explicit SimWindow(std::int32_t variant = 63, const std::string& device = "sim:variant=63",
                       const std::function<void(StartOptions&)>& adjust = {})
        : d2xx(simOptions(device)) {
        application();
        StartOptions options;
        options.executablePath = "/opt/qs40/bin/qs40";
        options.variant = variant;
        options.russian = false;
        if (adjust)
            adjust(options);
        window = std::make_unique<TQS4003MFrm>(std::move(options), d2xx, &ui);
        window->show();
    }

    template <class F> bool waitFor(F done, int ms = kDeadlineMs) {
        return serveEventsUntil(done, ms);
    }
    // The link is up: the instrument is open and its FPGA loaded.
    bool connected() {
        return waitFor([this] { return window->linkState().linkUp.load(); });
    }
    template <class T = QObject> T* find(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QAction* action(const char* name) const { return find<QAction>(name); }
    void click(const char* name) const { find<QAbstractButton>(name)->click(); }
    void trigger(const char* name) const { action(name)->trigger(); }
    sim::InstrumentSettings instrument() {
        sim::InstrumentSettings s{};
        d2xx.withInstrument(0, [&](sim::Instrument& i) { s = i.settings(); });
        return s;
    }

    sim::SimD2xx d2xx;
    ScriptedUi ui;
    std::unique_ptr<TQS4003MFrm> window;
};

} // namespace qs40::testing
