// The command line of qs40-cli:
//   qs40-cli list    [--device DEV]
//   qs40-cli acquire [--device DEV] [--settings FILE.qss] [--single | --frames N] [--timeout S]
//                    [--save FILE.qsd] [--export-text FILE.txt] [--export-bin CH FILE.bin]...
//                    [--export-sr FILE.sr] [--export-vcd FILE.vcd]
//                    [--config FILE] [--variant CODE] [--generator]
//   qs40-cli calibrate zero|tdc [--device DEV] [--config FILE] [--timeout S]
//   qs40-cli calibrate freq (--reference HZ [--input IN] | --ppm X) [--device DEV]
//                    [--config FILE] [--timeout S]
//   qs40-cli record  --settings FILE.qss --out FILE.bin [--duration D] [--device DEV]
//                    [--timeout S] [--config FILE] [--variant CODE]
//   qs40-cli info    FILE.qsd
//   qs40-cli convert RECORDING.bin OUTPUT.sr|OUTPUT.csv
//   qs40-cli --help
// Options take their value as the next argument or after '=' (--frames=5).
#pragma once

#include "files/export_raw.h"
#include "scope/scope_state.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qs40::cli {

enum class Command { None, Help, List, Acquire, Info, Convert, Calibrate, Record };

enum class CalibrationTarget { Zero, Tdc, FreqMeter };

struct RawExportRequest {
    RawChannel channel = RawChannel::A1;
    std::string path;
};

inline constexpr std::chrono::milliseconds kDefaultTimeout{10000};
inline constexpr std::int32_t kMaxFrames = 1000000;

struct CliOptions {
    Command command = Command::None;
    std::string device; // empty: QS40_DEVICE, else usb
    // acquire
    std::string settingsFile;
    bool single = false;
    std::int32_t frames = 1;
    std::chrono::milliseconds timeout = kDefaultTimeout;
    std::string timeoutText = "10"; // as given, for messages
    std::string saveFile;
    std::string textFile;
    std::vector<RawExportRequest> rawExports;
    std::string sigrokFile;
    std::string vcdFile;
    std::string configFile; // empty: the configuration file of the window program
    std::optional<std::int32_t> variant;
    bool generator = false;
    // info
    std::string infoFile;
    // convert
    std::string recordingFile;
    std::string convertedFile;
    // calibrate
    std::optional<CalibrationTarget> calibration;
    std::optional<double> referenceHz; // a known frequency on the meter's input
    std::optional<double> ppm;         // the correction given by hand
    std::optional<FreqMeter> meterInput;
    // record
    std::string recordFile;
    std::optional<std::chrono::milliseconds> duration; // none: until a signal
    std::string durationText;
};

struct ParsedCommandLine {
    CliOptions options;
    std::string error; // one line; set when the command line cannot be used
};

// args: the arguments after the program name.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

// A raw channel name: A1, A2, D1, D2, or A and D for the first channel of the kind (the names
// single-channel variants use); any letter case.
std::optional<RawChannel> parseRawChannel(std::string_view text);

// What convert writes, by the output's extension (.sr or .csv, in any letter case).
enum class ConvertedFormat { SigrokSession, Csv };
std::optional<ConvertedFormat> convertedFormat(std::string_view path);

// The text of --help.
std::string usageText();

} // namespace qs40::cli
