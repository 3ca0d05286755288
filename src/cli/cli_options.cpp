#include "cli/cli_options.h"

#include "files/data_file.h"
#include "files/file_dialogs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <set>
#include <system_error>

namespace qs40::cli {
namespace {

enum CommandBit : unsigned { kList = 1, kAcquire = 2, kCalibrate = 4, kRecord = 8 };

struct OptionRule {
    std::string_view name;
    int values;
    unsigned commands;
};

constexpr OptionRule kOptions[] = {
    {"--device", 1, kList | kAcquire | kCalibrate | kRecord},
    {"--settings", 1, kAcquire | kRecord},
    {"--single", 0, kAcquire},
    {"--frames", 1, kAcquire},
    {"--timeout", 1, kAcquire | kCalibrate | kRecord},
    {"--save", 1, kAcquire},
    {"--export-text", 1, kAcquire},
    {"--export-bin", 2, kAcquire},
    {"--config", 1, kAcquire | kCalibrate | kRecord},
    {"--variant", 1, kAcquire | kRecord},
    {"--generator", 0, kAcquire},
    {"--export-sr", 1, kAcquire},
    {"--export-vcd", 1, kAcquire},
    {"--reference", 1, kCalibrate},
    {"--ppm", 1, kCalibrate},
    {"--input", 1, kCalibrate},
    {"--out", 1, kRecord},
    {"--duration", 1, kRecord},
};

// The correction the frequency meter takes: 0.2 ppm steps up to 50 ppm either way.
constexpr double kMaxPpm = 50.0;

constexpr double kMaxTimeoutSeconds = 1e6;
constexpr double kMaxDurationSeconds = 1e8; // three years

const OptionRule* findOption(std::string_view name) {
    for (const OptionRule& rule : kOptions)
        if (rule.name == name)
            return &rule;
    return nullptr;
}

std::string_view commandName(Command c) {
    switch (c) {
    case Command::List:
        return "list";
    case Command::Acquire:
        return "acquire";
    case Command::Convert:
        return "convert";
    case Command::Calibrate:
        return "calibrate";
    case Command::Record:
        return "record";
    default:
        return "info";
    }
}

unsigned commandBit(Command c) {
    if (c == Command::List)
        return kList;
    if (c == Command::Calibrate)
        return kCalibrate;
    if (c == Command::Record)
        return kRecord;
    return c == Command::Acquire ? kAcquire : 0u;
}

std::optional<CalibrationTarget> parseCalibrationTarget(std::string_view text) {
    if (text == "zero")
        return CalibrationTarget::Zero;
    if (text == "tdc")
        return CalibrationTarget::Tdc;
    if (text == "freq")
        return CalibrationTarget::FreqMeter;
    return std::nullopt;
}

std::optional<FreqMeter> parseMeterInput(std::string_view text) {
    std::string name(text);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    static constexpr std::pair<std::string_view, FreqMeter> kInputs[] = {
        {"A1", FreqMeter::A1}, {"A2", FreqMeter::A2},      {"D1", FreqMeter::D1},
        {"D2", FreqMeter::D2}, {"D1HF", FreqMeter::D1_HF}, {"D2HF", FreqMeter::D2_HF},
    };
    for (const auto& [n, input] : kInputs)
        if (n == name)
            return input;
    return std::nullopt;
}

template <class T, class... Base>
std::optional<T> parseNumber(std::string_view text, Base... base) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base...);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> parseVariantCode(std::string_view text) {
    std::optional<long> code;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        code = parseNumber<long>(text.substr(2), 16);
    else
        code = parseNumber<long>(text);
    if (!code || *code < 0 || *code > 0xFFFF)
        return std::nullopt;
    return static_cast<std::int32_t>(*code);
}

// Seconds as a decimal number, rounded up to whole milliseconds.
std::optional<std::chrono::milliseconds> parseTimeout(std::string_view text) {
    const auto seconds = parseNumber<double>(text);
    if (!seconds || !std::isfinite(*seconds) || *seconds <= 0 || *seconds > kMaxTimeoutSeconds)
        return std::nullopt;
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::ceil(*seconds * 1000)));
}

// A frequency in hertz, with an optional k or M suffix.
std::optional<double> parseFrequency(std::string_view text) {
    double scale = 1;
    if (text.ends_with("k")) {
        scale = 1e3;
        text.remove_suffix(1);
    } else if (text.ends_with("M")) {
        scale = 1e6;
        text.remove_suffix(1);
    }
    const auto value = parseNumber<double>(text);
    if (!value || !std::isfinite(*value) || *value <= 0 || *value * scale > 1e9)
        return std::nullopt;
    return *value * scale;
}

// A recording's length: seconds, or a number followed by s, m or h; whole milliseconds.
std::optional<std::chrono::milliseconds> parseDuration(std::string_view text) {
    double unit = 1;
    if (!text.empty() && (text.back() == 's' || text.back() == 'm' || text.back() == 'h')) {
        unit = text.back() == 'h' ? 3600 : text.back() == 'm' ? 60 : 1;
        text.remove_suffix(1);
    }
    const auto value = parseNumber<double>(text);
    if (!value || !std::isfinite(*value) || *value <= 0 || *value * unit > kMaxDurationSeconds)
        return std::nullopt;
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::ceil(*value * unit * 1000)));
}

// Stores one option's values; a non-empty result is the error.
std::string apply(CliOptions& o, std::string_view name, const std::vector<std::string>& v) {
    if (name == "--device")
        o.device = v[0];
    else if (name == "--settings")
        o.settingsFile = v[0];
    else if (name == "--single")
        o.single = true;
    else if (name == "--frames") {
        const auto n = parseNumber<std::int64_t>(v[0]);
        if (!n || *n < 1 || *n > kMaxFrames)
            return "--frames takes a whole number from 1 to " + std::to_string(kMaxFrames);
        o.frames = static_cast<std::int32_t>(*n);
    } else if (name == "--timeout") {
        const auto t = parseTimeout(v[0]);
        if (!t)
            return "--timeout takes seconds, a number above 0 (e.g. 10 or 0.5)";
        o.timeout = *t;
        o.timeoutText = v[0];
    } else if (name == "--save")
        o.saveFile = v[0];
    else if (name == "--export-text")
        o.textFile = v[0];
    else if (name == "--export-sr")
        o.sigrokFile = v[0];
    else if (name == "--export-vcd")
        o.vcdFile = v[0];
    else if (name == "--export-bin") {
        const auto channel = parseRawChannel(v[0]);
        if (!channel)
            return "--export-bin takes a channel A1, A2, D1 or D2, then a file: not '" + v[0] + "'";
        o.rawExports.push_back({*channel, v[1]});
    } else if (name == "--config")
        o.configFile = v[0];
    else if (name == "--variant") {
        const auto code = parseVariantCode(v[0]);
        if (!code)
            return "--variant takes a variant code from 0 to 65535, as 31 or 0x1F";
        o.variant = *code;
    } else if (name == "--generator")
        o.generator = true;
    else if (name == "--reference") {
        o.referenceHz = parseFrequency(v[0]);
        if (!o.referenceHz)
            return "--reference takes the input's frequency in Hz, above 0 (e.g. 1000000 or 1M)";
    } else if (name == "--ppm") {
        const auto ppm = parseNumber<double>(v[0].starts_with('+') ? v[0].substr(1) : v[0]);
        if (!ppm || !(*ppm >= -kMaxPpm && *ppm <= kMaxPpm))
            return "--ppm takes the correction in ppm, from -50 to 50 (e.g. 12.6)";
        o.ppm = *ppm;
    } else if (name == "--input") {
        o.meterInput = parseMeterInput(v[0]);
        if (!o.meterInput)
            return "--input takes the frequency meter's input: A1, A2, D1, D2, D1HF or D2HF";
    } else if (name == "--out")
        o.recordFile = v[0];
    else if (name == "--duration") {
        const auto d = parseDuration(v[0]);
        if (!d)
            return "--duration takes a time above 0: seconds, or a number with s, m or h "
                   "(e.g. 90, 1.5h)";
        o.duration = *d;
        o.durationText = v[0];
    }
    return {};
}

std::string normalised(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return (ec ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

// Every file an acquisition writes, companions included, must be a file of its own: one output
// would otherwise replace another, or a companion would be refused after its data was written.
std::string checkOutputsDistinct(const CliOptions& o) {
    struct Output {
        std::string path;
        std::string what;
    };
    std::vector<Output> outputs;
    if (!o.saveFile.empty()) {
        outputs.push_back({o.saveFile, "--save"});
        outputs.push_back({companionSettingsName(o.saveFile), "the settings file of --save"});
    }
    if (!o.textFile.empty())
        outputs.push_back({o.textFile, "--export-text"});
    for (const RawExportRequest& r : o.rawExports) {
        outputs.push_back({r.path, "--export-bin"});
        outputs.push_back({withExtension(r.path, ".txt"), "the text file of --export-bin"});
    }
    if (!o.sigrokFile.empty())
        outputs.push_back({o.sigrokFile, "--export-sr"});
    if (!o.vcdFile.empty())
        outputs.push_back({o.vcdFile, "--export-vcd"});
    for (std::size_t i = 0; i < outputs.size(); ++i)
        for (std::size_t k = i + 1; k < outputs.size(); ++k)
            if (normalised(outputs[i].path) == normalised(outputs[k].path))
                return outputs[i].what + " and " + outputs[k].what + " name the same file " +
                       outputs[k].path;
    return {};
}

// The output's extension says what it becomes; the recording's companion text must stay.
std::string checkConversion(const CliOptions& o) {
    if (o.convertedFile.empty())
        return "convert needs the recorder file and the file to write (.sr or .csv)";
    if (!convertedFormat(o.convertedFile))
        return "convert writes a sigrok session (.sr) or a CSV table (.csv), not " +
               o.convertedFile;
    for (const std::string& kept : {o.recordingFile, withExtension(o.recordingFile, ".txt")})
        if (normalised(kept) == normalised(o.convertedFile))
            return "convert would replace its own input " + kept;
    return {};
}

bool isHelp(std::string_view arg) {
    return arg == "--help" || arg == "-h";
}

} // namespace

std::optional<ConvertedFormat> convertedFormat(std::string_view path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".sr")
        return ConvertedFormat::SigrokSession;
    if (extension == ".csv")
        return ConvertedFormat::Csv;
    return std::nullopt;
}

std::optional<RawChannel> parseRawChannel(std::string_view text) {
    std::string name(text);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (name == "A1" || name == "A")
        return RawChannel::A1;
    if (name == "A2")
        return RawChannel::A2;
    if (name == "D1" || name == "D")
        return RawChannel::D1;
    if (name == "D2")
        return RawChannel::D2;
    return std::nullopt;
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine result;
    CliOptions& o = result.options;
    if (args.empty())
        return result;
    if (std::any_of(args.begin(), args.end(), isHelp)) {
        o.command = Command::Help;
        return result;
    }
    const auto fail = [&result](std::string error) {
        result.error = std::move(error);
        return result;
    };

    const std::string& command = args[0];
    if (command == "list")
        o.command = Command::List;
    else if (command == "acquire")
        o.command = Command::Acquire;
    else if (command == "info")
        o.command = Command::Info;
    else if (command == "convert")
        o.command = Command::Convert;
    else if (command == "calibrate")
        o.command = Command::Calibrate;
    else if (command == "record")
        o.command = Command::Record;
    else if (command.starts_with("-"))
        return fail("the command comes first: list, acquire, record, calibrate, info or convert");
    else
        return fail("unknown command '" + command +
                    "': use list, acquire, record, calibrate, info or convert");

    std::set<std::string_view> seen;
    bool framesGiven = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("-") || arg == "-") {
            if (o.command == Command::Info && o.infoFile.empty()) {
                o.infoFile = arg;
                continue;
            }
            if (o.command == Command::Convert && o.convertedFile.empty()) {
                (o.recordingFile.empty() ? o.recordingFile : o.convertedFile) = arg;
                continue;
            }
            if (o.command == Command::Calibrate && !o.calibration) {
                o.calibration = parseCalibrationTarget(arg);
                if (!o.calibration)
                    return fail("calibrate what: zero, tdc or freq, not '" + arg + "'");
                continue;
            }
            return fail("unexpected argument '" + arg + "'");
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const OptionRule* rule = findOption(name);
        if (rule == nullptr)
            return fail("unknown option " + name);
        if ((rule->commands & commandBit(o.command)) == 0)
            return fail(name + " is not an option of " + std::string(commandName(o.command)));
        if (rule->values == 0 && eq != std::string::npos)
            return fail(name + " takes no value");
        if (rule->name != "--export-bin" && !seen.insert(rule->name).second)
            return fail(name + " is given twice");

        std::vector<std::string> values;
        if (eq != std::string::npos)
            values.push_back(arg.substr(eq + 1));
        while (static_cast<int>(values.size()) < rule->values) {
            // An option where a value belongs means the value is missing.
            if (i + 1 >= args.size() || args[i + 1].starts_with("--"))
                break;
            values.push_back(args[++i]);
        }
        if (static_cast<int>(values.size()) < rule->values ||
            std::any_of(values.begin(), values.end(), [](const auto& v) { return v.empty(); }))
            return fail(name +
                        (rule->values == 2 ? " needs a channel and a file" : " needs a value"));
        if (std::string error = apply(o, rule->name, values); !error.empty())
            return fail(std::move(error));
        framesGiven = framesGiven || rule->name == "--frames";
    }

    if (o.command == Command::Info && o.infoFile.empty())
        return fail("info needs the data file to describe");
    if (o.command == Command::Convert)
        if (std::string error = checkConversion(o); !error.empty())
            return fail(std::move(error));
    if (o.command == Command::Calibrate) {
        if (!o.calibration)
            return fail("calibrate needs what to calibrate: zero, tdc or freq");
        const bool freq = o.calibration == CalibrationTarget::FreqMeter;
        if (!freq && (o.referenceHz || o.ppm || o.meterInput))
            return fail("--reference, --ppm and --input belong to calibrate freq");
        if (freq && o.referenceHz.has_value() == o.ppm.has_value())
            return fail("calibrate freq takes either --reference HZ or --ppm X");
        if (o.ppm && o.meterInput)
            return fail("--input goes with --reference: --ppm measures nothing");
    }
    if (o.single && framesGiven)
        return fail("--single and --frames exclude each other");
    if (o.command == Command::Acquire)
        if (std::string error = checkOutputsDistinct(o); !error.empty())
            return fail(std::move(error));
    if (o.command == Command::Record) {
        if (o.settingsFile.empty())
            return fail("record needs --settings FILE.qss: the slow time base to record");
        if (o.recordFile.empty())
            return fail("record needs --out FILE.bin");
        if (normalised(o.recordFile) == normalised(withExtension(o.recordFile, ".txt")))
            return fail("--out " + o.recordFile + " would be its own text file: use .bin");
    }
    return result;
}

std::string usageText() {
    return R"(Usage:
  qs40-cli list [--device DEV]
  qs40-cli acquire [--device DEV] [--settings FILE.qss] [--single | --frames N]
                   [--timeout S] [--save FILE.qsd] [--export-text FILE.txt]
                   [--export-bin CH FILE.bin]... [--export-sr FILE.sr]
                   [--export-vcd FILE.vcd] [--config FILE] [--variant CODE]
                   [--generator]
  qs40-cli calibrate zero|tdc [--device DEV] [--config FILE] [--timeout S]
  qs40-cli calibrate freq --reference HZ [--input IN] [--device DEV] [--config FILE]
                   [--timeout S]
  qs40-cli calibrate freq --ppm X [--config FILE]
  qs40-cli record --settings FILE.qss --out FILE.bin [--duration D] [--device DEV]
                  [--timeout S] [--config FILE] [--variant CODE]
  qs40-cli info FILE.qsd
  qs40-cli convert RECORDING.bin OUTPUT.sr|OUTPUT.csv
  qs40-cli --help

Commands:
  list      the attached devices: index, location and description
  acquire   opens the instrument, loads its FPGA, applies the settings, runs and writes
            the last accepted frame
  calibrate zero
            the zero-level calibration with nothing connected to the inputs; the
            coefficients are written to the configuration file
  calibrate tdc
            the TDC calibration with the generator output connected to D1 and D2; the
            constants are written to the instrument
  calibrate freq
            the frequency meter's correction: with --reference, a known frequency on the
            meter's input is read and the correction that makes the readings match it is
            computed; with --ppm it is given by hand; it is written to the configuration
            file
  record    records A1 of a slow roll (0.1 .. 20 s/div, no trigger source in the
            settings) to a raw file, one byte a sample (two with peak detection), with
            a text file FILE.txt that describes it; it ends after --duration, or at
            Ctrl+C or SIGTERM, which close the file and write the text file. Progress
            goes to the error stream once a second. A link failure ends it with what
            was received on disk and the reason in the text file (status 3)
  info      the header fields and sample counts of a data file, or why it is not one;
            a file that loads but is damaged (shorter than its header says, or with header
            values no instrument writes) is described all the same, with what is wrong
            under "Damaged:", and the exit status is 0
  convert   a recorder file, read with its companion text RECORDING.txt, as a sigrok
            session (.sr, A1 in volts) or a CSV table of time (s) and A1 (V); with
            peak detection as A1_min and A1_max

Options:
  --device DEV          usb (attached FTDI devices), ftdi (the same through libftdi1),
                        tty:PATH (one serial device) or sim[:options] (the simulated
                        instrument, e.g. sim:pace=fast; sim:fault=unplug,every=20s makes it
                        fail every 20 s); default: $QS40_DEVICE, else usb
  --settings FILE.qss   front-panel settings to apply, as "Open Settings" does
  --single              one single shot instead of running
  --frames N            run until N frames were accepted (default 1)
  --timeout S           seconds to wait for the instrument to come up, and then for
                        each frame (default 10); a run of many frames takes as long as
                        the link needs for them
  --save FILE.qsd       the frame as a data file, with its settings file FILE.qss
  --export-text FILE    the frame as a text table
  --export-bin CH FILE  one channel's raw samples (CH: A1, A2, D1 or D2), with a text file
                        of the same name ending in .txt; may be given for several channels
  --export-sr FILE      the frame as a sigrok session that sigrok-cli and PulseView open:
                        A1 and A2 in volts, D1 and D2 as logic channels, with peak
                        detection a _min and a _max channel each; up to the first
                        missing sample
  --export-vcd FILE     D1 and D2 as a Value Change Dump
  --config FILE         the configuration file to read (default: that of the qs40 program
                        beside this one); acquire never writes it, calibrate zero and
                        freq write their results into it; a file that holds none of its
                        sections is refused (status 5)
  --variant CODE        the variant the instrument must be (e.g. 31 or 0x1F); an
                        instrument that reports another is refused (status 2)
  --generator           switches the generator output on
  --reference HZ        calibrate freq: the frequency on the meter's input (k and M
                        suffixes, e.g. 10M)
  --input IN            calibrate freq: the meter's input, A1, A2, D1, D2, D1HF or D2HF
                        (default: the one of the configuration)
  --ppm X               calibrate freq: the correction in ppm, -50 to 50, in steps of 0.2
  --out FILE.bin        record: the file to record to (replaced when it exists)
  --duration D          record: how long, in seconds or with s, m or h (e.g. 90, 1.5h);
                        default: until Ctrl+C or SIGTERM

acquire works as the variant the instrument reports, as the window does: it decides
what is written (the settings file of --save, the columns of the exports) and which
channels and functions can be asked for.

An existing companion file (the .qss of --save, the .txt of --export-bin) is never
replaced; remove it first. The .qss of --save may be the --settings file itself: it then
stays as it is.

Exit status:
  0  success
  1  a calibration failed (noise or a clipped level on an input, TDC counts out of
     range), or an unexpected error
  2  the command line cannot be used, or asks what the instrument does not have
     (a channel, the generator, or another variant than --variant), or the settings
     of record give no slow roll without trigger
  3  no instrument, it cannot be opened, or the link failed
  4  time-out: the instrument did not come up, or a frame did not come, within
     --timeout
  5  a settings, configuration, data, recorder or FPGA image file is unusable
  6  an output file (or its companion) was not written
)";
}

} // namespace qs40::cli
