#include "device/d2xx/device_descriptions.h"
#include "device/d2xx/event.h"
#include "device/d2xx/tty_backend.h"
#include "device/d2xx/tty_lock.h"
#include "os/unique_fd.h"
#include "device/link/usb_link.h"
#include "fake_sysfs.h"
#include "pty_pair.h"
#include "../scripted_ui.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>

namespace qs40 {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using testing::FakeSysfs;
using testing::PtyPair;
using testing::ScriptedUi;

class TtyBackend : public ::testing::Test {
protected:
    void SetUp() override {
        std::uint32_t count = 0;
        ASSERT_EQ(backend->listDeviceCount(count), FT_OK);
        ASSERT_EQ(count, 1u);
        ASSERT_EQ(backend->openByLocation(kExplicitTtyLocation, handle), FT_OK);
        ASSERT_NE(handle, kNoHandle);
    }

    // Waits (boundedly) until the backend has queued `count` bytes.
    std::uint32_t waitForQueue(std::uint32_t count) {
        std::uint32_t queued = 0;
        for (int i = 0; i < 5000; ++i) {
            if (backend->getQueueStatus(handle, queued) != FT_OK || queued >= count)
                break;
            std::this_thread::sleep_for(1ms);
        }
        return queued;
    }

    Bytes readBytes(std::uint32_t length, FtStatus expected = FT_OK) {
        Bytes buffer(length);
        std::uint32_t got = 0;
        EXPECT_EQ(backend->read(handle, buffer.data(), length, got), expected);
        buffer.resize(got);
        return buffer;
    }

    PtyPair pty;
    std::unique_ptr<TtyD2xx> backend = TtyD2xx::forPath(pty.slavePath());
    FtHandle handle = kNoHandle;
};

TEST_F(TtyBackend, ListsThePathAsTheInstrument) {
    std::string description;
    std::uint32_t location = 0;
    EXPECT_EQ(backend->listDescription(0, description), FT_OK);
    EXPECT_EQ(description, kInstrumentDescription);
    EXPECT_EQ(backend->listLocation(0, location), FT_OK);
    EXPECT_EQ(location, kExplicitTtyLocation);
}

TEST_F(TtyBackend, ReadWaitsUpToTheTimeoutForTheWholeLength) {
    ASSERT_EQ(backend->setTimeouts(handle, 5000, 500), FT_OK);
    pty.send({1, 2, 3});
    std::thread late([&] {
        std::this_thread::sleep_for(50ms);
        pty.send({4, 5, 6});
    });
    EXPECT_EQ(readBytes(6), (Bytes{1, 2, 3, 4, 5, 6}));
    late.join();
}

TEST_F(TtyBackend, ReadReturnsWhatArrivedWhenTheTimeoutPasses) {
    ASSERT_EQ(backend->setTimeouts(handle, 30, 30), FT_OK);
    EXPECT_TRUE(readBytes(10).empty());
    pty.send({7, 8, 9});
    ASSERT_EQ(waitForQueue(3), 3u);
    EXPECT_EQ(readBytes(10), (Bytes{7, 8, 9}));
}

TEST_F(TtyBackend, QueueStatusAndPurge) {
    std::uint32_t rx = 99, tx = 99, events = 99;
    ASSERT_EQ(backend->getStatus(handle, rx, tx, events), FT_OK);
    EXPECT_EQ(rx, 0u);
    EXPECT_EQ(events, 0u);

    pty.send({1, 2, 3, 4, 5});
    EXPECT_EQ(waitForQueue(5), 5u);
    ASSERT_EQ(backend->getStatus(handle, rx, tx, events), FT_OK);
    EXPECT_EQ(rx, 5u);
    EXPECT_EQ(events, FT_EVENT_RXCHAR);

    ASSERT_EQ(backend->purge(handle, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    ASSERT_EQ(backend->getQueueStatus(handle, rx), FT_OK);
    EXPECT_EQ(rx, 0u);
    ASSERT_EQ(backend->setTimeouts(handle, 20, 20), FT_OK);
    EXPECT_TRUE(readBytes(5).empty());

    pty.send({6});
    EXPECT_EQ(waitForQueue(1), 1u);
    EXPECT_EQ(readBytes(1), Bytes{6}) << "bytes after the purge arrive";
}

TEST_F(TtyBackend, ConfiguresTheTerminal) {
    // The test's own descriptor on the slave sees the settings the backend applies. It is
    // opened before the backend's (which holds the terminal exclusively), so the backend
    // opens the device again.
    ASSERT_EQ(backend->close(handle), FT_OK);
    const UniqueFd fd(::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(fd);
    ASSERT_EQ(backend->openByLocation(kExplicitTtyLocation, handle), FT_OK);
    EXPECT_EQ(backend->resetDevice(handle), FT_OK);
    EXPECT_EQ(backend->setBaudRate(handle, 2000000), FT_OK);
    EXPECT_EQ(backend->setDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE),
              FT_OK);
    EXPECT_EQ(backend->setFlowControl(handle, FT_FLOW_NONE, 0x13, 0x17), FT_OK);
    EXPECT_EQ(backend->setLatencyTimer(handle, 0), FT_NOT_SUPPORTED) << "not a USB serial port";
    termios t{};
    ASSERT_EQ(tcgetattr(fd.get(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B2000000));
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B2000000));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);

    EXPECT_EQ(backend->setBaudRate(handle, 1234567), FT_INVALID_BAUD_RATE);
    EXPECT_EQ(backend->setDataCharacteristics(handle, 5, FT_STOP_BITS_1, FT_PARITY_NONE),
              FT_INVALID_PARAMETER);
    EXPECT_EQ(backend->setFlowControl(handle, 0x0200, 0x13, 0x17), FT_INVALID_PARAMETER);
}

TEST_F(TtyBackend, HangUpIsAnErrorNotSilence) {
    std::uint32_t rx = 0;
    ASSERT_EQ(backend->getQueueStatus(handle, rx), FT_OK);
    pty.closeMaster();
    EXPECT_EQ(backend->getQueueStatus(handle, rx), FT_IO_ERROR);
    std::uint8_t buffer[4] = {};
    std::uint32_t count = 0;
    EXPECT_EQ(backend->read(handle, buffer, 4, count), FT_IO_ERROR);
    EXPECT_EQ(backend->write(handle, buffer, 4, count), FT_IO_ERROR);
    EXPECT_EQ(backend->close(handle), FT_OK);
}

// A terminal without USB device behind it is reset by hanging it up.
TEST_F(TtyBackend, PortResetHangsUpATerminalWithoutUsbDevice) {
    ASSERT_EQ(backend->resetPort(handle), FT_OK);
    EXPECT_TRUE(pty.slaveHungUp()) << "the descriptor was closed";
    std::uint32_t rx = 0;
    EXPECT_EQ(backend->getQueueStatus(handle, rx), FT_IO_ERROR);
    FtHandle fresh = kNoHandle;
    ASSERT_EQ(backend->openByLocation(kExplicitTtyLocation, fresh), FT_OK);
    EXPECT_EQ(backend->getQueueStatus(fresh, rx), FT_OK);
}

// A pseudo-terminal has no low-latency mode: the request is not an error, and not done either.
TEST_F(TtyBackend, LatencyTimerOnATerminalWithoutOneIsNotSupported) {
    EXPECT_EQ(backend->setLatencyTimer(handle, 0), FT_NOT_SUPPORTED);
    EXPECT_EQ(backend->setLatencyTimer(handle, 16), FT_NOT_SUPPORTED);
    std::uint32_t rx = 99;
    EXPECT_EQ(backend->getQueueStatus(handle, rx), FT_OK) << "the port works as before";
    EXPECT_EQ(rx, 0u);
}

TEST_F(TtyBackend, CloseWhileAnotherThreadReadsEndsTheRead) {
    ASSERT_EQ(backend->setTimeouts(handle, 500, 500), FT_OK);
    for (int round = 0; round < 20; ++round) {
        if (round > 0) {
            ASSERT_EQ(backend->openByLocation(kExplicitTtyLocation, handle), FT_OK);
        }
        std::atomic<bool> started = false;
        std::atomic<FtStatus> last = FT_OK;
        const FtHandle h = handle;
        std::thread reader([&] {
            std::uint8_t buffer[64];
            std::uint32_t got = 0;
            FtStatus status = FT_OK;
            while (status == FT_OK) {
                started = true;
                status = backend->read(h, buffer, sizeof buffer, got);
            }
            last = status;
        });
        std::atomic<FtStatus> probed = FT_OK;
        std::thread prober([&] {
            std::uint32_t rx = 0;
            std::uint32_t written = 0;
            const std::uint8_t byte = 0;
            FtStatus status = FT_OK;
            while ((status = backend->getQueueStatus(h, rx)) == FT_OK &&
                   (status = backend->write(h, &byte, 1, written)) == FT_OK) {
            }
            probed = status;
        });
        while (!started)
            std::this_thread::yield();
        pty.send({1, 2, 3});
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 5));
        EXPECT_EQ(backend->close(h), FT_OK);
        reader.join();
        prober.join();
        EXPECT_EQ(last.load(), FT_INVALID_HANDLE);
        EXPECT_EQ(probed.load(), FT_INVALID_HANDLE) << "the prober ended on the close";
    }
}

TEST(TtyBackendScan, OpensAScannedDeviceByItsLocation) {
    PtyPair pty;
    FakeSysfs tree;
    tree.addNode("ttyUSB0", pty.slavePath());
    tree.addUsbTty("ttyUSB0", 1, "1.4", 5, 0, "FT232R USB UART");
    auto backend = TtyD2xx::scanning(tree.roots());
    std::uint32_t count = 0;
    ASSERT_EQ(backend->listDeviceCount(count), FT_OK);
    ASSERT_EQ(count, 1u);
    FtHandle handle = kNoHandle;
    ASSERT_EQ(backend->openByLocation(0x01000140u, handle), FT_OK);
    // The USB node of the fake tree does not exist: no reset, and the handle is finished all
    // the same; the device opens again.
    EXPECT_EQ(backend->resetPort(handle), FT_IO_ERROR);
    std::uint32_t rx = 0;
    EXPECT_EQ(backend->getQueueStatus(handle, rx), FT_IO_ERROR);
    ASSERT_EQ(backend->openByLocation(0x01000140u, handle), FT_OK);
    const std::uint8_t byte = 0x5A;
    std::uint32_t written = 0;
    ASSERT_EQ(backend->write(handle, &byte, 1, written), FT_OK);
    EXPECT_EQ(pty.receive(1), Bytes{0x5A});
}

// Another program's hold, played by a second backend in this process: the lock belongs to the
// open file description, so two opens of one terminal keep each other out as two processes do
// (and as root, whom TIOCEXCL alone does not stop).
TEST(TtyBackendExclusive, ASecondOpenerFindsTheTerminalInUseAndLeavesItAlone) {
    PtyPair pty;
    const auto holder = TtyD2xx::forPath(pty.slavePath());
    const auto second = TtyD2xx::forPath(pty.slavePath());
    FtHandle held = kNoHandle;
    ASSERT_EQ(holder->openByLocation(kExplicitTtyLocation, held), FT_OK);
    EXPECT_EQ(holder->lastOpenRefusal().reason, OpenRefusal::Reason::None);
    ASSERT_EQ(holder->setFlowControl(held, 0x0400, 0x13, 0x17), FT_OK); // XON/XOFF

    FtHandle refused = kNoHandle;
    EXPECT_EQ(second->openByLocation(kExplicitTtyLocation, refused), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(refused, kNoHandle);
    const OpenRefusal refusal = second->lastOpenRefusal();
    EXPECT_EQ(refusal.reason, OpenRefusal::Reason::InUse);
    EXPECT_EQ(refusal.device, pty.slavePath());

    // The refused open changed nothing: the holder's settings stay, its bytes arrive.
    const UniqueFd look(::open(pty.slavePath().c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(look);
    termios t{};
    ASSERT_EQ(tcgetattr(look.get(), &t), 0);
    EXPECT_NE(t.c_iflag & IXON, 0u) << "the second open did not put the terminal in raw mode";
    ASSERT_EQ(holder->setTimeouts(held, 5000, 500), FT_OK);
    pty.send({1, 2, 3});
    Bytes buffer(3);
    std::uint32_t got = 0;
    EXPECT_EQ(holder->read(held, buffer.data(), 3, got), FT_OK);
    EXPECT_EQ(buffer, (Bytes{1, 2, 3}));

    ASSERT_EQ(holder->close(held), FT_OK);
    EXPECT_EQ(second->openByLocation(kExplicitTtyLocation, refused), FT_OK)
        << "free once the holder let it go";
    EXPECT_EQ(second->lastOpenRefusal().reason, OpenRefusal::Reason::None);
}

// A second QS40 process: the child holds the terminal as the backend does, until it ends.
TEST(TtyBackendExclusive, AnotherProcessHoldsTheTerminalUntilItEnds) {
    PtyPair pty;
    const std::string path = pty.slavePath();
    int ready[2], release[2];
    ASSERT_EQ(pipe2(ready, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(release, O_CLOEXEC), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only async-signal-safe calls between fork and _exit. The parent's ends are closed, so
        // that the parent's close of the release pipe is seen.
        ::close(ready[0]);
        ::close(release[1]);
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const char held = fd >= 0 && holdTty(fd) ? 'h' : 'x';
        [[maybe_unused]] const auto told = ::write(ready[1], &held, 1);
        char byte = 0;
        [[maybe_unused]] const auto waited = ::read(release[0], &byte, 1); // until released
        _exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    const UniqueFd readyEnd(ready[0]);
    UniqueFd releaseEnd(release[1]);
    char held = 0;
    ASSERT_EQ(::read(readyEnd.get(), &held, 1), 1);
    ASSERT_EQ(held, 'h') << "the child could not take the terminal";

    // Through the link, as the window's Run button and qs40-cli show it.
    const auto backend = TtyD2xx::forPath(path);
    ScriptedUi ui;
    Event wake;
    UsbLink link(*backend, ui, &wake, "qs40");
    const FtStatus status = link.open();
    EXPECT_EQ(status, FT_DEVICE_NOT_OPENED);
    link.showUsbError(status, false);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "USB Error");
    EXPECT_EQ(ui.boxes[0].text, "Error - 3\r\n" + path + " is in use by another program.");

    releaseEnd.reset();
    int childStatus = 0;
    ASSERT_EQ(waitpid(child, &childStatus, 0), child);
    EXPECT_EQ(link.open(), FT_OK) << "free once the other process ended";
}

TEST(TtyBackendLink, OpensConfiguresAndNoticesTheLoss) {
    PtyPair pty;
    auto backend = TtyD2xx::forPath(pty.slavePath());
    ScriptedUi ui;
    Event wake;
    UsbLink link(*backend, ui, &wake, "qs40");
    ASSERT_EQ(link.open(), FT_OK);
    EXPECT_EQ(link.probe(), FT_OK);
    pty.send({0xA5});
    EXPECT_TRUE(wake.wait(10s)) << "the configuration asked for the wake event";

    pty.closeMaster(); // the pseudo-terminal is gone, as an unplugged adapter
    // The reader thread notices the hang-up on its next turn; the watchdog probes once a second.
    FtStatus probed = FT_OK;
    for (int i = 0; i < 500 && probed == FT_OK; ++i) {
        probed = link.probe();
        if (probed == FT_OK)
            std::this_thread::sleep_for(10ms);
    }
    EXPECT_NE(probed, FT_OK);
    const auto result = checkLink(link, false);
    EXPECT_EQ(result.outcome, LinkCheckOutcome::Failed);
    EXPECT_EQ(result.status, FT_DEVICE_NOT_FOUND);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Device not found.");
}

} // namespace
} // namespace qs40
