#include "device/d2xx/device_descriptions.h"
#include "device/d2xx/event.h"
#include "device/link/usb_link.h"
#include "device/link/usb_texts.h"
#include "../fake_d2xx.h"
#include "../scripted_ui.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

namespace qs40 {
namespace {

using ::testing::ElementsAre;
using testing::FakeD2xx;
using testing::FakeDevice;
using testing::ScriptedUi;

constexpr const char* kForeign = "FT232R USB UART";

struct LinkFixture {
    FakeD2xx d2xx;
    ScriptedUi ui;
    Event wake;
    UsbLink link{d2xx, ui, &wake, "qs40"};
};

std::size_t indexOf(const std::vector<std::string>& calls, const std::string& call) {
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i] == call)
            return i;
    }
    return calls.size();
}

struct OpenCase {
    const char* name;
    std::vector<FakeDevice> devices;
    FtStatus status;
    std::optional<std::uint32_t> openedLocation;
    bool refusal; // the older-instrument box is shown
};

TEST(UsbLinkOpen, ChoosesTheDeviceByDescription) {
    const OpenCase cases[] = {
        {"no device", {}, FT_DEVICE_NOT_FOUND, std::nullopt, false},
        {"two instruments: the lower index",
         {{kInstrumentDescription, 11}, {kInstrumentDescription, 22}},
         FT_OK,
         11,
         false},
        {"instrument preferred over an earlier foreign device",
         {{kForeign, 11}, {kInstrumentDescription, 22}},
         FT_OK,
         22,
         false},
        {"only a foreign device is opened", {{kForeign, 33}}, FT_OK, 33, false},
        {"only the older instrument is refused",
         {{kOlderInstrumentDescription, 44}},
         FT_DEVICE_NOT_FOUND,
         std::nullopt,
         true},
        {"older instrument refused, foreign device after it opened",
         {{kOlderInstrumentDescription, 44}, {kForeign, 55}},
         FT_OK,
         55,
         true},
        {"descriptions compare exactly (case)",
         {{"digital oscilloscope zr40", 66}},
         FT_OK,
         66,
         false},
        {"descriptions compare exactly (trailing blank)",
         {{"Digital Oscilloscope ", 77}},
         FT_OK,
         77,
         false},
        {"instrument that refuses to open: its status",
         {{kInstrumentDescription, 11, FT_DEVICE_NOT_OPENED}},
         FT_DEVICE_NOT_OPENED,
         std::nullopt,
         false},
        {"instrument that refuses to open, foreign device taken",
         {{kInstrumentDescription, 11, FT_DEVICE_NOT_OPENED}, {kForeign, 22}},
         FT_OK,
         22,
         false},
        {"foreign device that refuses to open: its status",
         {{kInstrumentDescription, 11, FT_DEVICE_NOT_OPENED}, {kForeign, 22, FT_IO_ERROR}},
         FT_IO_ERROR,
         std::nullopt,
         false},
        {"failed listing skips the device",
         {{kInstrumentDescription, 11, FT_OK, FT_IO_ERROR}, {kForeign, 22}},
         FT_OK,
         22,
         false},
        {"every listing failed",
         {{kInstrumentDescription, 11, FT_OK, FT_IO_ERROR}},
         FT_DEVICE_NOT_FOUND,
         std::nullopt,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkFixture f;
        f.d2xx.devices = c.devices;
        EXPECT_EQ(f.link.open(), c.status);
        if (c.openedLocation) {
            EXPECT_THAT(f.d2xx.opened, ElementsAre(*c.openedLocation));
            EXPECT_EQ(f.link.handle(), 100u);
        } else {
            EXPECT_FALSE(f.d2xx.anyOpened());
            EXPECT_EQ(f.link.handle(), kNoHandle);
        }
        if (c.refusal) {
            ASSERT_EQ(f.ui.boxes.size(), 1u);
            EXPECT_EQ(f.ui.boxes[0].caption, "qs40");
            EXPECT_EQ(f.ui.boxes[0].text, "ZR4001 device found. \r\nPlease, use ZR4001 software.");
            EXPECT_EQ(f.ui.boxes[0].icon, BoxIcon::Stop);
            EXPECT_EQ(f.ui.boxes[0].buttons, BoxButtons::Ok);
        } else {
            EXPECT_TRUE(f.ui.boxes.empty());
        }
    }
}

TEST(UsbLinkOpen, ReturnsTheStatusOfAFailedCount) {
    LinkFixture f;
    f.d2xx.devices = {{kInstrumentDescription, 11}};
    f.d2xx.countStatus = FT_IO_ERROR;
    EXPECT_EQ(f.link.open(), FT_IO_ERROR);
    EXPECT_FALSE(f.d2xx.anyOpened());
}

TEST(UsbLinkOpen, ConfiguresTheChannelInOrderAfterTheOpen) {
    LinkFixture f;
    f.d2xx.devices = {{kForeign, 5}, {kInstrumentDescription, 9}};
    ASSERT_EQ(f.link.open(), FT_OK);
    const std::size_t open = indexOf(f.d2xx.calls, "openByLocation 9");
    ASSERT_LT(open, f.d2xx.calls.size());
    EXPECT_THAT(f.d2xx.callsFrom(open + 1),
                ElementsAre("resetDevice 100", "setBaudRate 100 2000000",
                            "setDataCharacteristics 100 8 0 0", "setFlowControl 100 0 19 23",
                            "setTimeouts 100 500 500", "purge 100 3", "setLatencyTimer 100 0",
                            "setEventNotification 100 1"));
    EXPECT_EQ(f.d2xx.notifiedEvent, &f.wake);
}

TEST(UsbLinkOpen, ConfiguresNothingWhenNothingOpens) {
    LinkFixture f;
    f.d2xx.devices = {{kInstrumentDescription, 9, FT_DEVICE_NOT_OPENED}};
    ASSERT_EQ(f.link.open(), FT_DEVICE_NOT_OPENED);
    for (const auto& call : f.d2xx.calls)
        EXPECT_EQ(call.rfind("list", 0) == 0 || call.rfind("open", 0) == 0, true) << call;
}

// A port that refuses a step of the configuration fails the open with that step's status, the
// handle closed, before anything talks to the instrument.
TEST(UsbLinkOpen, RefusedConfigurationStepFailsTheOpenAndClosesTheHandle) {
    struct Case {
        const char* call;
        FtStatus status;
        const char* lastStep; // the step that was refused
    };
    const Case cases[] = {
        {"resetDevice", FT_IO_ERROR, "resetDevice 100"},
        {"setBaudRate", FT_INVALID_BAUD_RATE, "setBaudRate 100 2000000"},
        {"setDataCharacteristics", FT_INVALID_PARAMETER, "setDataCharacteristics 100 8 0 0"},
        {"setFlowControl", FT_INVALID_PARAMETER, "setFlowControl 100 0 19 23"},
        {"setTimeouts", FT_IO_ERROR, "setTimeouts 100 500 500"},
        {"purge", FT_IO_ERROR, "purge 100 3"},
        {"setLatencyTimer", FT_IO_ERROR, "setLatencyTimer 100 0"},
        {"setEventNotification", FT_INVALID_HANDLE, "setEventNotification 100 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        LinkFixture f;
        f.d2xx.devices = {{kInstrumentDescription, 9}};
        f.d2xx.refusals[c.call] = c.status;
        EXPECT_EQ(f.link.open(), c.status);
        ASSERT_GE(f.d2xx.calls.size(), 2u);
        EXPECT_EQ(f.d2xx.calls[f.d2xx.calls.size() - 2], c.lastStep) << "no step after it";
        EXPECT_EQ(f.d2xx.calls.back(), "close 100");
        EXPECT_TRUE(f.ui.boxes.empty()) << "the caller shows the box";
    }
}

TEST(UsbLinkOpen, PortWithoutLatencyTimerStillOpens) {
    LinkFixture f;
    f.d2xx.devices = {{kInstrumentDescription, 9}};
    f.d2xx.refusals["setLatencyTimer"] = FT_NOT_SUPPORTED;
    EXPECT_EQ(f.link.open(), FT_OK);
    EXPECT_EQ(f.d2xx.calls.back(), "setEventNotification 100 1");
}

TEST(LinkCheck, PortRefusingTheBaudRateGivesTheUsbErrorBox) {
    LinkFixture f;
    f.d2xx.devices = {{kInstrumentDescription, 1}};
    ASSERT_EQ(f.link.open(), FT_OK);
    f.d2xx.queueStatus = FT_IO_ERROR;
    f.d2xx.refusals["setBaudRate"] = FT_INVALID_BAUD_RATE; // the device came back wrong
    const auto result = checkLink(f.link, false);
    EXPECT_EQ(result.outcome, LinkCheckOutcome::Failed);
    EXPECT_EQ(result.status, FT_INVALID_BAUD_RATE);
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].caption, "USB Error");
    EXPECT_EQ(f.ui.boxes[0].text, "Error - 7");
}

TEST(UsbLinkDebugPrompts, AskBeforeEveryOpenWithExactTexts) {
    LinkFixture f;
    f.link.setDebugQs(true);
    f.d2xx.devices = {{kInstrumentDescription, 4660}, {kForeign, 17}};
    f.ui.answers = {BoxAnswer::No, BoxAnswer::Yes};
    ASSERT_EQ(f.link.open(), FT_OK);
    EXPECT_THAT(f.d2xx.opened, ElementsAre(17u));

    ASSERT_EQ(f.ui.boxes.size(), 3u);
    for (const auto& box : f.ui.boxes)
        EXPECT_EQ(box.caption, "qs40");
    EXPECT_EQ(f.ui.boxes[0].text, "Number of devices = 2. ");
    EXPECT_EQ(f.ui.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(f.ui.boxes[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(f.ui.boxes[1].text, "True device found.\r\nDescription = 'Digital Oscilloscope "
                                  "ZR40'  \r\nDev_Index = 0\r\nDev_Loc = 4660\r\nOpen ?");
    EXPECT_EQ(f.ui.boxes[1].icon, BoxIcon::Question);
    EXPECT_EQ(f.ui.boxes[1].buttons, BoxButtons::YesNo);
    EXPECT_EQ(f.ui.boxes[2].text, "Other device found.\r\nDescription = 'FT232R USB UART'  "
                                  "\r\nDev_Index = 1\r\nDev_Loc = 17\r\nTry to open ?");
    EXPECT_EQ(f.ui.boxes[2].icon, BoxIcon::Exclamation);
    EXPECT_EQ(f.ui.boxes[2].buttons, BoxButtons::YesNo);
}

TEST(UsbLinkDebugPrompts, NoToEveryPromptOpensNothing) {
    LinkFixture f;
    f.link.setDebugQs(true);
    // With the prompts on, the older instrument is asked about like any other device.
    f.d2xx.devices = {{kInstrumentDescription, 1}, {kOlderInstrumentDescription, 2}, {kForeign, 3}};
    f.ui.defaultAnswer = BoxAnswer::No;
    EXPECT_EQ(f.link.open(), FT_DEVICE_NOT_FOUND);
    EXPECT_FALSE(f.d2xx.anyOpened());
    ASSERT_EQ(f.ui.boxes.size(), 4u);
    EXPECT_EQ(f.ui.boxes[2].text.rfind("Other device found.\r\nDescription = "
                                       "'Digital Oscilloscope'  ",
                                       0),
              0u);
}

TEST(UsbLinkDebugPrompts, OneDeviceGivesNoCountBox) {
    LinkFixture f;
    f.link.setDebugQs(true);
    f.d2xx.devices = {{kInstrumentDescription, 1}};
    EXPECT_EQ(f.link.open(), FT_OK);
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].text.rfind("True device found.", 0), 0u);
}

TEST(UsbErrorBox, TextsInBothLanguages) {
    struct Case {
        FtStatus status;
        bool russian;
        const char* caption;
        const char* text;
    };
    const Case cases[] = {
        {FT_INVALID_HANDLE, false, "USB Error", "Invalid handle."},
        {FT_INVALID_HANDLE, true, "Ошибка USB", "Неверный дескриптор."},
        {FT_DEVICE_NOT_FOUND, false, "USB Error", "Device not found."},
        {FT_DEVICE_NOT_FOUND, true, "Ошибка USB", "Устройство не найдено."},
        {FT_DEVICE_NOT_OPENED, false, "USB Error", "Error - 3"},
        {FT_DEVICE_NOT_OPENED, true, "Ошибка USB", "Ошибка - 3"},
        {FT_OTHER_ERROR, false, "USB Error", "Error - 18"},
        {4294967295u, true, "Ошибка USB", "Ошибка - 4294967295"},
    };
    for (const auto& c : cases) {
        LinkFixture f;
        f.link.showUsbError(c.status, c.russian);
        ASSERT_EQ(f.ui.boxes.size(), 1u);
        EXPECT_EQ(f.ui.boxes[0].caption, c.caption) << c.status;
        EXPECT_EQ(f.ui.boxes[0].text, c.text) << c.status;
        EXPECT_EQ(f.ui.boxes[0].icon, BoxIcon::Stop);
        EXPECT_EQ(f.ui.boxes[0].buttons, BoxButtons::Ok);
    }
}

// A device that another program holds: the box keeps its text and says why on a second line,
// for the device whose open gave the status only.
TEST(UsbErrorBox, SaysOnASecondLineThatTheDeviceIsInUse) {
    const OpenRefusal ttyInUse{OpenRefusal::Reason::InUse, "/dev/ttyUSB0"};
    const OpenRefusal channelInUse{OpenRefusal::Reason::InUse, ""};
    struct Case {
        const char* name;
        std::vector<FakeDevice> devices;
        bool russian;
        const char* text;
    };
    const Case cases[] = {
        {"a terminal",
         {{kInstrumentDescription, 1, FT_DEVICE_NOT_OPENED, FT_OK, ttyInUse}},
         false,
         "Error - 3\r\n/dev/ttyUSB0 is in use by another program."},
        {"a terminal, in Russian",
         {{kInstrumentDescription, 1, FT_DEVICE_NOT_OPENED, FT_OK, ttyInUse}},
         true,
         "Ошибка - 3\r\n/dev/ttyUSB0 занято другой программой."},
        {"a USB channel",
         {{kInstrumentDescription, 1, FT_DEVICE_NOT_OPENED, FT_OK, channelInUse}},
         false,
         "Error - 3\r\nThe device is in use by another program."},
        {"a USB channel, in Russian",
         {{kInstrumentDescription, 1, FT_DEVICE_NOT_OPENED, FT_OK, channelInUse}},
         true,
         "Ошибка - 3\r\nУстройство занято другой программой."},
        {"no reason given",
         {{kInstrumentDescription, 1, FT_DEVICE_NOT_OPENED}},
         false,
         "Error - 3"},
        {"the instrument in use, then another device that fails otherwise",
         {{kInstrumentDescription, 1, FT_DEVICE_NOT_OPENED, FT_OK, ttyInUse},
          {kForeign, 2, FT_DEVICE_NOT_OPENED}},
         false,
         "Error - 3"},
    };
    for (const auto& c : cases) {
        LinkFixture f;
        f.d2xx.devices = c.devices;
        const FtStatus status = f.link.open();
        EXPECT_EQ(status, FT_DEVICE_NOT_OPENED) << c.name;
        f.link.showUsbError(status, c.russian);
        ASSERT_EQ(f.ui.boxes.size(), 1u) << c.name;
        EXPECT_EQ(f.ui.boxes[0].caption, c.russian ? "Ошибка USB" : "USB Error") << c.name;
        EXPECT_EQ(f.ui.boxes[0].text, c.text) << c.name;
    }

    LinkFixture f;
    f.d2xx.devices = {{kInstrumentDescription, 1, FT_DEVICE_NOT_OPENED, FT_OK, ttyInUse}};
    f.link.open();
    f.link.showUsbError(FT_INVALID_HANDLE, false);
    EXPECT_EQ(f.ui.boxes.at(0).text, "Invalid handle.") << "not the status of the open";
}

TEST(UsbLinkCalls, ProbeCloseAndPortResetUseTheHandle) {
    LinkFixture f;
    f.d2xx.devices = {{kInstrumentDescription, 1}};
    ASSERT_EQ(f.link.open(), FT_OK);
    const std::size_t before = f.d2xx.calls.size();
    EXPECT_EQ(f.link.probe(), FT_OK);
    EXPECT_EQ(f.link.resetPort(), FT_OK);
    EXPECT_EQ(f.link.close(), FT_OK);
    EXPECT_THAT(f.d2xx.callsFrom(before),
                ElementsAre("getQueueStatus 100", "resetPort 100", "close 100"));
    EXPECT_EQ(f.link.handle(), 100u) << "the handle keeps its value after the close";
}

TEST(LinkCheck, ProbeSuccessDoesNothingMore) {
    LinkFixture f;
    f.d2xx.devices = {{kInstrumentDescription, 1}};
    ASSERT_EQ(f.link.open(), FT_OK);
    const std::size_t before = f.d2xx.calls.size();
    const auto result = checkLink(f.link, false);
    EXPECT_EQ(result.outcome, LinkCheckOutcome::Linked);
    EXPECT_EQ(result.status, FT_OK);
    EXPECT_THAT(f.d2xx.callsFrom(before), ElementsAre("getQueueStatus 100"));
}

TEST(LinkCheck, LostLinkIsReopenedAndConfigured) {
    LinkFixture f;
    f.d2xx.devices = {{kInstrumentDescription, 1}};
    ASSERT_EQ(f.link.open(), FT_OK);
    f.d2xx.queueStatus = FT_IO_ERROR;
    const std::size_t before = f.d2xx.calls.size();
    const auto result = checkLink(f.link, false);
    EXPECT_EQ(result.outcome, LinkCheckOutcome::Reopened);
    EXPECT_EQ(result.status, FT_OK);
    const auto calls = f.d2xx.callsFrom(before);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "getQueueStatus 100");
    EXPECT_EQ(calls[1], "close 100");
    EXPECT_EQ(calls.back(), "setEventNotification 101 1") << "configured after the re-open";
    EXPECT_EQ(f.link.handle(), 101u);
    EXPECT_TRUE(f.ui.boxes.empty());
}

TEST(LinkCheck, FailedReopenClosesAndShowsTheBoxBetweenTheCallbacks) {
    LinkFixture f;
    f.d2xx.devices = {{kInstrumentDescription, 1}};
    ASSERT_EQ(f.link.open(), FT_OK);
    f.d2xx.queueStatus = FT_IO_ERROR;
    f.d2xx.devices.clear(); // unplugged
    const std::size_t before = f.d2xx.calls.size();
    std::vector<std::size_t> boxesSeenByCallback;
    const auto result =
        checkLink(f.link, true, [&] { boxesSeenByCallback.push_back(f.ui.boxes.size()); });
    EXPECT_EQ(result.outcome, LinkCheckOutcome::Failed);
    EXPECT_EQ(result.status, FT_DEVICE_NOT_FOUND);
    EXPECT_THAT(f.d2xx.callsFrom(before),
                ElementsAre("getQueueStatus 100", "close 100", "listDeviceCount", "close 100"));
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].caption, "Ошибка USB");
    EXPECT_EQ(f.ui.boxes[0].text, "Устройство не найдено.");
    EXPECT_THAT(boxesSeenByCallback, ElementsAre(0u, 1u));
}

// Run finds the link lost, and the instrument taken by another program in the meantime.
TEST(LinkCheck, ReopenOfAnInstrumentInUseSaysSo) {
    LinkFixture f;
    f.d2xx.devices = {{kInstrumentDescription, 1}};
    ASSERT_EQ(f.link.open(), FT_OK);
    f.d2xx.queueStatus = FT_IO_ERROR;
    f.d2xx.devices[0].openStatus = FT_DEVICE_NOT_OPENED;
    f.d2xx.devices[0].refusal = {OpenRefusal::Reason::InUse, "/dev/ttyUSB0"};
    const auto result = checkLink(f.link, false);
    EXPECT_EQ(result.outcome, LinkCheckOutcome::Failed);
    EXPECT_EQ(result.status, FT_DEVICE_NOT_OPENED);
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].text, "Error - 3\r\n/dev/ttyUSB0 is in use by another program.");
}

TEST(UsbLinkCaption, IsTheExecutableNameWithoutExtension) {
    EXPECT_EQ(executableCaption("/usr/bin/qs40"), "qs40");
    EXPECT_EQ(executableCaption("/opt/scope/QS40.exe"), "QS40");
    EXPECT_EQ(executableCaption("qs40-test.bin"), "qs40-test");
}

} // namespace
} // namespace qs40
