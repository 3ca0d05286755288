// The built qs40-cli run as a user runs it: exit status, standard output and error stream.
#include "cli_test_support.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <vector>

namespace qs40::cli {
namespace {

using testing::kFastSim;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

struct Ran {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& arg) {
    std::string q = "'";
    for (const char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class CliProgram : public ::testing::Test {
protected:
    TempFolder dir;

    std::string file(const std::string& name) const { return dir.file(name); }

    Ran run(const std::vector<std::string>& args) {
        // A run that hangs (a named pipe opened for reading) ends as a failure, not a stuck test.
        std::string command = "timeout -k 5 60 " + quoted(QS40_CLI_PROGRAM);
        for (const std::string& a : args)
            command += " " + quoted(a);
        command += " >" + quoted(file("stdout")) + " 2>" + quoted(file("stderr")) + " </dev/null";
        const int raw = std::system(command.c_str());
        Ran r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readFile(file("stdout"));
        r.err = readFile(file("stderr"));
        return r;
    }
};

TEST_F(CliProgram, CommandLineErrorsEndWithStatusTwoAndOneLine) {
    const Ran r = run({"acquire", "--bogus"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "qs40-cli: unknown option --bogus (qs40-cli --help shows the usage)\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"--help"}).status, 0);
}

TEST_F(CliProgram, AcquiresSavesAndDescribes) {
    writeFile(file("qs40.ini"), testing::kEnglishConfiguration);
    const std::string config = readFile(file("qs40.ini"));

    const Ran list = run({"list", "--device", "sim:devices=foreign+zr40"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("1      "), std::string::npos);
    EXPECT_NE(list.out.find("Digital Oscilloscope ZR40\n"), std::string::npos) << list.out;

    const Ran acquired = run({"acquire", "--device", kFastSim, "--config", file("qs40.ini"),
                              "--single", "--save", file("run.qsd")});
    ASSERT_EQ(acquired.status, 0) << acquired.err;
    EXPECT_EQ(acquired.err, "");
    EXPECT_NE(acquired.out.find("Wrote " + file("run.qsd")), std::string::npos);
    EXPECT_EQ(readFile(file("qs40.ini")), config);

    const Ran info = run({"info", file("run.qsd")});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Variant: 31 ZR4003\n"), std::string::npos) << info.out;

    const Ran none = run({"acquire", "--device", "sim:devices=", "--config", file("qs40.ini")});
    EXPECT_EQ(none.status, 3);
    EXPECT_EQ(none.err, "qs40-cli: USB Error: Device not found.\n");
}

// A fresh machine's configuration says ZR4001A; the instrument says what it is.
TEST_F(CliProgram, WorksAsTheVariantTheInstrumentReports) {
    writeFile(file("qs40.ini"), "[System]\r\nDevice_Type_Code=28\r\n");
    const std::string device = "sim:variant=63,pace=fast";
    const Ran acquired =
        run({"acquire", "--device", device, "--config", file("qs40.ini"), "--single", "--save",
             file("a.qsd"), "--export-bin", "A2", file("a2.bin")});
    ASSERT_EQ(acquired.status, 0) << acquired.err;
    EXPECT_EQ(acquired.err, "");
    EXPECT_NE(readFile(file("a.qss")).find("Device_Type_Code=63\r\n"), std::string::npos);
    EXPECT_NE(readFile(file("a2.txt")).find("a2.bin"), std::string::npos);

    const Ran contradicted = run({"acquire", "--device", device, "--config", file("qs40.ini"),
                                  "--variant", "31", "--single", "--save", file("b.qsd")});
    EXPECT_EQ(contradicted.status, 2);
    EXPECT_EQ(contradicted.err,
              "qs40-cli: --variant 31: the instrument is a ZR4003A (variant 63), not a ZR4003\n");
    EXPECT_FALSE(std::filesystem::exists(file("b.qsd")));

    // The same file cut short: described, named damaged, and still status 0.
    const std::string bytes = readFile(file("a.qsd"));
    writeFile(file("cut.qsd"), bytes.substr(0, bytes.size() / 2));
    const Ran info = run({"info", file("cut.qsd")});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Damaged:\n  The file is shorter than its header says"),
              std::string::npos)
        << info.out;
}

// The program as a user meets it on what is not a regular file: a full device is an error with
// the system's reason, never "Wrote"; a named pipe named as input is refused at once.
TEST_F(CliProgram, FullDeviceAndNamedPipes) {
    writeFile(file("qs40.ini"), testing::kEnglishConfiguration);
    const std::string device = testing::fullDevice(file("full"));
    if (!device.empty()) {
        const Ran full = run({"acquire", "--device", kFastSim, "--config", file("qs40.ini"),
                              "--single", "--export-text", device});
        EXPECT_EQ(full.status, 6);
        EXPECT_EQ(full.err, "qs40-cli: Save Text: " + device + ": No space left on device\n");
        EXPECT_EQ(full.out.find("Wrote"), std::string::npos) << full.out;
        EXPECT_TRUE(testing::isCharDevice(device));
    }

    for (const char* name : {"fifo.qsd", "fifo.qss", "fifo.ini"})
        ASSERT_EQ(::mkfifo(file(name).c_str(), 0600), 0);
    const Ran info = run({"info", file("fifo.qsd")});
    EXPECT_EQ(info.status, 5);
    EXPECT_EQ(info.err, "qs40-cli: " + file("fifo.qsd") + ": Not a regular file\n");
    const Ran settings = run({"acquire", "--device", kFastSim, "--config", file("qs40.ini"),
                              "--settings", file("fifo.qss"), "--single"});
    EXPECT_EQ(settings.status, 5);
    EXPECT_EQ(settings.err,
              "qs40-cli: Open Settings: " + file("fifo.qss") + ": Not a regular file\n");
    const Ran config = run({"acquire", "--device", kFastSim, "--config", file("fifo.ini")});
    EXPECT_EQ(config.status, 5);
    EXPECT_EQ(config.err, "qs40-cli: cannot read the configuration file " + file("fifo.ini") +
                              ": Not a regular file\n");
}

} // namespace
} // namespace qs40::cli
