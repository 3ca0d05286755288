// The commands run in-process against the simulated instrument (unpaced, on the real clock).
#include "cli/cli_commands.h"
#include "cli/exit_codes.h"

#include "cli_fixture.h"
#include "cli_test_support.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include <cerrno>
#include <cstring>

namespace qs40::cli {
namespace {

using testing::kFastSim;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
using Args = std::vector<std::string>;
namespace fs = std::filesystem;

class CliCommands : public testing::CliFixture {
protected:
    void SetUp() override { writeFile(config(), testing::kEnglishConfiguration); }

    // acquire on the fast simulated instrument, with the given options.
    int acquire(Args options, const std::string& device = kFastSim) {
        Args args{"acquire", "--device", device};
        args.insert(args.end(), options.begin(), options.end());
        return run(args);
    }
    std::size_t errLines() const {
        const std::string text = err.str();
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }
    bool errHas(const std::string& text) const { return err.str().find(text) != std::string::npos; }
};

TEST_F(CliCommands, UsageHelpAndCommandLineErrors) {
    EXPECT_EQ(run({}), kExitUsage);
    EXPECT_NE(err.str().find("Usage:"), std::string::npos);
    EXPECT_EQ(out.str(), "");

    EXPECT_EQ(run({"acquire", "--help"}), kExitOk);
    EXPECT_NE(out.str().find("Exit status:"), std::string::npos);

    EXPECT_EQ(run({"acquire", "--frames"}), kExitUsage);
    EXPECT_EQ(errLines(), 1u);
    EXPECT_TRUE(errHas("--frames needs a value"));

    EXPECT_EQ(acquire({"--single"}, "nowhere"), kExitUsage);
    EXPECT_TRUE(errHas("unknown device 'nowhere'"));
}

TEST_F(CliCommands, ListsTheAttachedDevices) {
    ASSERT_EQ(run({"list", "--device", "sim:devices=zr40+foreign+old"}), kExitOk);
    const std::regex rows("Index +Location +Description\n"
                          "0 +[0-9]+ +Digital Oscilloscope ZR40\n"
                          "1 +[0-9]+ +FT232R USB UART\n"
                          "2 +[0-9]+ +Digital Oscilloscope\n");
    EXPECT_TRUE(std::regex_match(out.str(), rows)) << out.str();

    ASSERT_EQ(run({"list", "--device", "sim:devices="}), kExitOk);
    EXPECT_EQ(out.str(), "Index  Location    Description\n");
}

TEST_F(CliCommands, SavesASingleShotThatInfoDescribes) {
    ASSERT_EQ(acquire({"--single", "--save", file("shot.qsd")}), kExitOk) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_NE(out.str().find("Wrote " + file("shot.qsd") + " and " + file("shot.qss")),
              std::string::npos);
    EXPECT_NE(readFile(file("shot.qss")).find("[Scope]"), std::string::npos);

    ASSERT_EQ(run({"info", file("shot.qsd")}), kExitOk);
    EXPECT_NE(out.str().find("Variant: 31 ZR4003"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Channels: A1 A2 D1 D2"), std::string::npos) << out.str();
}

TEST_F(CliCommands, InfoRefusesWhatIsNoDataFile) {
    writeFile(file("junk.qsd"), "not a data file");
    fs::create_directory(file("folder.qsd"));
    ASSERT_EQ(::mkfifo(file("fifo.qsd").c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::string said;
    };
    const Case cases[] = {
        {file("junk.qsd"), "Invalid file format."},
        {file("missing.qsd"), "File not found. " + std::string(std::strerror(ENOENT))},
        {file("folder.qsd"), std::strerror(EISDIR)},
        // Refused at once: opened for reading, it would wait for a writer for ever.
        {file("fifo.qsd"), "Not a regular file"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run({"info", c.path}), kExitBadInput);
        EXPECT_EQ(err.str(), "qs40-cli: " + c.path + ": " + c.said + "\n");
        EXPECT_EQ(out.str(), "");
    }
}

TEST_F(CliCommands, ExportsTheTextTableAndRawChannels) {
    ASSERT_EQ(acquire({"--frames", "2", "--export-text", file("frame.txt"), "--export-bin", "A2",
                       file("a2.bin"), "--export-bin", "d1", file("d1.bin")}),
              kExitOk)
        << err.str();
    const std::string table = readFile(file("frame.txt"));
    EXPECT_TRUE(table.starts_with("Oscilloscope data. \r\n")) << table.substr(0, 40);
    EXPECT_NE(table.find("N\tA1\tA2\tD1\tD2\r\n"), std::string::npos);

    std::smatch samples;
    const std::string said = out.str();
    ASSERT_TRUE(std::regex_search(said, samples, std::regex("Frame: ([0-9]+) samples")));
    const auto count = std::stoul(samples[1]);
    EXPECT_GT(count, 0u);
    EXPECT_EQ(readFile(file("a2.bin")).size(), count);
    EXPECT_EQ(readFile(file("d1.bin")).size(), count);
    EXPECT_TRUE(readFile(file("a2.txt")).starts_with("Oscilloscope binary file = a2.bin\r\n"));
    EXPECT_TRUE(readFile(file("d1.txt")).starts_with("Oscilloscope binary file = d1.bin\r\n"));
}

TEST_F(CliCommands, AppliesTheSettingsFile) {
    const std::string settings = "[ZR40 SETTINGS FILE]\r\n\r\n[Scope]\r\nA1_Zero=100\r\n";
    writeFile(file("low.qss"), settings);
    // Saved under the settings file's own name: the settings file is the data file's companion.
    ASSERT_EQ(acquire({"--settings", file("low.qss"), "--single", "--save", file("low.qsd")}),
              kExitOk)
        << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(readFile(file("low.qss")), settings);
    ASSERT_EQ(run({"info", file("low.qsd")}), kExitOk);
    EXPECT_TRUE(std::regex_search(out.str(), std::regex("A1 zero level +100\n"))) << out.str();
}

TEST_F(CliCommands, RefusesAnUnusableSettingsFile) {
    fs::create_directory(file("folder.qss"));
    ASSERT_EQ(::mkfifo(file("fifo.qss").c_str(), 0600), 0);
    writeFile(file("data.qss"), std::string("\x00\x01\x02 binary\n", 11));
    struct Case {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {file("missing.qss"),
         "Open Settings: " + file("missing.qss") + ": File not found. " + std::strerror(ENOENT)},
        {file("folder.qss"), "Open Settings: " + file("folder.qss") + ": " + std::strerror(EISDIR)},
        {file("fifo.qss"), "Open Settings: " + file("fifo.qss") + ": Not a regular file"},
        {file("data.qss"), "is not a settings file"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(acquire({"--settings", c.path, "--save", file("out.qsd")}), kExitBadInput);
        EXPECT_EQ(errLines(), 1u) << err.str();
        EXPECT_TRUE(errHas(c.reason)) << err.str();
        EXPECT_FALSE(fs::exists(file("out.qsd")));
    }
}

TEST_F(CliCommands, FailsWithoutAWorkingInstrument) {
    struct Case {
        const char* device;
        const char* reason;
    };
    const Case cases[] = {
        {"sim:devices=", "USB Error: Device not found."},
        // A device that never answers the FPGA load.
        {"sim:devices=foreign,pace=fast", "did not come up after the FPGA load"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(acquire({"--save", file("none.qsd")}, c.device), kExitDevice);
        EXPECT_EQ(errLines(), 1u) << err.str();
        EXPECT_TRUE(errHas(c.reason)) << err.str();
        EXPECT_FALSE(fs::exists(file("none.qsd")));
    }
}

TEST_F(CliCommands, TimesOutWhenTheLinkIsSlowerThanTheTimeout) {
    // At the link's real pace the FPGA image alone takes half a second.
    EXPECT_EQ(acquire({"--timeout", "0.05", "--save", file("late.qsd")}, "sim"), kExitTimeout);
    EXPECT_EQ(errLines(), 1u) << err.str();
    EXPECT_TRUE(errHas("time-out: the instrument did not come up within 0.05 s")) << err.str();
    EXPECT_FALSE(fs::exists(file("late.qsd")));
}

TEST_F(CliCommands, ReadsTheConfigurationAndNeverWritesIt) {
    const std::string before = readFile(config());
    const auto stamp = fs::last_write_time(config());
    ASSERT_EQ(acquire({"--single", "--save", file("c.qsd"), "--export-text", file("c.txt")}),
              kExitOk)
        << err.str();
    // Its variant decides the columns: both channels of each kind.
    EXPECT_NE(readFile(file("c.txt")).find("N\tA1\tA2\tD1\tD2\r\n"), std::string::npos);
    EXPECT_EQ(readFile(config()), before);
    EXPECT_EQ(fs::last_write_time(config()), stamp);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 4)
        << "only the configuration and the three outputs";

    // Another configuration, named on the command line: its zero level is the frame's.
    writeFile(file("other.ini"), "[Scope]\r\nA1_Zero=100\r\n");
    ASSERT_EQ(acquire({"--config", file("other.ini"), "--single", "--save", file("o.qsd")}),
              kExitOk)
        << err.str();
    ASSERT_EQ(run({"info", file("o.qsd")}), kExitOk);
    EXPECT_TRUE(std::regex_search(out.str(), std::regex("A1 zero level +100\n"))) << out.str();

    EXPECT_EQ(acquire({"--config", file("absent.ini")}), kExitBadInput);
    EXPECT_TRUE(errHas("cannot read the configuration file")) << err.str();
}

TEST_F(CliCommands, AConfigurationThatCannotBeReadIsReportedInOneLine) {
    // Named on the command line: the run stops with the reason.
    fs::create_directory(file("folder.ini"));
    EXPECT_EQ(acquire({"--config", file("folder.ini"), "--single"}), kExitBadInput);
    EXPECT_EQ(errLines(), 1u);
    EXPECT_TRUE(
        errHas("cannot read the configuration file " + file("folder.ini") + ": Is a directory\n"))
        << err.str();
    ASSERT_EQ(::mkfifo(file("fifo.ini").c_str(), 0600), 0);
    EXPECT_EQ(acquire({"--config", file("fifo.ini"), "--single"}), kExitBadInput);
    EXPECT_EQ(err.str(), "qs40-cli: cannot read the configuration file " + file("fifo.ini") +
                             ": Not a regular file\n");
    static constexpr char kGarbage[] = "\x7f"
                                       "ELF\0\0\x01[System]";
    const std::string garbage(kGarbage, sizeof kGarbage - 1);
    writeFile(file("garbage.ini"), garbage);
    EXPECT_EQ(acquire({"--config", file("garbage.ini")}), kExitBadInput);
    EXPECT_EQ(errLines(), 1u);
    EXPECT_TRUE(errHas(": Not a text file\n")) << err.str();

    // The default one: said, and the run goes on; the file stays as it is.
    writeFile(config(), garbage);
    ASSERT_EQ(acquire({"--single", "--export-text", file("d.txt")}), kExitOk) << err.str();
    EXPECT_TRUE(errHas("cannot read the configuration file " + config() + ": Not a text file\n"))
        << err.str();
    EXPECT_EQ(readFile(config()), garbage);
}

TEST_F(CliCommands, VariantOfTheCommandLineIsTheOneTheInstrumentMustBe) {
    ASSERT_EQ(acquire({"--variant", "28", "--single", "--export-text", file("v.txt")},
                      "sim:variant=28,pace=fast"),
              kExitOk)
        << err.str();
    EXPECT_NE(readFile(file("v.txt")).find("N\tA\tD\r\n"), std::string::npos);

    // What the named variant lacks is refused before any instrument is looked for.
    EXPECT_EQ(acquire({"--variant", "28", "--export-bin", "a2", file("a2.bin")}, "sim:devices="),
              kExitUsage);
    EXPECT_TRUE(errHas("the ZR4001A (variant 28) has no channel A2")) << err.str();
    EXPECT_EQ(acquire({"--variant", "0", "--generator"}, "sim:devices="), kExitUsage);
    EXPECT_TRUE(errHas("has no generator")) << err.str();

    // An instrument that says it is another variant is refused, and nothing is written.
    EXPECT_EQ(acquire({"--variant", "28", "--single", "--save", file("w.qsd")}), kExitUsage);
    EXPECT_EQ(err.str(), "qs40-cli: --variant 28: the instrument is a ZR4003 (variant 31), not a "
                         "ZR4001A\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(fs::exists(file("w.qsd")));
    EXPECT_EQ(acquire({"--variant", "0x1F", "--single"}), kExitOk) << err.str();
}

// As the window's calibration check: the variant the instrument reports decides what is
// written and what can be asked for, whatever the configuration says (a fresh machine's says
// ZR4001A). The configuration is read for that variant: A2's zero level is kept by a ZR4003 only.
TEST_F(CliCommands, FollowsTheVariantTheInstrumentReports) {
    struct Case {
        std::int32_t configured;
        const char* device;
        std::int32_t instrument;
        const char* columns;
    };
    const Case cases[] = {
        {28, kFastSim, 31, "N\tA1\tA2\tD1\tD2\r\n"},
        {31, "sim:variant=63,pace=fast", 63, "N\tA1\tA2\tD1\tD2\r\n"},
        {31, "sim:variant=28,pace=fast", 28, "N\tA\tD\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        fs::remove_all(file("out"));
        fs::create_directory(file("out"));
        writeFile(config(), "[Common]\r\nRussian=0\r\n\r\n[Scope]\r\nA2_Zero=77\r\n\r\n"
                            "[System]\r\nDevice_Type_Code=" +
                                std::to_string(c.configured) + "\r\n");
        Args args{"--single", "--save", file("out/s.qsd"), "--export-text", file("out/s.txt")};
        const bool hasA2 = c.instrument != 28;
        if (hasA2)
            args.insert(args.end(), {"--export-bin", "A2", file("out/a2.bin")});
        ASSERT_EQ(acquire(args, c.device), kExitOk) << err.str();
        EXPECT_EQ(err.str(), "");
        const std::string code = std::to_string(c.instrument);
        EXPECT_NE(out.str().find("(variant " + code + ")"), std::string::npos) << out.str();
        EXPECT_NE(readFile(file("out/s.qss")).find("Device_Type_Code=" + code + "\r\n"),
                  std::string::npos)
            << readFile(file("out/s.qss"));
        EXPECT_NE(readFile(file("out/s.txt")).find(c.columns), std::string::npos);
        EXPECT_EQ(fs::exists(file("out/a2.bin")), hasA2);
        ASSERT_EQ(run({"info", file("out/s.qsd")}), kExitOk);
        EXPECT_NE(out.str().find("Variant: " + code + " "), std::string::npos) << out.str();
        if (hasA2) {
            EXPECT_TRUE(std::regex_search(out.str(), std::regex("A2 zero level +77\n")))
                << out.str();
        }
    }

    // What the instrument lacks is refused once it has said what it is; nothing is written.
    writeFile(config(), "[System]\r\nDevice_Type_Code=31\r\n");
    EXPECT_EQ(acquire({"--export-bin", "A2", file("a2.bin")}, "sim:variant=28,pace=fast"),
              kExitUsage);
    EXPECT_EQ(errLines(), 1u) << err.str();
    EXPECT_TRUE(errHas("the ZR4001A (variant 28) has no channel A2")) << err.str();
    EXPECT_FALSE(fs::exists(file("a2.bin")));
    EXPECT_EQ(acquire({"--generator"}, "sim:variant=0,pace=fast"), kExitUsage);
    EXPECT_TRUE(errHas("the ZR4000 (variant 0) has no generator")) << err.str();
}

// The time-out bounds the wait for each frame, not the run: at the link's pace 50 frames of the
// default record (5000 samples of A1, A2 and the digital bits, 12500 bytes at 200000 bytes per
// second) take at least 3 s, twice the time-out.
TEST_F(CliCommands, TheTimeOutIsForEachFrame) {
    ASSERT_EQ(acquire({"--frames", "50", "--timeout", "1.5"}, "sim"), kExitOk) << err.str();
    EXPECT_NE(out.str().find("Frame: 5000 samples per channel, channels A1 A2 D1 D2"),
              std::string::npos)
        << out.str();
}

TEST_F(CliCommands, AConfigurationWithoutItsSectionsIsRefused) {
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"another program's sections", "[Window]\r\nWidth=640\r\n"},
        {"text without sections", "Device_Type_Code=31\n"},
        {"empty", ""},
        {"blank", " \r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(file("none.ini"), c.text);
        EXPECT_EQ(acquire({"--config", file("none.ini"), "--single", "--save", file("n.qsd")}),
                  kExitBadInput);
        EXPECT_EQ(err.str(), "qs40-cli: cannot read the configuration file " + file("none.ini") +
                                 ": It holds no section of a configuration file\n");
        EXPECT_FALSE(fs::exists(file("n.qsd")));
    }
    // The default configuration may be empty: the window's first start writes it.
    writeFile(config(), "");
    EXPECT_EQ(acquire({"--single"}), kExitOk) << err.str();
    EXPECT_EQ(err.str(), "");
}

// A data file that loads but is damaged is described with what is wrong; it is still a data
// file, so the status is 0.
TEST_F(CliCommands, InfoNamesADamagedFile) {
    ASSERT_EQ(acquire({"--single", "--save", file("shot.qsd")}), kExitOk) << err.str();
    ASSERT_EQ(run({"info", file("shot.qsd")}), kExitOk);
    EXPECT_EQ(out.str().find("Damaged"), std::string::npos) << out.str();

    const std::string sound = readFile(file("shot.qsd"));
    writeFile(file("short.qsd"), sound.substr(0, sound.size() - 100));
    // The trigger position far beyond the record, with a checksum to match.
    std::string hostile = sound;
    const std::size_t trigPos = 10 + 4 * 7;
    const std::size_t checksum = 10 + 4 * 40;
    auto field = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int b = 3; b >= 0; --b)
            v = v << 8 | static_cast<unsigned char>(hostile[at + b]);
        return v;
    };
    auto put = [&](std::size_t at, std::uint32_t v) {
        for (int b = 0; b < 4; ++b)
            hostile[at + b] = static_cast<char>(v >> (8 * b) & 0xFF);
    };
    const std::uint32_t sum = field(checksum) - field(trigPos) + 0x7FFFFFFF;
    put(trigPos, 0x7FFFFFFF);
    put(checksum, sum);
    writeFile(file("hostile.qsd"), hostile);

    struct Case {
        const char* name;
        const char* finding;
    };
    const Case cases[] = {
        {"short.qsd", "  The file is shorter than its header says: the samples of D2 end after "},
        {"hostile.qsd", "  Header field 7 (trigger position) holds 2147483647; an instrument "
                        "writes 0 to 5000 there.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run({"info", file(c.name)}), kExitOk);
        EXPECT_EQ(err.str(), "");
        EXPECT_NE(out.str().find("\nDamaged:\n" + std::string(c.finding)), std::string::npos)
            << out.str();
        EXPECT_NE(out.str().find("Header:\n"), std::string::npos);
    }
}

TEST_F(CliCommands, NeverReplacesAnExistingCompanion) {
    writeFile(file("kept.qss"), "[Scope]\r\nA1_Zero=7\r\n");
    EXPECT_EQ(acquire({"--save", file("kept.qsd")}), kExitWrite);
    EXPECT_EQ(errLines(), 1u) << err.str();
    EXPECT_TRUE(errHas(file("kept.qss") + " exists")) << err.str();
    EXPECT_FALSE(fs::exists(file("kept.qsd")));
    EXPECT_EQ(readFile(file("kept.qss")), "[Scope]\r\nA1_Zero=7\r\n");
}

TEST_F(CliCommands, ReportsAnOutputThatCannotBeWritten) {
    EXPECT_EQ(acquire({"--generator", "--export-text", file("no/such/folder/t.txt")}), kExitWrite);
    EXPECT_EQ(errLines(), 1u) << err.str();
    EXPECT_TRUE(errHas("t.txt")) << err.str();
    EXPECT_TRUE(errHas("Can't open file for writing. " + std::string(std::strerror(ENOENT))))
        << err.str();
}

// A full device takes nothing: each output is an error with the system's reason, never
// "Wrote", and the device stays a device.
TEST_F(CliCommands, AnOutputOnAFullDeviceIsAnError) {
    const std::string device = testing::fullDevice(file("full"));
    if (device.empty())
        GTEST_SKIP() << "no full device here";
    struct Case {
        const char* option;
        const char* caption;
    };
    for (const Case& c : {Case{"--export-text", "Save Text"}, Case{"--save", "Save"}}) {
        EXPECT_EQ(acquire({"--single", c.option, device}), kExitWrite);
        EXPECT_EQ(err.str(), "qs40-cli: " + std::string(c.caption) + ": " + device + ": " +
                                 std::strerror(ENOSPC) + "\n");
        EXPECT_EQ(out.str().find("Wrote"), std::string::npos) << out.str();
        EXPECT_TRUE(testing::isCharDevice(device));
    }
}

} // namespace
} // namespace qs40::cli
