#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace qs40::cli {
namespace {

using namespace std::chrono_literals;
using Args = std::vector<std::string>;

TEST(CliOptions, AcquireTakesEveryOptionInBothSpellings) {
    const ParsedCommandLine p = parseCommandLine({"acquire",
                                                  "--device=sim:pace=fast",
                                                  "--settings",
                                                  "a.qss",
                                                  "--frames",
                                                  "3",
                                                  "--timeout=0.25",
                                                  "--save",
                                                  "out.qsd",
                                                  "--export-text",
                                                  "out.txt",
                                                  "--export-bin",
                                                  "d2",
                                                  "d2.bin",
                                                  "--export-bin=a1",
                                                  "a1.bin",
                                                  "--config",
                                                  "my.ini",
                                                  "--variant",
                                                  "0x1F",
                                                  "--generator"});
    ASSERT_EQ(p.error, "");
    const CliOptions& o = p.options;
    EXPECT_EQ(o.command, Command::Acquire);
    EXPECT_EQ(o.device, "sim:pace=fast");
    EXPECT_EQ(o.settingsFile, "a.qss");
    EXPECT_EQ(o.frames, 3);
    EXPECT_FALSE(o.single);
    EXPECT_EQ(o.timeout, 250ms);
    EXPECT_EQ(o.timeoutText, "0.25");
    EXPECT_EQ(o.saveFile, "out.qsd");
    EXPECT_EQ(o.textFile, "out.txt");
    ASSERT_EQ(o.rawExports.size(), 2u);
    EXPECT_EQ(o.rawExports[0].channel, RawChannel::D2);
    EXPECT_EQ(o.rawExports[0].path, "d2.bin");
    EXPECT_EQ(o.rawExports[1].channel, RawChannel::A1);
    EXPECT_EQ(o.rawExports[1].path, "a1.bin");
    EXPECT_EQ(o.configFile, "my.ini");
    EXPECT_EQ(o.variant, 31);
    EXPECT_TRUE(o.generator);
}

TEST(CliOptions, DefaultsAndTheOtherCommands) {
    const CliOptions acquire = parseCommandLine({"acquire"}).options;
    EXPECT_EQ(acquire.frames, 1);
    EXPECT_EQ(acquire.timeout, kDefaultTimeout);
    EXPECT_EQ(acquire.device, "");
    EXPECT_FALSE(acquire.variant.has_value());

    EXPECT_EQ(parseCommandLine({}).options.command, Command::None);
    EXPECT_EQ(parseCommandLine({"list"}).options.command, Command::List);
    EXPECT_EQ(parseCommandLine({"list", "--device", "usb"}).options.device, "usb");
    const ParsedCommandLine info = parseCommandLine({"info", "x.qsd"});
    EXPECT_EQ(info.options.command, Command::Info);
    EXPECT_EQ(info.options.infoFile, "x.qsd");
    // Help wins wherever it stands, even over a line that is otherwise wrong.
    for (const Args& args : {Args{"--help"}, Args{"acquire", "--bogus", "-h"}})
        EXPECT_EQ(parseCommandLine(args).options.command, Command::Help);
}

TEST(CliOptions, RecordTakesItsFileItsDurationAndTheRunOptions) {
    const ParsedCommandLine p =
        parseCommandLine({"record", "--settings=s.qss", "--out", "r.bin", "--duration", "1.5h",
                          "--device", "sim", "--timeout", "3", "--variant", "63"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.command, Command::Record);
    EXPECT_EQ(p.options.settingsFile, "s.qss");
    EXPECT_EQ(p.options.recordFile, "r.bin");
    EXPECT_EQ(p.options.duration, std::chrono::milliseconds(5400000));
    EXPECT_EQ(p.options.device, "sim");
    EXPECT_EQ(p.options.variant, 63);
    const struct {
        const char* text;
        std::int64_t ms;
    } durations[] = {{"90", 90000}, {"0.5s", 500}, {"2m", 120000}, {"1h", 3600000}};
    for (const auto& d : durations)
        EXPECT_EQ(parseCommandLine(
                      {"record", "--settings", "s.qss", "--out", "r.bin", "--duration", d.text})
                      .options.duration,
                  std::chrono::milliseconds(d.ms))
            << d.text;
    // Without a duration it records until a signal.
    EXPECT_FALSE(parseCommandLine({"record", "--settings", "s.qss", "--out", "r.bin"})
                     .options.duration.has_value());
}

TEST(CliOptions, RefusesWhatCannotBeUsed) {
    struct Case {
        Args args;
        const char* error;
    };
    const Case cases[] = {
        {{"replay"}, "unknown command 'replay'"},
        {{"record"}, "record needs --settings FILE.qss"},
        {{"record", "--settings", "a.qss"}, "record needs --out FILE.bin"},
        {{"record", "--settings", "a.qss", "--out", "r.txt"}, "would be its own text file"},
        {{"record", "--duration", "0"}, "--duration takes a time above 0"},
        {{"record", "--duration", "5x"}, "--duration takes a time above 0"},
        {{"record", "--frames", "2"}, "--frames is not an option of record"},
        {{"acquire", "--out", "r.bin"}, "--out is not an option of acquire"},
        {{"--device", "sim", "list"}, "the command comes first"},
        {{"acquire", "--bogus"}, "unknown option --bogus"},
        {{"list", "--save", "x.qsd"}, "--save is not an option of list"},
        {{"info", "--device", "sim", "x.qsd"}, "--device is not an option of info"},
        {{"acquire", "--save"}, "--save needs a value"},
        {{"acquire", "--save", "--single"}, "--save needs a value"},
        {{"acquire", "--save="}, "--save needs a value"},
        {{"acquire", "--export-bin", "A1"}, "--export-bin needs a channel and a file"},
        {{"acquire", "--export-bin", "B1", "x.bin"}, "--export-bin takes a channel"},
        {{"acquire", "--single=1"}, "--single takes no value"},
        {{"acquire", "--frames", "0"}, "--frames takes a whole number"},
        {{"acquire", "--frames", "2x"}, "--frames takes a whole number"},
        {{"acquire", "--frames", "-3"}, "--frames takes a whole number"},
        {{"acquire", "--timeout", "0"}, "--timeout takes seconds"},
        {{"acquire", "--timeout", "nan"}, "--timeout takes seconds"},
        {{"acquire", "--timeout", "inf"}, "--timeout takes seconds"},
        {{"acquire", "--variant", "65536"}, "--variant takes a variant code"},
        {{"acquire", "--variant", "0x"}, "--variant takes a variant code"},
        {{"acquire", "--device", "a", "--device", "b"}, "--device is given twice"},
        {{"acquire", "--single", "--frames", "2"}, "--single and --frames exclude each other"},
        {{"acquire", "stray"}, "unexpected argument 'stray'"},
        {{"info"}, "info needs the data file"},
        {{"info", "a.qsd", "b.qsd"}, "unexpected argument 'b.qsd'"},
        // Outputs that would overwrite one another.
        {{"acquire", "--save", "x.qss"}, "--save and the settings file of --save"},
        {{"acquire", "--export-text", "x.txt", "--export-bin", "a1", "x.bin"},
         "--export-text and the text file of --export-bin name the same file"},
        {{"acquire", "--export-bin", "a1", "x.bin", "--export-bin", "a2", "./x.bin"},
         "--export-bin and --export-bin name the same file"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine p = parseCommandLine(c.args);
        EXPECT_NE(p.error.find(c.error), std::string::npos)
            << "args[1]: " << (c.args.size() > 1 ? c.args[1] : c.args[0]) << "; error: " << p.error;
    }
}

TEST(CliOptions, ExportsForOtherToolsAndConvert) {
    const ParsedCommandLine acquire =
        parseCommandLine({"acquire", "--export-sr", "a.sr", "--export-vcd=a.vcd"});
    ASSERT_EQ(acquire.error, "");
    EXPECT_EQ(acquire.options.sigrokFile, "a.sr");
    EXPECT_EQ(acquire.options.vcdFile, "a.vcd");

    const ParsedCommandLine convert = parseCommandLine({"convert", "rec.bin", "rec.sr"});
    ASSERT_EQ(convert.error, "");
    EXPECT_EQ(convert.options.command, Command::Convert);
    EXPECT_EQ(convert.options.recordingFile, "rec.bin");
    EXPECT_EQ(convert.options.convertedFile, "rec.sr");
    EXPECT_EQ(convertedFormat("x/Rec.SR"), ConvertedFormat::SigrokSession);
    EXPECT_EQ(convertedFormat("rec.csv"), ConvertedFormat::Csv);
    EXPECT_FALSE(convertedFormat("rec.txt"));
    EXPECT_FALSE(convertedFormat("sr"));

    struct Case {
        Args args;
        const char* error;
    };
    const Case cases[] = {
        {{"convert"}, "convert needs the recorder file and the file to write (.sr or .csv)"},
        {{"convert", "rec.bin"}, "convert needs the recorder file and the file to write"},
        {{"convert", "rec.bin", "rec.txt"}, "convert writes a sigrok session (.sr) or a CSV"},
        {{"convert", "rec.bin", "a.csv", "b.csv"}, "unexpected argument 'b.csv'"},
        {{"convert", "--device", "sim", "r.bin", "r.sr"}, "--device is not an option of convert"},
        {{"convert", "rec.sr", "./rec.sr"}, "convert would replace its own input rec.sr"},
        {{"acquire", "--export-sr"}, "--export-sr needs a value"},
        {{"acquire", "--export-sr", "a", "--export-vcd", "./a"},
         "--export-sr and --export-vcd name the same file"},
        {{"acquire", "--export-vcd", "x.txt", "--export-bin", "d1", "x.bin"},
         "the text file of --export-bin and --export-vcd name the same file"},
        {{"acquire", "--export-sr", "a.sr", "--export-sr", "b.sr"}, "--export-sr is given twice"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine p = parseCommandLine(c.args);
        EXPECT_NE(p.error.find(c.error), std::string::npos)
            << "args[1]: " << (c.args.size() > 1 ? c.args[1] : c.args[0]) << "; error: " << p.error;
    }
}

TEST(CliOptions, RawChannelNamesInAnyCase) {
    EXPECT_EQ(parseRawChannel("a1"), RawChannel::A1);
    EXPECT_EQ(parseRawChannel("A"), RawChannel::A1);
    EXPECT_EQ(parseRawChannel("a2"), RawChannel::A2);
    EXPECT_EQ(parseRawChannel("D1"), RawChannel::D1);
    EXPECT_EQ(parseRawChannel("d"), RawChannel::D1);
    EXPECT_EQ(parseRawChannel("d2"), RawChannel::D2);
    EXPECT_FALSE(parseRawChannel("A3"));
    EXPECT_FALSE(parseRawChannel(""));
}

} // namespace
} // namespace qs40::cli
