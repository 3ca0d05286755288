// qs40-cli calibrate against the simulated instrument (unpaced, on the real clock): the results
// that reach the configuration file or the instrument, and the runs that must store nothing.
#include "cli/cli_commands.h"
#include "cli/exit_codes.h"

#include "cli_fixture.h"
#include "cli_test_support.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace qs40::cli {
namespace {

using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
using Args = std::vector<std::string>;

constexpr const char* kConfiguration = "[System]\r\nDevice_Type_Code=31\r\nTDC_Clbr=1\r\n\r\n"
                                       "[Common]\r\nRussian=0\r\n\r\n[Scope]\r\nA1_Zero=150\r\n";

class CliCalibrate : public testing::CliFixture {
protected:
    void SetUp() override { writeFile(config(), kConfiguration); }

    int calibrate(const std::string& what, const std::string& device, Args more = {}) {
        Args args{"calibrate", what, "--device", device};
        args.insert(args.end(), more.begin(), more.end());
        return run(args);
    }
    // A key of the configuration file, as a number.
    std::optional<long> key(const std::string& name) const {
        std::smatch m;
        const std::string text = readFile(config());
        if (!std::regex_search(text, m, std::regex("\n" + name + "=(-?[0-9]+)\r\n")))
            return std::nullopt;
        return std::stol(m[1]);
    }
    // A header field as `info` describes the file.
    long headerField(const std::string& path, int index) {
        EXPECT_EQ(run({"info", path}), kExitOk) << err.str();
        std::smatch m;
        const std::string text = out.str();
        EXPECT_TRUE(std::regex_search(
            text, m, std::regex("\n +" + std::to_string(index) + "  [^\n]*?(-?[0-9]+)\n")))
            << text;
        return m.empty() ? 0 : std::stol(m[1]);
    }
};

TEST_F(CliCalibrate, ZeroStoresTheInstrumentsCoefficientsAndNothingElse) {
    std::string russian = kConfiguration;
    russian.replace(russian.find("Russian=0"), 9, "Russian=1");
    writeFile(config(), russian);
    ASSERT_EQ(calibrate("zero", "sim:pace=fast,a1=off,a2=off"), kExitOk) << err.str();
    EXPECT_NE(err.str().find("Calibration OK."), std::string::npos) << "English on the terminal";
    EXPECT_EQ(key("Russian"), 1) << "the configured language stays";
    // The simulator's true coefficients.
    const std::pair<const char*, long> truth[] = {{"Z_A1P1", 3370}, {"Z_A1P2", 712},
                                                  {"Z_A1SH", 4},    {"Z_A2P1", 3345},
                                                  {"Z_A2P2", 731},  {"Z_A2SH", -3}};
    for (const auto& [name, value] : truth) {
        ASSERT_TRUE(key(name)) << name;
        EXPECT_NEAR(*key(name), value, 2) << name;
    }
    EXPECT_EQ(key("A1_Zero"), 150) << "the passes' zero levels are not kept";
    EXPECT_EQ(key("TDC_Clbr"), 1) << "a hand-edited switch survives";
    EXPECT_NE(out.str().find("A1P1 = "), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("pass 9 of 9"), std::string::npos) << err.str();
}

TEST_F(CliCalibrate, FailedRunsStoreNothing) {
    struct Case {
        const char* name;
        std::string what;
        std::string device;
        Args more;
        int status;
        const char* reason;
    };
    const Case cases[] = {
        {"noise on A1",
         "zero",
         "sim:pace=fast,a1=noise:1M:0.5,a2=off",
         {},
         kExitFailure,
         "Calibration failed. Noise"},
        {"no generator on D1",
         "tdc",
         "sim:pace=fast",
         {},
         kExitFailure,
         "Calibration failed. A TDC count"},
        {"no instrument", "zero", "sim:devices=", {}, kExitDevice, "Device not found"},
        {"unplugged during the passes",
         "zero",
         "sim:pace=fast,a1=off,a2=off,fault=unplug,at=1500ms,for=5s",
         {},
         kExitDevice,
         "the link failed during the calibration"},
        {"no meter reading",
         "freq",
         "sim:pace=fast,a1=off",
         {"--reference", "1M", "--timeout", "2"},
         kExitFailure,
         "the frequency meter gave no reading"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(calibrate(c.what, c.device, c.more), c.status) << err.str();
        EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();
        EXPECT_EQ(readFile(config()), kConfiguration);
    }
}

TEST_F(CliCalibrate, TdcWritesTheConstantsToTheInstrument) {
    ASSERT_EQ(calibrate("tdc", "sim:pace=fast,d1=gen,d2=gen"), kExitOk) << err.str();
    EXPECT_TRUE(
        std::regex_search(out.str(), std::regex("D1 rise (18|19), fall (20|21); D2 rise (19|20), "
                                                "fall (21|22) \\(TDC steps in 10 ns\\)\n")))
        << out.str();
    EXPECT_NE(out.str().find("Wrote the TDC constants to the instrument"), std::string::npos);
    EXPECT_EQ(readFile(config()), kConfiguration);
}

TEST_F(CliCalibrate, TheFrequencyMeterCorrectionMakesReadingsMatchTheReference) {
    const std::string device = "sim:pace=fast,ppm=12.6,a1=sine:1M";
    ASSERT_EQ(calibrate("freq", device, {"--reference", "1000000"}), kExitOk) << err.str();
    ASSERT_TRUE(key("Time"));
    const long time = *key("Time");
    EXPECT_NEAR(time, 63, 1);

    // A frame taken afterwards carries the correction, and its reading matches the input.
    ASSERT_EQ(run({"acquire", "--device", device, "--frames", "5", "--save", file("f.qsd")}),
              kExitOk)
        << err.str();
    EXPECT_EQ(headerField(file("f.qsd"), 24), time);
    const long count1 = headerField(file("f.qsd"), 22);
    const long count2 = headerField(file("f.qsd"), 23);
    ASSERT_GT(count2, 0);
    const double reading = (count1 - 1) * 1e8 / count2 * (1 + time * 0.2e-6);
    EXPECT_NEAR((reading / 1e6 - 1) * 1e6, 0.0, 0.4);

    // Given by hand.
    ASSERT_EQ(run({"calibrate", "freq", "--ppm", "-3.1"}), kExitOk) << err.str();
    EXPECT_EQ(key("Time"), -16);
    EXPECT_NE(out.str().find("PPM = -3.20"), std::string::npos) << out.str();
}

TEST_F(CliCalibrate, CommandLinesThatCannotBeUsed) {
    const std::pair<Args, const char*> cases[] = {
        {{"calibrate"}, "calibrate needs what to calibrate"},
        {{"calibrate", "gain"}, "calibrate what: zero, tdc or freq"},
        {{"calibrate", "freq"}, "either --reference HZ or --ppm X"},
        {{"calibrate", "freq", "--ppm", "1", "--reference", "1M"}, "either --reference"},
        {{"calibrate", "freq", "--ppm", "51"}, "--ppm takes the correction in ppm"},
        {{"calibrate", "freq", "--reference", "-5"}, "--reference takes"},
        {{"calibrate", "freq", "--reference", "1M", "--input", "B1"}, "--input takes"},
        {{"calibrate", "zero", "--ppm", "1"}, "belong to calibrate freq"},
        {{"calibrate", "zero", "--frames", "3"}, "--frames is not an option of calibrate"},
    };
    for (const auto& [args, reason] : cases) {
        EXPECT_EQ(run(args), kExitUsage) << args.size();
        EXPECT_NE(err.str().find(reason), std::string::npos) << err.str();
    }
    // A variant without a frequency meter has no correction to store.
    writeFile(config(), "[System]\r\nDevice_Type_Code=0\r\n");
    EXPECT_EQ(run({"calibrate", "freq", "--ppm", "2"}), kExitUsage);
    EXPECT_NE(err.str().find("has no frequency meter"), std::string::npos) << err.str();
    // A configuration named here must be there: its results would go nowhere useful.
    EXPECT_EQ(run({"calibrate", "freq", "--ppm", "2", "--config", file("absent.ini")}),
              kExitBadInput);
}

} // namespace
} // namespace qs40::cli
