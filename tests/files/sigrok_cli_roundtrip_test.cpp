// The exports for other tools, read back by the real sigrok-cli. Its exit status says little
// (it exits 0 on some parse errors), so the printed names, counts and values are compared, and
// analog and logic channels are read separately.
#include "files/export_raw.h"
#include "files/export_sigrok.h"
#include "files/export_vcd.h"

#include "datafile_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

namespace qs40 {
namespace {

using testing::TempFolder;
using testing::writeFile;

constexpr int kSamples = 300;

// Runs a command and returns what it printed on its standard output (and its error stream).
std::string output(const std::string& command, bool withErrors = false) {
    std::FILE* pipe = ::popen((command + (withErrors ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
    if (pipe == nullptr)
        return {};
    std::string out;
    char block[4096];
    while (const std::size_t n = std::fread(block, 1, sizeof block, pipe))
        out.append(block, n);
    ::pclose(pipe);
    return out;
}

std::string sigrok(const std::string& arguments) {
    return output(std::string(QS40_SIGROK_CLI) + " " + arguments);
}

// What libsigrok complained of while reading ("sr: ..." lines), which the exit status hides.
std::string sigrokComplaints(const std::string& arguments) {
    std::istringstream in(output(std::string(QS40_SIGROK_CLI) + " " + arguments, true));
    std::string complaints;
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("sr: "))
            complaints += line + "\n";
    return complaints;
}

// Lines "NAME:..." collected per name, the text after the colon joined.
std::map<std::string, std::vector<std::string>> linesByName(const std::string& text) {
    std::map<std::string, std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos && colon > 0 && line.find(' ') > colon)
            lines[line.substr(0, colon)].push_back(line.substr(colon + 1));
    }
    return lines;
}

// "-O analog": "A1: 0.30 V DC" gives "0.30" under A1.
std::map<std::string, std::vector<std::string>> analogValues(const std::string& text) {
    auto lines = linesByName(text);
    for (auto& [name, values] : lines)
        for (std::string& v : values) {
            std::istringstream fields(v);
            fields >> v;
        }
    return lines;
}

// "-O bits": the 0 and 1 digits of every line of a channel, in order.
std::map<std::string, std::string> logicBits(const std::string& text) {
    std::map<std::string, std::string> bits;
    for (const auto& [name, lines] : linesByName(text))
        for (const std::string& line : lines)
            for (const char c : line)
                if (c == '0' || c == '1')
                    bits[name] += c;
    return bits;
}

std::string printedVolts(double volts) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", volts);
    return text;
}

// All four channels; analog codes whose volts print exactly with two decimals.
std::unique_ptr<FrameData> captureFrame(bool pairs, std::int32_t divider) {
    auto f = std::make_unique<FrameData>();
    FrameHeader& h = f->header;
    h[kHdrDivider] = divider;
    h[kHdrVoltsDivA1] = 3200000; // 0.1 V per code
    h[kHdrZeroA1] = 128;
    h[kHdrVoltsDivA2] = 32000000; // 1 V per code, a x10 probe included
    h[kHdrZeroA2] = 60;
    h[kHdrValid] = kSamples;
    h[kHdrPairs] = pairs ? 1 : 0;
    h[kHdrChannels] = 0b1111;
    for (int i = 0; i < kSamples; ++i) {
        const std::int32_t a1 = 100 + (i * 7) % 60;
        const std::int32_t a2 = 40 + (i * 13) % 45;
        f->series[kA1First][i] = a1;
        f->series[kA1Second][i] = pairs ? a1 + 3 : a1;
        f->series[kA2First][i] = a2;
        f->series[kA2Second][i] = pairs ? a2 + 1 : a2;
        f->series[kD1First][i] = (i / 3) % 2;
        f->series[kD1Second][i] = pairs ? (i / 5) % 2 : (i / 3) % 2;
        f->series[kD2First][i] = (i * i) % 3 == 0 ? 1 : 0;
        f->series[kD2Second][i] = pairs ? i % 2 : f->series[kD2First][i];
    }
    return f;
}

std::vector<std::string> expectedVolts(const FrameData& f, int series, int samples) {
    const bool a1 = series < kA2First;
    const FrameHeader& h = f.header;
    std::vector<std::string> values;
    for (int i = 0; i < samples; ++i) {
        const double code = f.series[series][i] - h[a1 ? kHdrZeroA1 : kHdrZeroA2];
        values.push_back(printedVolts(code * (a1 ? 0.1 : 1.0)));
    }
    return values;
}

std::string expectedBits(const FrameData& f, int series, int samples) {
    std::string bits;
    for (int i = 0; i < samples; ++i)
        bits += f.series[series][i] == 1 ? '1' : '0';
    return bits;
}

// The raw export's bytes of a logic channel as sigrok prints bits.
std::string rawExportBits(const FrameData& f, RawChannel channel) {
    std::string bits;
    for (const char byte : buildRawChannelBytes(f, channel))
        bits += byte == 1 ? '1' : '0';
    return bits;
}

class SigrokCliRoundTrip : public ::testing::Test {
protected:
    TempFolder dir;

    std::string writeSession(const FrameData& frame) {
        const SigrokEncoding encoded = encodeSigrokSession(frameSigrokSession(frame, 31));
        EXPECT_TRUE(encoded.ok) << encoded.error;
        const std::string path = dir.file("capture.sr");
        writeFile(path, encoded.bytes);
        return path;
    }
};

TEST_F(SigrokCliRoundTrip, SessionNamesCountsAndValues) {
    struct Case {
        const char* what;
        bool pairs;
        int missingAt;                                   // A2 has no sample from here on
        std::vector<std::pair<std::string, int>> analog; // name, series
        std::vector<std::pair<std::string, int>> logic;
    };
    const Case cases[] = {
        {"plain",
         false,
         kSamples,
         {{"A1", kA1First}, {"A2", kA2First}},
         {{"D1", kD1First}, {"D2", kD2First}}},
        {"peak detection, cut short by a missing A2 sample",
         true,
         250,
         {{"A1_min", kA1First}, {"A1_max", kA1Second}, {"A2_min", kA2First}, {"A2_max", kA2Second}},
         {{"D1_min", kD1First},
          {"D1_max", kD1Second},
          {"D2_min", kD2First},
          {"D2_max", kD2Second}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto frame = captureFrame(c.pairs, 4);
        if (c.missingAt < kSamples)
            frame->series[kA2First][c.missingAt] = kNoSample;
        const std::string path = writeSession(*frame);

        EXPECT_EQ(sigrokComplaints("-i " + path + " -O bits"), "");
        const std::string shown = sigrok("-i " + path + " --show");
        EXPECT_NE(shown.find("Samplerate: 25000000\n"), std::string::npos) << shown;
        EXPECT_NE(shown.find("Logic sample count: " + std::to_string(c.missingAt) + "\n"),
                  std::string::npos)
            << shown;
        EXPECT_NE(shown.find("Analog sample count: " + std::to_string(c.missingAt) + "\n"),
                  std::string::npos)
            << shown;
        for (const auto& [name, series] : c.analog)
            EXPECT_NE(shown.find("- " + name + ": analog\n"), std::string::npos) << name;
        for (const auto& [name, series] : c.logic)
            EXPECT_NE(shown.find("- " + name + ": logic\n"), std::string::npos) << name;

        const auto volts = analogValues(sigrok("-i " + path + " -O analog"));
        for (const auto& [name, series] : c.analog) {
            ASSERT_EQ(volts.count(name), 1u) << name;
            EXPECT_EQ(volts.at(name), expectedVolts(*frame, series, c.missingAt)) << name;
        }
        const auto bits = logicBits(sigrok("-i " + path + " -O bits"));
        for (const auto& [name, series] : c.logic) {
            ASSERT_EQ(bits.count(name), 1u) << name;
            EXPECT_EQ(bits.at(name), expectedBits(*frame, series, c.missingAt)) << name;
        }
    }
}

TEST_F(SigrokCliRoundTrip, AnalogOnlySession) {
    auto frame = captureFrame(false, 1);
    frame->header[kHdrChannels] = 0b0001;
    const std::string path = writeSession(*frame);
    const std::string shown = sigrok("-i " + path + " --show");
    EXPECT_NE(shown.find("Samplerate: 100000000\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Channels: 1\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Analog sample count: 300\n"), std::string::npos) << shown;
    const auto volts = analogValues(sigrok("-i " + path + " -O analog"));
    ASSERT_EQ(volts.count("A1"), 1u);
    EXPECT_EQ(volts.at("A1"), expectedVolts(*frame, kA1First, kSamples));
}

// A frame whose first sample is missing gives a session without samples that still opens.
TEST_F(SigrokCliRoundTrip, EmptySessionOpens) {
    auto frame = captureFrame(false, 1);
    frame->series[kD1First][0] = kNoSample;
    const std::string path = writeSession(*frame);
    EXPECT_EQ(sigrokComplaints("-i " + path + " -O bits"), "");
    const std::string shown = sigrok("-i " + path + " --show");
    EXPECT_NE(shown.find("Channels: 4\n"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("sample count"), std::string::npos) << shown;
}

TEST_F(SigrokCliRoundTrip, VcdHoldsTheBitsOfTheRawExport) {
    struct Case {
        const char* what;
        bool pairs;
        std::int32_t divider;
        int downsample; // ticks of the VCD's unit per sample
    };
    const Case cases[] = {
        {"interval is the unit", false, 1, 1},
        {"interval of four units", false, 4, 4},
        {"pairs at half the interval", true, 1, 5},
        {"pairs at a slow time base", true, 200, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto frame = captureFrame(c.pairs, c.divider);
        frame->series[kD2First][280] = kNoSample; // both channels end there
        const std::string path = dir.file("capture.vcd");
        writeFile(path, buildVcd(*frame, 31));
        const auto bits = logicBits(sigrok("-I vcd:downsample=" + std::to_string(c.downsample) +
                                           " -i " + path + " -O bits"));
        const std::string d1 = rawExportBits(*frame, RawChannel::D1);
        ASSERT_EQ(bits.count("D1"), 1u);
        ASSERT_EQ(bits.count("D2"), 1u);
        EXPECT_EQ(bits.at("D1"), d1.substr(0, c.pairs ? 560 : 280));
        EXPECT_EQ(bits.at("D2"), rawExportBits(*frame, RawChannel::D2));
    }
}

} // namespace
} // namespace qs40
