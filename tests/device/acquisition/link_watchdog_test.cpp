// The link watchdog's tick: counters, probe, the code 5 warning, the fault boxes 1..4 and the
// recovery with its two answers, and the guard against a tick inside a tick's boxes.
#include <gtest/gtest.h>

#include <algorithm>

#include "../fake_d2xx.h"
#include "../scripted_ui.h"
#include "device/acquisition/link_watchdog.h"

namespace qs40 {
namespace {

using testing::FakeD2xx;
using testing::ScriptedUi;

constexpr std::uint32_t kLocation = 0x1234;

class Watchdog : public ::testing::Test {
protected:
    FakeD2xx d2xx;
    ScriptedUi ui;
    UsbLink usb{d2xx, ui, nullptr, "qs40"};
    LinkState link;
    AcquisitionFlags flags;
    LinkWatchdog watchdog{link, flags, usb, ui};
    std::vector<std::chrono::milliseconds> pauses;

    void SetUp() override {
        d2xx.devices = {{"Digital Oscilloscope ZR40", kLocation}};
        ASSERT_EQ(usb.open(), FT_OK);
        link.linkUp = true;
        watchdog.setPause([this](std::chrono::milliseconds ms) { pauses.push_back(ms); });
        d2xx.calls.clear();
    }
    bool called(const std::string& prefix) const {
        return std::any_of(d2xx.calls.begin(), d2xx.calls.end(),
                           [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    }
    std::size_t indexOf(const std::string& prefix) const {
        for (std::size_t i = 0; i < d2xx.calls.size(); ++i)
            if (d2xx.calls[i].rfind(prefix, 0) == 0)
                return i;
        return d2xx.calls.size();
    }
};

TEST_F(Watchdog, PublishesAndZeroesTheCountersAndAsksForARedraw) {
    flags.framesDrawn = 3;
    flags.framesDecoded = 7;
    link.checksumErrors = 2;
    const WatchdogOutcome o = watchdog.tick(false);
    EXPECT_EQ(o.counters.drawn, 3u);
    EXPECT_EQ(o.counters.decoded, 7u);
    EXPECT_EQ(o.counters.checksumErrors, 2u);
    EXPECT_EQ(watchdog.shown().decoded, 7u);
    EXPECT_EQ(flags.framesDrawn.load(), 0u);
    EXPECT_EQ(flags.framesDecoded.load(), 0u);
    EXPECT_EQ(link.checksumErrors.load(), 0u);
    EXPECT_TRUE(link.displayRequest.load());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(o.releaseButtons);
    EXPECT_FALSE(o.applyAndStart);
    watchdog.tick(false);
    EXPECT_EQ(watchdog.shown().decoded, 0u);
}

struct ChecksumCase {
    std::uint32_t errors;
    bool russian;
    const char* caption; // nullptr: no box
    const char* text;
};

class UnstableLink : public Watchdog, public ::testing::WithParamInterface<ChecksumCase> {};

TEST_P(UnstableLink, MoreThanFourChecksumErrorsInASecondGiveTheCode5Warning) {
    const ChecksumCase c = GetParam();
    link.checksumErrors = c.errors;
    watchdog.tick(c.russian);
    if (!c.caption) {
        EXPECT_TRUE(ui.boxes.empty());
        return;
    }
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, c.caption);
    EXPECT_EQ(ui.boxes[0].text, c.text);
    EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::Ok);
    EXPECT_TRUE(link.linkUp.load()); // a warning only
}

INSTANTIATE_TEST_SUITE_P(
    Errors, UnstableLink,
    ::testing::Values(ChecksumCase{4, false, nullptr, nullptr},
                      ChecksumCase{5, false, "Warning", "Unstable USB connection.\r\nError code 5"},
                      ChecksumCase{5, true, "Предупреждение",
                                   "Неустойчивая связь с устройством.\r\nКод ошибки 5"}));

TEST_F(Watchdog, AFailingProbeWhileLinkedIsFault1AndYesRecovers) {
    d2xx.queueStatus = FT_IO_ERROR;
    ui.answers = {BoxAnswer::Yes};
    const WatchdogOutcome o = watchdog.tick(false);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Warning");
    EXPECT_EQ(ui.boxes[0].text, "Recover after USB connection lost.\r\nError code 1");
    EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::YesNo);
    // Port reset, the pause, then a new open without closing the old handle first.
    EXPECT_LT(indexOf("getQueueStatus"), indexOf("resetPort"));
    EXPECT_LT(indexOf("resetPort"), indexOf("openByLocation"));
    EXPECT_FALSE(called("close"));
    EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(1000)});
    EXPECT_FALSE(link.linkUp.load());
    EXPECT_FALSE(link.raised(LinkFault::ConnectionLost));
    EXPECT_TRUE(link.configureRequest.load());
    EXPECT_TRUE(o.applyAndStart);
    EXPECT_FALSE(o.releaseButtons);
    EXPECT_EQ(link.linkStatus.load(), FT_OK);
}

TEST_F(Watchdog, AFailingProbeWithoutTheLinkRaisesNothing) {
    link.linkUp = false;
    d2xx.queueStatus = FT_IO_ERROR;
    const WatchdogOutcome o = watchdog.tick(false);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(link.raised(LinkFault::ConnectionLost));
    EXPECT_EQ(link.linkStatus.load(), FT_IO_ERROR);
    EXPECT_FALSE(o.releaseButtons);
}

struct FaultTexts {
    bool russian;
    const char* caption;
    std::array<const char*, 4> texts;
};

class FaultBoxes : public Watchdog, public ::testing::WithParamInterface<FaultTexts> {};

// Every raised fault is shown, in the order 1..4; the last answer decides. No closes the
// instrument and releases the buttons.
TEST_P(FaultBoxes, AreShownInOrderAndTheLastAnswerDecides) {
    const FaultTexts c = GetParam();
    d2xx.queueStatus = FT_IO_ERROR;
    link.raise(LinkFault::FpgaConfigurationFailure);
    link.raise(LinkFault::PowerFailure);
    link.raise(LinkFault::FpgaConfigurationLost);
    ui.answers = {BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::No};
    const WatchdogOutcome o = watchdog.tick(c.russian);
    ASSERT_EQ(ui.boxes.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ui.boxes[i].caption, c.caption);
        EXPECT_EQ(ui.boxes[i].text, c.texts[i]);
        EXPECT_EQ(ui.boxes[i].icon, BoxIcon::Exclamation);
        EXPECT_EQ(ui.boxes[i].buttons, BoxButtons::YesNo);
    }
    EXPECT_TRUE(called("close"));
    EXPECT_FALSE(called("resetPort"));
    EXPECT_TRUE(pauses.empty());
    EXPECT_TRUE(o.releaseButtons);
    EXPECT_FALSE(o.applyAndStart);
    EXPECT_FALSE(link.linkUp.load());
    for (const LinkFault f : {LinkFault::ConnectionLost, LinkFault::FpgaConfigurationFailure,
                              LinkFault::PowerFailure, LinkFault::FpgaConfigurationLost})
        EXPECT_FALSE(link.raised(f));
    EXPECT_FALSE(link.configureRequest.load());
}

INSTANTIATE_TEST_SUITE_P(
    Languages, FaultBoxes,
    ::testing::Values(FaultTexts{false,
                                 "Warning",
                                 {"Recover after USB connection lost.\r\nError code 1",
                                  "Recover after FPGA configuration failure.\r\nError code 2",
                                  "Recover after Power failure.\r\nError code 3",
                                  "Recover after FPGA configuration lost.\r\nError code 4"}},
                      FaultTexts{
                          true,
                          "Предупреждение",
                          {"Восстановление после потери связи с устройством.\r\nКод ошибки 1",
                           "Восстановление после сбоя инициализации FPGA.\r\nКод ошибки 2",
                           "Восстановление после сбоя питания устройства.\r\nКод ошибки 3",
                           "Восстановление после потери конфигурации FPGA.\r\nКод ошибки 4"}}));

TEST_F(Watchdog, AFailedReopenClosesShowsTheUsbErrorAndReleasesTheButtons) {
    link.raise(LinkFault::PowerFailure);
    ui.answers = {BoxAnswer::Yes};
    // The instrument does not come back after the port reset.
    watchdog.setPause([this](std::chrono::milliseconds) { d2xx.devices.clear(); });
    const WatchdogOutcome o = watchdog.tick(false);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].caption, "USB Error");
    EXPECT_EQ(ui.boxes[1].text, "Device not found.");
    EXPECT_EQ(ui.boxes[1].icon, BoxIcon::Stop);
    EXPECT_TRUE(called("resetPort"));
    EXPECT_TRUE(called("close"));
    EXPECT_TRUE(o.releaseButtons);
    EXPECT_FALSE(o.applyAndStart);
    EXPECT_FALSE(link.configureRequest.load());
    EXPECT_EQ(link.linkStatus.load(), FT_DEVICE_NOT_FOUND);
}

// A Ui that, while its box is open, lets the timer fire again.
class ReentrantUi final : public Ui {
public:
    LinkWatchdog* watchdog = nullptr;
    std::vector<WatchdogOutcome> nested;
    int boxes = 0;
    BoxAnswer messageBox(const std::string&, const std::string&, BoxIcon, BoxButtons) override {
        ++boxes;
        nested.push_back(watchdog->tick(false));
        return BoxAnswer::No;
    }
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return {}; }
    void processMessages() override {}
};

TEST(WatchdogReentry, ATickInsideTheBoxesOfAnotherOnlyPublishesTheCounters) {
    FakeD2xx d2xx;
    d2xx.devices = {{"Digital Oscilloscope ZR40", kLocation}};
    ReentrantUi ui;
    UsbLink usb{d2xx, ui, nullptr, "qs40"};
    ASSERT_EQ(usb.open(), FT_OK);
    LinkState link;
    AcquisitionFlags flags;
    LinkWatchdog watchdog{link, flags, usb, ui};
    ui.watchdog = &watchdog;
    int busy = 0, idle = 0;
    watchdog.setBusyHooks([&] { ++busy; }, [&] { ++idle; });
    link.linkUp = true;
    link.raise(LinkFault::FpgaConfigurationLost);
    link.raise(LinkFault::ConnectionLost);
    d2xx.calls.clear();

    const WatchdogOutcome outer = watchdog.tick(false);
    EXPECT_EQ(ui.boxes, 2); // the nested ticks showed nothing
    ASSERT_EQ(ui.nested.size(), 2u);
    for (const auto& n : ui.nested) {
        EXPECT_TRUE(n.skipped);
        EXPECT_FALSE(n.releaseButtons);
    }
    EXPECT_FALSE(outer.skipped);
    EXPECT_TRUE(outer.releaseButtons);
    EXPECT_EQ(busy, 1);
    EXPECT_EQ(idle, 1);
    EXPECT_EQ(std::count(d2xx.calls.begin(), d2xx.calls.end(), "getQueueStatus 100"), 1);
}

} // namespace
} // namespace qs40
