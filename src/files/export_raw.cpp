#include "files/export_raw.h"

#include "files/file_box_texts.h"
#include "files/file_dialogs.h"

#include <mutex>

namespace qs40 {
namespace {

const char* pick(bool russian, const char* english, const char* russianText) {
    return russian ? russianText : english;
}

int index(RawChannel channel) {
    return static_cast<int>(channel);
}

bool isSampleByte(std::int32_t entry) {
    return entry >= 0 && entry <= 254;
}

std::string channelLabel(RawChannel channel, std::int32_t deviceTypeCode) {
    switch (channel) {
    case RawChannel::A1:
        return hasCapability(deviceTypeCode, kCapA2) ? "A1)" : "A)";
    case RawChannel::A2:
        return "A2)";
    case RawChannel::D1:
        return hasCapability(deviceTypeCode, kCapD2) ? "D1)" : "D)";
    case RawChannel::D2:
        return "D2)";
    }
    return "";
}

} // namespace

bool hasRawExportData(const FrameHeader& header, RawChannel channel) {
    return header[kHdrValid] != 0 && fileHasChannel(header, index(channel));
}

std::string buildRawChannelBytes(const FrameData& frame, RawChannel channel) {
    const auto& first = frame.series[2 * index(channel)];
    const auto& second = frame.series[2 * index(channel) + 1];
    const bool pairs = fileHasPairs(frame.header);
    const int count = storableSamples(frame.header);
    std::string out;
    for (int i = 0; i < count; ++i) {
        if (!isSampleByte(first[i]))
            break;
        out.push_back(static_cast<char>(first[i]));
        if (!pairs)
            continue;
        if (!isSampleByte(second[i]))
            break;
        out.push_back(static_cast<char>(second[i]));
    }
    return out;
}

std::string buildRawCompanionText(const FrameHeader& h, RawChannel channel,
                                  const std::string& binaryName, std::string_view sep) {
    std::string out;
    const auto line = [&out](const std::string& text) {
        out += text;
        out += kCrLf;
    };
    line("Oscilloscope binary file = " + binaryName);
    line("Time step = " + timeStepText(h, sep));
    line(h[kHdrPairs] != 0 ? "Peak detector on, bytes per sample = 2"
                           : "Peak detector off, bytes per sample = 1");
    if (channel == RawChannel::A1 || channel == RawChannel::A2) {
        const bool a1 = channel == RawChannel::A1;
        line("Voltage step = " + voltageStepText(h[a1 ? kHdrVoltsDivA1 : kHdrVoltsDivA2], sep));
        line("Zero level = " + std::to_string(h[a1 ? kHdrZeroA1 : kHdrZeroA2]));
        line("");
    }
    return out;
}

std::string rawDialogTitle(RawChannel channel, std::int32_t deviceTypeCode, bool russian) {
    return pick(russian, "Save Row Binary (CH ", "Сохранение двоичного файла (канал ") +
           channelLabel(channel, deviceTypeCode);
}

ExportResult exportRawChannel(ExportContext& context, RawChannel channel) {
    FileCommandContext& files = context.files;
    const bool ru = files.state.russian();
    const std::string title = rawDialogTitle(channel, files.state.System.Device_Type_Code, ru);
    ExportResult ended{};
    const auto path = chooseExportFile(
        context,
        {title, pick(ru, "Binary File (*.bin)|*.bin", "Двоичный файл (*.bin)|*.bin"), ".bin"},
        [channel](const FrameHeader& h) { return hasRawExportData(h, channel); }, ended);
    if (!path)
        return ended;
    FrameHeader header;
    std::string bytes;
    {
        std::lock_guard lock(files.frames.mutex);
        header = files.frames.current->header;
        bytes = buildRawChannelBytes(*files.frames.current, channel);
    }
    if (!writeExportFile(context, title, *path, bytes))
        return ExportResult::Failed;

    const std::string companionCaption =
        pick(ru, "Save Text For Row Binary", "Сохранение сопутствующего текстового файла");
    const std::string companion = withExtension(*path, ".txt");
    // A binary file saved under the companion's own name must not be overwritten by it.
    if (companion == *path)
        return ExportResult::CompanionKept;
    if (fileExists(companion) &&
        files.ui.messageBox(companionCaption, replaceExistingText(companion, ru),
                            BoxIcon::Exclamation, BoxButtons::YesNo) != BoxAnswer::Yes)
        return ExportResult::CompanionKept;
    const std::string text =
        buildRawCompanionText(header, channel, fileNameOf(*path), context.decimalSeparator);
    return writeExportFile(context, companionCaption, companion, text)
               ? ExportResult::Written
               : ExportResult::CompanionFailed;
}

} // namespace qs40
