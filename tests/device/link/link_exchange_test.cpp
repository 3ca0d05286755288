// The whole way from the host to the instrument and back through the D2XX interface: the link
// opens the instrument, the FPGA is loaded, parameters go out and frames that echo them come
// back. Once against the simulated instrument's own backend, once through the serial-port
// backend over a pseudo-terminal with the simulated instrument on the other end.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "device/d2xx/event.h"
#include "device/link/fpga_image.h"
#include "device/link/link_state.h"
#include "device/link/protocol_layout.h"
#include "device/link/protocol_session.h"
#include "device/d2xx/tty_backend.h"
#include "device/link/usb_link.h"
#include "../scripted_ui.h"
#include "sim/device_choice.h"
#include "sim/pty_server.h"
#include "sim/sim_d2xx.h"

namespace qs40 {
namespace {

using namespace std::chrono_literals;

struct FrameLog : FrameHandler {
    std::vector<std::uint8_t> sequences;
    std::vector<std::uint8_t> headers;
    void onFrame(const ReceivedFrame& f) override {
        sequences.push_back(f.tail[tail_field::kSequence]);
        headers.push_back(f.header);
    }
};

AcquisitionParams runningAllChannels() {
    AcquisitionParams p;
    p.recordLength = 2000;
    p.divider = 20;
    p.preTrigger = 200;
    p.postTrigger = 1800;
    p.runBits = 0x8F;
    p.thresholds = {120, 136, 120, 136};
    p.freqMeterInput = 1;
    p.inputA1 = 0x0F;
    p.inputA2 = 0x07;
    p.offsetA1 = 1552;
    p.offsetA2 = 1552;
    p.frameIntervalMs = 10;
    p.genMode = 5;
    return p;
}

// Runs the host's side: open, FPGA load, one parameter packet, then receive steps until
// `frames` frames with the packet's sequence number arrived or `more` says stop.
template <class More>
void exchange(D2xx& d2xx, More&& more, FrameLog& log, LinkState& link,
              const PauseFunction& pause, std::size_t frames) {
    testing::ScriptedUi ui;
    Event wake;
    UsbLink usb(d2xx, ui, &wake, "qs40");
    ASSERT_EQ(usb.open(), FT_OK);
    EXPECT_TRUE(ui.boxes.empty());

    ProtocolSession session(d2xx, link, &log);
    session.setHandle(usb.handle());
    session.setPause(pause);
    ASSERT_EQ(session.configureFpga(placeholderFpgaImage()), FT_OK);
    for (int i = 0; i < 100 && !link.linkUp; ++i) {
        more();
        session.receiveStep();
    }
    ASSERT_TRUE(link.linkUp.load());

    ASSERT_EQ(session.sendParameters(runningAllChannels()), FT_OK);
    const std::uint8_t sequence = link.parameterSequence.load();
    auto matching = [&] {
        return static_cast<std::size_t>(
            std::count(log.sequences.begin(), log.sequences.end(), sequence));
    };
    for (int i = 0; i < 2000 && matching() < frames; ++i) {
        more();
        session.receiveStep();
    }
    EXPECT_GE(matching(), frames);
    EXPECT_EQ(link.checksumErrors.load(), 0u);
    for (std::uint8_t h : log.headers)
        EXPECT_EQ(h, 0x8F);
    EXPECT_EQ(usb.probe(), FT_OK);
    usb.close();
}

TEST(LinkExchange, ThroughTheSimulatedInstrumentsBackend) {
    sim::SimOptions options;
    options.clock = sim::SimClock::Manual;
    options.devices = {sim::AttachedDevice::Foreign, sim::AttachedDevice::Zr40};
    sim::SimD2xx d2xx(options);
    LinkState link;
    FrameLog log;
    const auto advance = [&] { d2xx.advance(sim::SimTime{5'000'000}); };
    const PauseFunction pause = [&](std::chrono::milliseconds ms) {
        d2xx.advance(sim::SimTime{ms.count() * 1'000'000});
    };
    exchange(d2xx, advance, log, link, pause, 3);
}

TEST(LinkExchange, ThroughTheSerialBackendOverAPseudoTerminal) {
    sim::PtyServer server{sim::InstrumentConfig{}};
    std::string error;
    ASSERT_TRUE(server.open(error)) << error;
    std::atomic<bool> stop{false};
    std::thread serving([&] {
        while (!stop)
            server.serveOnce(1ms);
    });

    std::string choiceError;
    auto d2xx = makeD2xx("tty:" + server.slavePath(), choiceError);
    ASSERT_TRUE(d2xx) << choiceError;
    LinkState link;
    FrameLog log;
    const auto wait = [] { std::this_thread::sleep_for(2ms); };
    const PauseFunction pause = [](std::chrono::milliseconds ms) {
        std::this_thread::sleep_for(ms);
    };
    exchange(*d2xx, wait, log, link, pause, 2);

    stop = true;
    serving.join();
}

TEST(DeviceChoice, NamesEveryBackendAndRefusesOthers) {
    std::string error;
    EXPECT_NE(makeD2xx("sim", error), nullptr);
    EXPECT_NE(makeD2xx("sim:variant=63,pace=fast", error), nullptr) << error;
    EXPECT_NE(makeD2xx("usb", error), nullptr);
    EXPECT_NE(makeD2xx("ftdi", error), nullptr);
    EXPECT_NE(makeD2xx("tty:/dev/null", error), nullptr);
    for (const char* bad : {"", "tty:", "serial", "sim:variant=banana", "simulator", "ftdi:0"}) {
        EXPECT_EQ(makeD2xx(bad, error), nullptr) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

} // namespace
} // namespace qs40
