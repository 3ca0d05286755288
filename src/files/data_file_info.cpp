#include "files/data_file_info.h"

#include "files/data_file_damage.h"
#include "files/file_box_texts.h"
#include "files/file_handles.h"
#include "files/file_read.h"
#include "scope/variant.h"

#include <array>
#include <cstdio>
#include <memory>

namespace qs40 {
namespace {

constexpr std::array<const char*, kHeaderFields> kFieldNames{
    "variant code",
    "sample divider",
    "A1 volts/div (uV)",
    "A1 zero level",
    "A2 volts/div (uV)",
    "A2 zero level",
    "frame length",
    "trigger position",
    "valid samples",
    "ring length",
    "roll frame",
    "peak-detect pairs",
    "trigger level",
    "trigger source",
    "fine offset A1",
    "fine offset A2",
    "fine offset D1",
    "fine offset D2",
    "channel mask",
    "generator second",
    "generator frequency",
    "freq. meter range",
    "freq. meter count 1",
    "freq. meter count 2",
    "freq. meter time",
    "A1 level sum",
    "A2 level sum",
    "A1 peak-to-peak",
    "A2 peak-to-peak",
    "reserved",
    "reserved",
    "reserved",
    "reserved",
    "reserved",
    "reserved",
    "reserved",
    "reserved",
    "reserved",
    "reserved",
    "frame counter",
    "checksum",
};

constexpr std::array<const char*, kFileChannels> kChannelNames{"A1", "A2", "D1", "D2"};

std::string invalidReason(DataFileStatus status) {
    switch (status) {
    case DataFileStatus::OlderFormat:
        return "Invalid file format (ZR4001).";
    case DataFileStatus::HeaderTruncated:
        return "Invalid file format. (the file ends inside the header)";
    case DataFileStatus::ChecksumError:
        return "Invalid file format. (CRC error)";
    default:
        return "Invalid file format.";
    }
}

// Why the file cannot be read, as the window's box says it, after "name: " and with the reason
// on a line of its own.
std::string unreadableText(const std::string& path, FileReadStatus status, int error) {
    std::string text = path + ": ";
    for (const char c : readFailureLines(status, error, false))
        if (c != '\r')
            text += c;
    return text + "\n";
}

std::string headerLines(const FrameHeader& h) {
    std::string out = "Header:\n";
    for (int i = 0; i < kHeaderFields; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "  %2d  %-20s %d\n", i, kFieldNames[i], h[i]);
        out += line;
    }
    return out;
}

std::string sampleLines(const DataFileReport& r) {
    const FrameHeader& h = r.fileHeader;
    std::string channels;
    std::string inFile;
    for (int c = 0; c < kFileChannels; ++c) {
        if (!fileHasChannel(h, c))
            continue;
        channels += channels.empty() ? "" : " ";
        channels += kChannelNames[c];
        inFile += inFile.empty() ? "" : ", ";
        inFile += std::string(kChannelNames[c]) + " " + std::to_string(r.loaded[c]);
    }
    std::string out;
    out += "Channels: " + (channels.empty() ? std::string("none") : channels) + "\n";
    out += fileHasPairs(h) ? "Peak detection: on, 2 bytes per sample\n"
                           : "Peak detection: off, 1 byte per sample\n";
    out += "Samples per channel: " + std::to_string(h[kHdrValid]) + "\n";
    if (h[kHdrValid] > kMaxSamples)
        out += "Only the first " + std::to_string(kMaxSamples) + " samples of each channel load\n";
    if (!channels.empty())
        out += "Samples in the file: " + inFile + "\n";
    if (r.endedEarly)
        out += "The file ends before its last sample; the rest shows no sample\n";
    if (r.trailingBytes)
        out += "Bytes follow the last sample; they are not read\n";
    return out;
}

// What is damaged, first, so that it is not missed above a long list of fields.
std::string damageLines(const std::vector<DataFileDamage>& damage) {
    if (damage.empty())
        return {};
    std::string out = "Damaged:\n";
    for (const DataFileDamage& d : damage)
        out += "  " + damageText(d, false) + "\n";
    return out;
}

} // namespace

DataFileDescription describeDataFile(DataFileInput& input, const std::string& name) {
    auto frame = std::make_unique<FrameData>();
    const DataFileReport report = decodeDataFile(input, *frame);
    if (report.status != DataFileStatus::Loaded)
        return {false, name + ": " + invalidReason(report.status) + "\n"};
    const FrameHeader& h = report.fileHeader;
    const std::vector<DataFileDamage> damage = dataFileDamage(report);
    std::string text = "File: " + name + "\n";
    text += "Variant: " + std::to_string(h[kHdrVariant]) + " " + variantName(h[kHdrVariant]) + "\n";
    text += damageLines(damage);
    text += sampleLines(report);
    text += headerLines(h);
    return {true, text, !damage.empty()};
}

DataFileDescription describeDataFile(const std::string& path) {
    // Refused before it is opened when it is no regular file: a named pipe would never answer.
    const OpenedStream opened = openRegularFileStream(path);
    if (!opened.file)
        return {false, unreadableText(path, opened.status, opened.error)};
    StdioDataFileInput input(opened.file.get());
    DataFileDescription d = describeDataFile(input, path);
    if (input.error() != 0)
        return {false, unreadableText(path, FileReadStatus::Failed, input.error())};
    return d;
}

} // namespace qs40
