// The exports for other tools and the recording reader on hostile input. Inputs starting with
// "QSD_ZR40:" are loaded as data files (the checksum made to match) and exported as a sigrok
// session and a VCD; anything else is a recorder's companion text followed, after a zero
// byte, by the recording's bytes.
#include "files/data_file_format.h"
#include "files/export_sigrok.h"
#include "files/export_vcd.h"
#include "files/recording_convert.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace {

using namespace qs40;

void exportFrame(const std::uint8_t* data, std::size_t size) {
    static auto frame = std::make_unique<FrameData>();
    std::vector<std::uint8_t> fixed(data, data + size);
    if (size >= kDataFileSamplesOffset) {
        FrameHeader h{};
        std::memcpy(h.data(), fixed.data() + kDataFileMark.size(), kDataFileHeaderBytes);
        const std::int32_t sum = headerChecksum(h);
        std::memcpy(fixed.data() + kDataFileMark.size() + 4 * kHdrChecksum, &sum, 4);
    }
    MemoryDataFileInput input(std::span(fixed.data(), fixed.size()));
    if (decodeDataFile(input, *frame).status != DataFileStatus::Loaded)
        return;
    const SigrokSession session = frameSigrokSession(*frame, frame->header[kHdrVariant]);
    for (const auto& channel : session.analog)
        if (channel.values.size() != session.logic.size() && !session.logic.empty())
            std::abort(); // every channel of a capture equally long
    if (hasSigrokExportData(frame->header) && !encodeSigrokSession(session).ok)
        std::abort();
    const std::string vcd = buildVcd(*frame, frame->header[kHdrVariant]);
    if (vcd.find("$enddefinitions $end\n") == std::string::npos)
        std::abort();
}

void convertRecording(std::string_view input) {
    const std::size_t split = input.find('\0');
    const std::string_view text = input.substr(0, split);
    const std::string_view bytes =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
    const RecordingDescriptionRead read = parseRecordingCompanion(text);
    if (!read.description)
        return;
    const RecordingDescription& d = *read.description;
    if ((d.bytesPerSample != 1 && d.bytesPerSample != 2) || !(d.timeStepNs > 0) ||
        !std::isfinite(d.voltageStepUv))
        std::abort();
    const SigrokSession session = recordingSession(bytes, d);
    if (session.analog.size() != static_cast<std::size_t>(d.bytesPerSample))
        std::abort();
    std::size_t produced = 0;
    recordingCsv(bytes, d)([&produced](std::string_view block) {
        produced += block.size();
        return true;
    });
    if (produced == 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.starts_with("QSD_ZR40:"))
        exportFrame(data, size);
    else
        convertRecording(input);
    return 0;
}
