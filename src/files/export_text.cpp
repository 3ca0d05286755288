#include "files/export_text.h"

#include "files/file_box_texts.h"
#include "files/file_dialogs.h"

#include <mutex>

namespace qs40 {
namespace {

const char* pick(bool russian, const char* english, const char* russianText) {
    return russian ? russianText : english;
}

std::string line(std::string text) {
    return text.append(kCrLf);
}

// Column names in the order A1, A2, D1, D2.
std::array<const char*, kFileChannels> columnNames(std::int32_t deviceTypeCode) {
    return {hasCapability(deviceTypeCode, kCapA2) ? "A1" : "A", "A2",
            hasCapability(deviceTypeCode, kCapD2) ? "D1" : "D", "D2"};
}

} // namespace

bool hasTextExportData(const FrameHeader& header) {
    return header[kHdrValid] != 0 && (header[kHdrChannels] & 0x0F) != 0;
}

std::string buildTextTable(const FrameData& frame, std::int32_t deviceTypeCode,
                           std::string_view sep) {
    const FrameHeader& h = frame.header;
    const bool hasA2 = hasCapability(deviceTypeCode, kCapA2);
    const bool pairs = fileHasPairs(h);
    std::string out = line("Oscilloscope data. ");
    out += line("Time step = " + timeStepText(h, sep));
    if (fileHasChannel(h, 0)) {
        out += line((hasA2 ? "Voltage step A1 = " : "Voltage step = ") +
                    voltageStepText(h[kHdrVoltsDivA1], sep));
        out += line((hasA2 ? "Zero level A1 = " : "Zero level = ") + std::to_string(h[kHdrZeroA1]));
    }
    if (fileHasChannel(h, 1)) {
        out += line("Voltage step A2 = " + voltageStepText(h[kHdrVoltsDivA2], sep));
        out += line("Zero level A2 = " + std::to_string(h[kHdrZeroA2]));
    }
    out += kCrLf;

    const auto names = columnNames(deviceTypeCode);
    out += "N";
    for (int c = 0; c < kFileChannels; ++c) {
        if (!fileHasChannel(h, c))
            continue;
        out += '\t';
        out += names[c];
        if (pairs)
            out += "(min,max)";
    }
    out += kCrLf;
    out += kCrLf;

    const int count = storableSamples(h);
    for (int i = 0; i < count; ++i) {
        out += std::to_string(i);
        for (int c = 0; c < kFileChannels; ++c) {
            if (!fileHasChannel(h, c))
                continue;
            out += '\t';
            out += std::to_string(frame.series[2 * c][i]);
            if (pairs) {
                out += ", ";
                out += std::to_string(frame.series[2 * c + 1][i]);
                out += '\t';
            }
        }
        out += kCrLf;
    }
    return out;
}

ExportResult exportText(ExportContext& context) {
    FileCommandContext& files = context.files;
    const bool ru = files.state.russian();
    const std::string title = pick(ru, "Save Text", "Сохранение текстового файла");
    ExportResult ended{};
    const auto path = chooseExportFile(
        context, {title, pick(ru, "Text File (*.txt)|*.txt", "Текст (*.txt)|*.txt"), ".txt"},
        hasTextExportData, ended);
    if (!path)
        return ended;
    std::string text;
    {
        std::lock_guard lock(files.frames.mutex);
        text = buildTextTable(*files.frames.current, files.state.System.Device_Type_Code,
                              context.decimalSeparator);
    }
    return writeExportFile(context, title, *path, text) ? ExportResult::Written
                                                        : ExportResult::Failed;
}

} // namespace qs40
