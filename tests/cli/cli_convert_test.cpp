// The commands that write files for other tools: acquire's sigrok and VCD exports, and convert
// of a recorder file.
#include "cli/cli_commands.h"
#include "cli/exit_codes.h"

#include "../files/zip_contents.h"
#include "cli_fixture.h"
#include "cli_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sstream>

namespace qs40::cli {
namespace {

using qs40::testing::zipContents;
using testing::kFastSim;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
using Args = std::vector<std::string>;
namespace fs = std::filesystem;

const std::string kCompanion = "Oscilloscope recorder file = rec.bin\r\n"
                               "\r\n"
                               "Sampling rate = 5.000 KHz\r\n"
                               "Peak detector off, bytes per sample = 1\r\n"
                               "Write speed = 0.017166 MBytes/hour\r\n"
                               "\r\n"
                               "Time step = 200.0 uS\r\n"
                               "Voltage step = 31.25 mV\r\n"
                               "Zero level = 128\r\n"
                               "\r\n"
                               "Size = 4 Bytes\r\n";

class CliConvert : public testing::CliFixture {
protected:
    void SetUp() override {
        writeFile(config(), testing::kEnglishConfiguration);
        writeFile(file("rec.bin"), std::string("\x80\x81\x7F\x90", 4));
        writeFile(file("rec.txt"), kCompanion);
    }
};

TEST_F(CliConvert, AcquireWritesTheSigrokSessionAndTheVcd) {
    ASSERT_EQ(run({"acquire", "--device", kFastSim, "--single", "--export-sr", file("shot.sr"),
                   "--export-vcd", file("shot.vcd")}),
              kExitOk)
        << err.str();
    EXPECT_NE(out.str().find("Wrote " + file("shot.sr") + "\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Wrote " + file("shot.vcd") + "\n"), std::string::npos);
    const auto members = zipContents(readFile(file("shot.sr")));
    EXPECT_EQ(members.at("version"), "2");
    const std::string& metadata = members.at("metadata");
    for (const char* line : {"probe1=D1\n", "probe2=D2\n", "analog3=A1\n", "analog4=A2\n"})
        EXPECT_NE(metadata.find(line), std::string::npos) << line << metadata;
    EXPECT_GT(members.at("analog-1-3-1").size(), 0u);
    EXPECT_EQ(members.at("analog-1-3-1").size(), 4 * members.at("logic-1-1").size());
    const std::string vcd = readFile(file("shot.vcd"));
    EXPECT_NE(vcd.find("$var wire 1 ! D1 $end\n$var wire 1 \" D2 $end\n"), std::string::npos)
        << vcd.substr(0, 300);
}

TEST_F(CliConvert, AcquireReportsAnExportThatCannotBeWritten) {
    for (const char* option : {"--export-sr", "--export-vcd"}) {
        EXPECT_EQ(
            run({"acquire", "--device", kFastSim, "--single", option, file("no/folder/x.out")}),
            kExitWrite)
            << option;
        EXPECT_NE(
            err.str().find("Can't open file for writing. " + std::string(std::strerror(ENOENT))),
            std::string::npos)
            << err.str();
    }
}

TEST_F(CliConvert, RecordingAsSessionOrCsv) {
    ASSERT_EQ(run({"convert", file("rec.bin"), file("rec.sr")}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "Wrote " + file("rec.sr") + ": 4 samples at 5000 Hz\n");
    const auto members = zipContents(readFile(file("rec.sr")));
    EXPECT_NE(members.at("metadata").find("samplerate=5000\ntotal analog=1\nanalog1=A1\n"),
              std::string::npos)
        << members.at("metadata");
    EXPECT_EQ(members.at("analog-1-1-1").size(), 16u);

    ASSERT_EQ(run({"convert", file("rec.bin"), file("rec.CSV")}), kExitOk) << err.str();
    EXPECT_EQ(readFile(file("rec.CSV")), "time_s,A1_V\r\n"
                                         "0,0\r\n"
                                         "0.0002,0.03125\r\n"
                                         "0.0004,-0.03125\r\n"
                                         "0.0006,0.5\r\n");

    // With peak detection each position is a (min, max) pair.
    std::string pairs = kCompanion;
    pairs.replace(pairs.find("off, bytes per sample = 1"), 25, "on, bytes per sample = 2");
    writeFile(file("rec.txt"), pairs);
    ASSERT_EQ(run({"convert", file("rec.bin"), file("pairs.csv")}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "Wrote " + file("pairs.csv") + ": 2 (min, max) pairs at 5000 Hz\n");
    EXPECT_EQ(readFile(file("pairs.csv")), "time_s,A1_min_V,A1_max_V\r\n"
                                           "0,0,0.03125\r\n"
                                           "0.0002,-0.03125,0.5\r\n");
}

TEST_F(CliConvert, RefusesWhatItCannotRead) {
    writeFile(file("bad.bin"), "x");
    writeFile(file("bad.txt"), "Oscilloscope recorder file = bad.bin\r\n\r\nNot ready.\r\n");
    writeFile(file("lone.txt"), kCompanion);
    struct Case {
        Args args;
        int status;
        std::string said;
    };
    const Case cases[] = {
        {{"convert", file("none.bin"), file("o.csv")},
         kExitBadInput,
         "qs40-cli: cannot read the recorder's text " + file("none.txt") + ": File not found. " +
             std::strerror(ENOENT) + "\n"},
        {{"convert", file("bad.bin"), file("o.csv")},
         kExitBadInput,
         "qs40-cli: " + file("bad.txt") +
             ": not a recorder's text: the recording was started before the first frame "
             "(\"Not ready.\")\n"},
        {{"convert", file("lone.bin"), file("o.csv")},
         kExitBadInput,
         "qs40-cli: " + file("lone.bin") + ": File not found. " + std::strerror(ENOENT) + "\n"},
        {{"convert", file("rec.bin"), file("no/folder/o.csv")},
         kExitWrite,
         "qs40-cli: " + file("no/folder/o.csv") + ": Can't open file for writing. " +
             std::strerror(ENOENT) + "\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.args), c.status) << c.args[1];
        EXPECT_EQ(err.str(), c.said);
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_FALSE(fs::exists(file("o.csv")));
}

} // namespace
} // namespace qs40::cli
