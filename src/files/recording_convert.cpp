#include "files/recording_convert.h"

#include <charconv>
#include <cmath>

namespace qs40 {
namespace {

constexpr std::size_t kCsvBlock = 1 << 20;

double volts(unsigned char code, const RecordingDescription& d) {
    return (static_cast<double>(code) - d.zeroLevel) * d.voltageStepUv * 1e-6;
}

// As printf's %g: the given significant digits, trailing zeros dropped ("0.0002", "-3.125").
void appendNumber(std::string& out, double value, int digits) {
    char text[64];
    const auto [end, ec] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    if (ec == std::errc{})
        out.append(text, end);
}

} // namespace

std::size_t recordingPositions(std::string_view bytes, const RecordingDescription& d) {
    return bytes.size() / static_cast<std::size_t>(d.bytesPerSample);
}

std::uint64_t recordingSampleRate(const RecordingDescription& d) {
    return d.timeStepNs > 0 ? static_cast<std::uint64_t>(std::llround(1e9 / d.timeStepNs)) : 0;
}

SigrokSession recordingSession(std::string_view bytes, const RecordingDescription& d) {
    SigrokSession session;
    session.sampleRate = recordingSampleRate(d);
    const std::size_t count = recordingPositions(bytes, d);
    const int series = d.bytesPerSample;
    for (int s = 0; s < series; ++s) {
        SigrokAnalogChannel& channel = session.analog.emplace_back();
        channel.name = series == 1 ? "A1" : s == 0 ? "A1_min" : "A1_max";
        channel.values.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            channel.values.push_back(
                static_cast<float>(volts(static_cast<unsigned char>(bytes[i * series + s]), d)));
    }
    return session;
}

ByteProducer recordingCsv(std::string_view bytes, const RecordingDescription& d) {
    return [bytes, d](const ByteSink& sink) {
        const int series = d.bytesPerSample;
        std::string block = series == 1 ? "time_s,A1_V\r\n" : "time_s,A1_min_V,A1_max_V\r\n";
        const std::size_t count = recordingPositions(bytes, d);
        for (std::size_t i = 0; i < count; ++i) {
            // Whole nanoseconds times the position stay exact in a double; one division.
            appendNumber(block, static_cast<double>(i) * d.timeStepNs / 1e9, 15);
            for (int s = 0; s < series; ++s) {
                block += ',';
                // The voltage step has four significant digits, times a code of three.
                appendNumber(block, volts(static_cast<unsigned char>(bytes[i * series + s]), d), 7);
            }
            block += "\r\n";
            if (block.size() >= kCsvBlock) {
                if (!sink(block))
                    return false;
                block.clear();
            }
        }
        return block.empty() || sink(block);
    };
}

} // namespace qs40
