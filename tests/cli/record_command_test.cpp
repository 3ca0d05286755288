// qs40-cli record in-process against the simulated instrument (unpaced, on the real clock):
// the refusal of settings that give no slow roll, a recording ended by its duration, by a
// signal, by an unplugged instrument and by a file that stops taking bytes.
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "cli/exit_codes.h"
#include "files/recorder_companion.h"
#include "files/settings_file.h"

#include "../files/datafile_file_size_limit.h"
#include "cli_fixture.h"
#include "cli_test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <sstream>
#include <thread>

namespace qs40::cli {
namespace {

using testing::kFastSim;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
using Args = std::vector<std::string>;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The size the text file states.
std::optional<std::uint64_t> statedSize(const std::string& companion) {
    static const std::regex size("\r\nSize = ([0-9]+) Bytes\r\n");
    std::smatch m;
    if (!std::regex_search(companion, m, size))
        return std::nullopt;
    return std::stoull(m[1]);
}

class CliRecord : public testing::CliFixture {
protected:
    std::string bin = dir.file("rec.bin");
    std::string txt = dir.file("rec.txt");

    void SetUp() override {
        writeFile(config(), testing::kEnglishConfiguration);
        writeSettings("slow.qss", TimeDiv::T100mS, std::nullopt);
    }
    void writeSettings(const std::string& name, TimeDiv timeDiv, std::optional<TrigSource> source) {
        ScopeState state;
        state.System.Device_Type_Code = 31;
        state.Scope.TimeDiv = timeDiv;
        state.Trigger.Source = source;
        std::ostringstream sink;
        CliUi ui(sink);
        ASSERT_TRUE(writeSettingsFile(dir.file(name), state, ui, "Save"));
    }
    int record(Args options, const std::string& device = kFastSim,
               const std::string& settings = "slow.qss") {
        Args args{"record", "--device", device, "--settings", dir.file(settings), "--out", bin};
        args.insert(args.end(), options.begin(), options.end());
        return run(args);
    }
    // The file and its text file agree on the size, and the text file closes with the
    // start and stop lines, the size and the time.
    void expectIntact() {
        ASSERT_TRUE(fs::exists(bin));
        const std::string companion = readFile(txt);
        EXPECT_EQ(statedSize(companion), fs::file_size(bin)) << companion;
        EXPECT_NE(companion.find("Oscilloscope recorder file = rec.bin\r\n"), std::string::npos);
        EXPECT_NE(companion.find("\r\nStart recording = "), std::string::npos);
        EXPECT_NE(companion.find("\r\nStop recording = "), std::string::npos);
        EXPECT_NE(companion.find("\r\nTime = 0  00:00:"), std::string::npos);
    }
};

TEST_F(CliRecord, SettingsWithoutASlowRollAreRefusedWithStatusTwo) {
    const struct {
        const char* name;
        TimeDiv timeDiv;
        std::optional<TrigSource> source;
    } cases[] = {
        {"trigger.qss", TimeDiv::T1S, TrigSource::A1},
        {"fast.qss", TimeDiv::T50mS, std::nullopt},
    };
    for (const auto& c : cases) {
        writeSettings(c.name, c.timeDiv, c.source);
        EXPECT_EQ(record({"--duration", "1"}, kFastSim, c.name), kExitUsage) << c.name;
        EXPECT_EQ(err.str(), "qs40-cli: record: the settings give no slow roll without "
                             "trigger: Run 0.1 .. 20 S/Div. Disable Trigger.\n");
        EXPECT_FALSE(fs::exists(bin));
    }
}

TEST_F(CliRecord, TheDurationEndsTheRecordingWithTheTextFileWritten) {
    EXPECT_EQ(record({"--duration", "2.5"}), kExitOk) << err.str();
    expectIntact();
    EXPECT_GT(fs::file_size(bin), 0u);
    EXPECT_NE(out.str().find("Wrote "), std::string::npos);
    // Progress at most once a second.
    const std::string e = err.str();
    const auto lines = std::count(e.begin(), e.end(), '\n');
    EXPECT_GE(lines, 1);
    EXPECT_LE(lines, 3);
    EXPECT_NE(e.find(" bytes, 0  00:00:0"), std::string::npos) << e;
    EXPECT_NE(e.find(" bytes/s\n"), std::string::npos) << e;
}

TEST_F(CliRecord, SigintAndSigtermEndItCleanly) {
    for (const int signal : {SIGINT, SIGTERM}) {
        std::thread sender([signal] {
            std::this_thread::sleep_for(2s);
            ::kill(::getpid(), signal);
        });
        const int status = record({});
        sender.join();
        EXPECT_EQ(status, kExitOk) << err.str();
        expectIntact();
        EXPECT_EQ(readFile(txt).find("Recording ended"), std::string::npos);
    }
}

TEST_F(CliRecord, AnUnpluggedInstrumentEndsItWithStatusThreeAndTheFileIntact) {
    EXPECT_EQ(record({}, "sim:pace=fast,fault=unplug,at=3s,for=30s"), kExitDevice);
    expectIntact();
    EXPECT_GT(fs::file_size(bin), 0u);
    EXPECT_NE(readFile(txt).find("\r\nRecording ended: USB connection lost (error code 1)\r\n"),
              std::string::npos);
    EXPECT_NE(err.str().find("the recording ended: the USB connection was lost"), std::string::npos)
        << err.str();
}

TEST_F(CliRecord, AFileThatStopsTakingBytesEndsItWithStatusSix) {
    int status = 0;
    {
        qs40::testing::FileSizeLimit limit(4000);
        status = record({"--duration", "5"});
    }
    EXPECT_EQ(status, kExitWrite);
    EXPECT_EQ(fs::file_size(bin), 4000u);
    expectIntact();
    EXPECT_NE(err.str().find(bin + ": Can't open file for writing."), std::string::npos)
        << err.str();
}

} // namespace
} // namespace qs40::cli
