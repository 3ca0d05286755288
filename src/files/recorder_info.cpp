#include "files/recorder_info.h"

#include "display/unit_format.h"
#include "files/recorder_texts.h"

#include <cstdio>
#include <ctime>

namespace qs40 {
namespace {

// MBytes per hour of one byte a second: 3600 / 2^20.
constexpr double kMegabytesPerHourPerByteSecond = 3600.0 / 1048576.0;

} // namespace

RecorderFrameFacts recorderFactsOf(const std::array<std::int32_t, kHeaderFields>& header) {
    RecorderFrameFacts f;
    f.sampleStep = header[kHdrDivider];
    f.voltsDivA1 = header[kHdrVoltsDivA1];
    f.zeroA1 = header[kHdrZeroA1];
    f.peakDetection = header[kHdrPairs] != 0;
    return f;
}

std::vector<std::string> recorderInfoLines(const RecorderFrameFacts& facts, bool russian,
                                           std::string_view decimalSeparator) {
    const RecorderTexts& t = recorderTexts(russian);
    std::vector<std::string> lines;
    if (facts.sampleStep == 0) {
        lines.emplace_back(t.notReady);
        lines.emplace_back();
        return lines;
    }
    const double rate = 1e8 / facts.sampleStep;
    const int bytesPerSample = facts.peakDetection ? 2 : 1;
    lines.push_back(t.samplingRate + fmt(rate, UnitKind::Frequency, -3, decimalSeparator));
    lines.emplace_back(facts.peakDetection ? t.peakOn : t.peakOff);
    lines.push_back(
        t.writeSpeed +
        formatFixed(rate * bytesPerSample * kMegabytesPerHourPerByteSecond, 6, decimalSeparator) +
        t.megabytesPerHour);
    lines.emplace_back();
    lines.push_back(t.timeStep + fmt(static_cast<double>(facts.sampleStep) * 10.0, UnitKind::Time,
                                     -4, decimalSeparator));
    lines.push_back(t.voltageStep +
                    fmt(facts.voltsDivA1 / 32.0, UnitKind::Voltage, -4, decimalSeparator));
    lines.push_back(t.zeroLevel + std::to_string(facts.zeroA1));
    lines.emplace_back();
    return lines;
}

std::string groupedByteCount(std::uint64_t bytes) {
    std::string digits = std::to_string(bytes);
    if (digits.size() > 6)
        digits.insert(digits.size() - 6, " ");
    if (bytes >= 1000)
        digits.insert(digits.size() - 3, " ");
    return digits;
}

std::string elapsedText(std::chrono::system_clock::duration elapsed) {
    using namespace std::chrono;
    const auto s = std::max<std::int64_t>(0, duration_cast<seconds>(elapsed).count());
    char text[48];
    std::snprintf(text, sizeof text, "%lld  %02lld:%02lld:%02lld",
                  static_cast<long long>(s / 86400), static_cast<long long>(s / 3600 % 24),
                  static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    return text;
}

std::string recorderSizeLabel(bool recorded, std::uint64_t bytes,
                              std::chrono::system_clock::duration elapsed, bool russian) {
    const RecorderTexts& t = recorderTexts(russian);
    if (!recorded)
        return t.sizeUnknown;
    return t.sizePrefix + groupedByteCount(bytes) + t.bytesSuffix + t.timeInfix +
           elapsedText(elapsed);
}

std::string localDateTimeText(std::chrono::system_clock::time_point t) {
    const std::time_t time = std::chrono::system_clock::to_time_t(t);
    std::tm local{};
    ::localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

} // namespace qs40
