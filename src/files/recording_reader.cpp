#include "files/recording_reader.h"

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace qs40 {
namespace {

// The companion's lines, English and Russian forms.
constexpr std::string_view kTimeStep[] = {"Time step = ", "Шаг по времени = "};
constexpr std::string_view kVoltageStep[] = {"Voltage step = ", "Шаг по напряжению = "};
constexpr std::string_view kZeroLevel[] = {"Zero level = ", "Уровень нуля = "};
constexpr std::string_view kBytesPerSample[] = {"bytes per sample = ", "байт на отсчет = "};
constexpr std::string_view kNotReady[] = {"Not ready.", "Не готов."};

struct UnitFactor {
    std::string_view unit;
    double factor;
};
constexpr UnitFactor kTimeUnits[] = {{"nS", 1}, {"uS", 1e3}, {"mS", 1e6}, {"S", 1e9}};
constexpr UnitFactor kVoltageUnits[] = {{"mV", 1e3}, {"V", 1e6}, {"KV", 1e9}};

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(trimmed(text.substr(0, end)));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// The text after the first of `keys` found in the line.
template <std::size_t N>
std::optional<std::string_view> valueAfter(std::string_view line,
                                           const std::string_view (&keys)[N]) {
    for (const std::string_view key : keys)
        if (const std::size_t at = line.find(key); at != std::string_view::npos)
            return trimmed(line.substr(at + key.size()));
    return std::nullopt;
}

template <std::size_t N> bool isOneOf(std::string_view line, const std::string_view (&texts)[N]) {
    for (const std::string_view t : texts)
        if (line == t)
            return true;
    return false;
}

std::optional<double> parseNumber(std::string_view text) {
    std::string number(text);
    for (char& c : number)
        if (c == ',')
            c = '.';
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc{} || end != number.data() + number.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

template <std::size_t N>
std::optional<double> parseWithUnit(std::string_view text, const UnitFactor (&units)[N]) {
    text = trimmed(text);
    const std::size_t space = text.rfind(' ');
    if (space == std::string_view::npos)
        return std::nullopt;
    const std::string_view unit = text.substr(space + 1);
    for (const UnitFactor& u : units)
        if (u.unit == unit) {
            const auto value = parseNumber(trimmed(text.substr(0, space)));
            if (!value)
                return std::nullopt;
            return *value * u.factor;
        }
    return std::nullopt;
}

std::optional<std::int32_t> parseInteger(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> parseFormattedTime(std::string_view text) {
    return parseWithUnit(text, kTimeUnits);
}

std::optional<double> parseFormattedVoltage(std::string_view text) {
    return parseWithUnit(text, kVoltageUnits);
}

RecordingDescriptionRead parseRecordingCompanion(std::string_view text) {
    RecordingDescriptionRead result;
    std::optional<int> bytes;
    std::optional<double> timeStep;
    std::optional<double> voltageStep;
    std::optional<std::int32_t> zero;
    for (const std::string_view line : linesOf(text)) {
        if (isOneOf(line, kNotReady)) {
            result.problem = "the recording was started before the first frame (\"Not ready.\")";
            return result;
        }
        if (!bytes)
            if (const auto v = valueAfter(line, kBytesPerSample)) {
                const auto n = parseInteger(*v);
                if (!n || (*n != 1 && *n != 2)) {
                    result.problem =
                        "bytes per sample must be 1 or 2, not '" + std::string(*v) + "'";
                    return result;
                }
                bytes = *n;
                continue;
            }
        // The first of each: the information lines come before anything a user might add.
        if (!timeStep)
            if (const auto v = valueAfter(line, kTimeStep)) {
                timeStep = parseFormattedTime(*v);
                if (!timeStep || *timeStep <= 0) {
                    result.problem = "the time step '" + std::string(*v) + "' is not a time";
                    return result;
                }
                continue;
            }
        if (!voltageStep)
            if (const auto v = valueAfter(line, kVoltageStep)) {
                voltageStep = parseFormattedVoltage(*v);
                if (!voltageStep) {
                    result.problem = "the voltage step '" + std::string(*v) + "' is not a voltage";
                    return result;
                }
                continue;
            }
        if (!zero)
            if (const auto v = valueAfter(line, kZeroLevel)) {
                zero = parseInteger(*v);
                if (!zero) {
                    result.problem = "the zero level '" + std::string(*v) + "' is not a number";
                    return result;
                }
            }
    }
    std::string missing;
    const auto need = [&missing](bool have, const char* what) {
        if (!have)
            missing += (missing.empty() ? "" : ", ") + std::string(what);
    };
    need(bytes.has_value(), "bytes per sample");
    need(timeStep.has_value(), "time step");
    need(voltageStep.has_value(), "voltage step");
    need(zero.has_value(), "zero level");
    if (!missing.empty()) {
        result.problem = "no " + missing + " in it";
        return result;
    }
    result.description = RecordingDescription{*bytes, *timeStep, *voltageStep, *zero};
    return result;
}

} // namespace qs40
