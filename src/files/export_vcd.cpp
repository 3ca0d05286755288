#include "files/export_vcd.h"

#include "files/export_interchange.h"
#include "files/file_box_texts.h"
#include "files/file_dialogs.h"

#include <array>
#include <mutex>
#include <vector>

namespace qs40 {
namespace {

const char* pick(bool russian, const char* english, const char* russianText) {
    return russian ? russianText : english;
}

constexpr std::int32_t kLogicChannels = kPresentD1 | kPresentD2;

bool isBit(std::int32_t entry) {
    return entry == 0 || entry == 1;
}

const char* unitName(int exponent) {
    switch (exponent) {
    case 0:
        return "s";
    case 3:
        return "ms";
    case 6:
        return "us";
    case 9:
        return "ns";
    case 12:
        return "ps";
    default:
        return "fs";
    }
}

// The logic samples in time order: one per position, or two with peak detection, up to the
// first missing bit of either channel.
struct LogicSamples {
    std::vector<int> channels;             // 2 for D1, 3 for D2
    std::vector<std::array<char, 2>> bits; // '0' or '1' per channel
};

LogicSamples logicSamples(const FrameData& frame) {
    LogicSamples out;
    const std::int32_t present = presentChannels(frame.header, kLogicChannels);
    for (int c = 2; c < kFileChannels; ++c)
        if ((present >> c & 1) != 0)
            out.channels.push_back(c);
    if (out.channels.empty())
        return out;
    const int count = storableSamples(frame.header);
    const int perPosition = fileHasPairs(frame.header) ? 2 : 1;
    for (int i = 0; i < count; ++i)
        for (int s = 0; s < perPosition; ++s) {
            std::array<char, 2> bits{'0', '0'};
            for (std::size_t k = 0; k < out.channels.size(); ++k) {
                const std::int32_t entry = frame.series[2 * out.channels[k] + s][i];
                if (!isBit(entry))
                    return out;
                bits[k] = entry == 1 ? '1' : '0';
            }
            out.bits.push_back(bits);
        }
    return out;
}

} // namespace

bool hasVcdExportData(const FrameHeader& header) {
    return header[kHdrValid] > 0 && presentChannels(header, kLogicChannels) != 0 &&
           sampleIntervalFs(header) > 0;
}

VcdTimescale vcdTimescaleFor(std::int64_t intervalFs) {
    // From the coarsest unit down: femtoseconds always divide.
    for (int exponent = 0; exponent <= 15; exponent += 3) {
        std::int64_t unitFs = 1;
        for (int e = exponent; e < 15; ++e)
            unitFs *= 10;
        for (const int multiple : {100, 10, 1}) {
            const std::int64_t tickFs = unitFs * multiple;
            if (intervalFs % tickFs == 0)
                return {multiple, exponent, intervalFs / tickFs};
        }
    }
    return {1, 15, intervalFs};
}

std::string buildVcd(const FrameData& frame, std::int32_t deviceTypeCode) {
    const bool pairs = fileHasPairs(frame.header);
    // With pairs the samples come at half the position interval.
    const VcdTimescale scale = vcdTimescaleFor(sampleIntervalFs(frame.header) / (pairs ? 2 : 1));
    const LogicSamples samples = logicSamples(frame);
    static constexpr std::array<char, 2> kIds{'!', '"'};

    std::string out = "$version QS40 $end\n";
    out +=
        "$timescale " + std::to_string(scale.multiple) + " " + unitName(scale.exponent) + " $end\n";
    out += "$scope module ZR40 $end\n";
    for (std::size_t k = 0; k < samples.channels.size(); ++k)
        out += std::string("$var wire 1 ") + kIds[k] + " " +
               interchangeChannelName(samples.channels[k], deviceTypeCode) + " $end\n";
    out += "$upscope $end\n$enddefinitions $end\n";
    if (samples.bits.empty())
        return out;

    std::array<char, 2> last{};
    for (std::size_t i = 0; i < samples.bits.size(); ++i) {
        const auto& bits = samples.bits[i];
        std::string changes;
        for (std::size_t k = 0; k < samples.channels.size(); ++k)
            if (i == 0 || bits[k] != last[k])
                changes += std::string(1, bits[k]) + kIds[k] + "\n";
        last = bits;
        if (changes.empty())
            continue;
        out += "#" + std::to_string(static_cast<std::int64_t>(i) * scale.ticksPerSample) + "\n";
        out += i == 0 ? "$dumpvars\n" + changes + "$end\n" : changes;
    }
    // The end of the last sample, so that readers know how long it lasts.
    out += "#" +
           std::to_string(static_cast<std::int64_t>(samples.bits.size()) * scale.ticksPerSample) +
           "\n";
    return out;
}

ExportResult exportVcd(ExportContext& context) {
    FileCommandContext& files = context.files;
    const bool ru = files.state.russian();
    const std::string title = pick(ru, "Save VCD", "Сохранение VCD");
    ExportResult ended{};
    const auto path = chooseExportFile(
        context,
        {title, pick(ru, "Value Change Dump (*.vcd)|*.vcd", "Файл VCD (*.vcd)|*.vcd"), ".vcd"},
        hasVcdExportData, ended);
    if (!path)
        return ended;
    std::string text;
    {
        std::lock_guard lock(files.frames.mutex);
        text = buildVcd(*files.frames.current, files.state.System.Device_Type_Code);
    }
    return writeExportFile(context, title, *path, text) ? ExportResult::Written
                                                        : ExportResult::Failed;
}

} // namespace qs40
