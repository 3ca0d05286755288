#include "files/export_sigrok.h"

#include "files/export_interchange.h"
#include "files/file_box_texts.h"
#include "files/file_dialogs.h"

#include <cmath>
#include <mutex>

namespace qs40 {
namespace {

const char* pick(bool russian, const char* english, const char* russianText) {
    return russian ? russianText : english;
}

constexpr std::int32_t kAllChannels = kPresentA1 | kPresentA2 | kPresentD1 | kPresentD2;

// 100 MHz / divider, to the nearest hertz: the file holds whole hertz.
std::uint64_t sampleRate(const FrameHeader& h) {
    return static_cast<std::uint64_t>(std::llround(1e8 / h[kHdrDivider]));
}

} // namespace

bool hasSigrokExportData(const FrameHeader& header) {
    return header[kHdrValid] > 0 && presentChannels(header, kAllChannels) != 0 &&
           sampleIntervalFs(header) > 0;
}

SigrokSession frameSigrokSession(const FrameData& frame, std::int32_t deviceTypeCode) {
    const FrameHeader& h = frame.header;
    const std::int32_t channels = presentChannels(h, kAllChannels);
    const bool pairs = fileHasPairs(h);
    const int count = completeSamples(frame, channels);
    SigrokSession session;
    session.sampleRate = h[kHdrDivider] > 0 ? sampleRate(h) : 0;
    const auto seriesNames = [&](int channel) -> std::vector<std::string> {
        const std::string name = interchangeChannelName(channel, deviceTypeCode);
        if (!pairs)
            return {name};
        return {name + "_min", name + "_max"};
    };

    for (int c = 0; c < 2; ++c) {
        if ((channels >> c & 1) == 0)
            continue;
        const std::int32_t zero = h[c == 0 ? kHdrZeroA1 : kHdrZeroA2];
        const std::int32_t voltsPerDivision = h[c == 0 ? kHdrVoltsDivA1 : kHdrVoltsDivA2];
        const auto names = seriesNames(c);
        for (std::size_t s = 0; s < names.size(); ++s) {
            SigrokAnalogChannel& out = session.analog.emplace_back();
            out.name = names[s];
            out.values.reserve(count);
            const auto& series = frame.series[2 * c + s];
            for (int i = 0; i < count; ++i)
                out.values.push_back(
                    static_cast<float>(sampleVolts(series[i], zero, voltsPerDivision)));
        }
    }

    // Each logic series takes the next bit of the sample byte.
    std::vector<int> logicSeries;
    for (int c = 2; c < kFileChannels; ++c) {
        if ((channels >> c & 1) == 0)
            continue;
        const auto names = seriesNames(c);
        for (std::size_t s = 0; s < names.size(); ++s) {
            session.logicNames.push_back(names[s]);
            logicSeries.push_back(2 * c + static_cast<int>(s));
        }
    }
    if (!logicSeries.empty()) {
        session.logic.resize(count);
        for (int i = 0; i < count; ++i) {
            std::uint8_t byte = 0;
            for (std::size_t bit = 0; bit < logicSeries.size(); ++bit)
                if (frame.series[logicSeries[bit]][i] != 0)
                    byte |= static_cast<std::uint8_t>(1u << bit);
            session.logic[i] = byte;
        }
    }
    return session;
}

ExportResult exportSigrok(ExportContext& context) {
    FileCommandContext& files = context.files;
    const bool ru = files.state.russian();
    const std::string title = pick(ru, "Save sigrok Session", "Сохранение сеанса sigrok");
    ExportResult ended{};
    const auto path = chooseExportFile(
        context, {title, pick(ru, "sigrok Session (*.sr)|*.sr", "Сеанс sigrok (*.sr)|*.sr"), ".sr"},
        hasSigrokExportData, ended);
    if (!path)
        return ended;
    SigrokSession session;
    {
        std::lock_guard lock(files.frames.mutex);
        session = frameSigrokSession(*files.frames.current, files.state.System.Device_Type_Code);
    }
    const SigrokEncoding encoded = encodeSigrokSession(session);
    if (!encoded.ok) {
        files.ui.messageBox(title, cantWriteText(*path, ru) + "\r\n" + encoded.error, BoxIcon::Stop,
                            BoxButtons::Ok);
        return ExportResult::Failed;
    }
    return writeExportFile(context, title, *path, encoded.bytes) ? ExportResult::Written
                                                                 : ExportResult::Failed;
}

} // namespace qs40
