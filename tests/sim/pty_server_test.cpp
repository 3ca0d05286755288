// The simulated instrument on a pseudo-terminal: a client opens the slave side like a serial
// device, loads the FPGA and reads the answer. Also the qs40-sim program itself.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "host_capture.h"
#include "sim/pty_server.h"

namespace qs40::sim {
namespace {

using namespace std::chrono_literals;

// Writes all bytes to a non-blocking fd, letting `serve` run while the terminal is full.
template <class Serve>
void writeAll(int fd, const std::vector<std::uint8_t>& bytes, Serve&& serve) {
    std::size_t done = 0;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (done < bytes.size() && std::chrono::steady_clock::now() < deadline) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        serve();
    }
    ASSERT_EQ(done, bytes.size());
}

struct Client {
    int fd = -1;
    explicit Client(const std::string& path) {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios tio{};
        if (fd >= 0 && ::tcgetattr(fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(fd, TCSANOW, &tio);
        }
    }
    ~Client() {
        if (fd >= 0)
            ::close(fd);
    }
    void readInto(test::HostCapture& host) {
        std::uint8_t buf[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            host.parser.feed({buf, static_cast<std::size_t>(n)});
        }
    }
};

TEST(PtyServer, ClientLoadsTheFpgaAndGetsFramesOverTheTerminal) {
    PtyServer server{InstrumentConfig{}};
    std::string error;
    ASSERT_TRUE(server.open(error)) << error;
    ASSERT_FALSE(server.slavePath().empty());
    Client client(server.slavePath());
    ASSERT_GE(client.fd, 0);
    test::HostCapture host;
    const auto serve = [&] {
        server.serveOnce(1ms);
        client.readInto(host);
    };

    writeAll(client.fd, test::fpgaLoad(kFpgaImageSize), serve);
    const AcquisitionParams p = test::runParams(1000, 10);
    host.parser.setFrameGeometry(p.recordLength, false);
    writeAll(client.fd, test::command(buildParameterPacket(p, 9, std::nullopt)), serve);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (host.frames.size() < 3 && std::chrono::steady_clock::now() < deadline)
        serve();
    ASSERT_FALSE(host.statuses.empty());
    EXPECT_EQ(host.statuses.back().configurationMark, kConfiguredMark);
    ASSERT_GE(host.frames.size(), 3u);
    EXPECT_EQ(host.frames.back().tail[tail_field::kSequence], 9);
    EXPECT_EQ(host.parser.counters().frameChecksumErrors, 0u);
}

TEST(Qs40SimProgram, PrintsTheTerminalPathAndEndsOnSigterm) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::execl(QS40_SIM_EXE, QS40_SIM_EXE, "--variant", "63", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c = 0;
    pollfd p{out[0], POLLIN, 0};
    while (::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    ::close(out[0]);
    EXPECT_EQ(line.rfind("/dev/pts/", 0), 0u) << line;
    EXPECT_EQ(::access(line.c_str(), R_OK | W_OK), 0) << line;

    {
        Client client(line);
        ASSERT_GE(client.fd, 0);
        test::HostCapture host;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (host.statuses.empty() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
            client.readInto(host);
        }
        ASSERT_FALSE(host.statuses.empty());
        EXPECT_EQ(host.statuses.back().featureWord, 63);
    }

    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace qs40::sim
