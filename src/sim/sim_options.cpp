#include "sim/sim_options.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace qs40::sim {

namespace {

std::optional<std::uint32_t> parseNumber(std::string_view text, int base) {
    if (base == 10 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

bool parseDevices(std::string_view list, std::vector<AttachedDevice>& out) {
    out.clear();
    while (true) {
        const std::size_t plus = list.find('+');
        const std::string_view name = list.substr(0, plus);
        if (name == "zr40")
            out.push_back(AttachedDevice::Zr40);
        else if (name == "foreign")
            out.push_back(AttachedDevice::Foreign);
        else if (name == "old")
            out.push_back(AttachedDevice::OldScope);
        else if (!(name.empty() && list.empty())) // "devices=" means none attached
            return false;
        if (plus == std::string_view::npos)
            return true;
        list.remove_prefix(plus + 1);
    }
}

bool parseFaults(std::string_view list, std::vector<SimFault>& out) {
    static constexpr std::pair<std::string_view, SimFault> kNames[] = {
        {"unplug", SimFault::Unplug},
        {"power", SimFault::PowerFailure},
        {"config", SimFault::LostConfiguration},
        {"checksum", SimFault::ChecksumStorm},
        {"garbage", SimFault::Garbage},
    };
    out.clear();
    for (;;) {
        const std::size_t plus = list.find('+');
        const std::string_view name = list.substr(0, plus);
        const auto* known = std::find_if(std::begin(kNames), std::end(kNames),
                                         [&](const auto& entry) { return entry.first == name; });
        if (known == std::end(kNames))
            return false;
        out.push_back(known->second);
        if (plus == std::string_view::npos)
            return true;
        list.remove_prefix(plus + 1);
    }
}

// "20", "20s", "500ms", "1.5s"; up to a million seconds.
std::optional<SimTime> parseTime(std::string_view text) {
    double scale = 1.0;
    if (text.ends_with("ms")) {
        text.remove_suffix(2);
        scale = 1e-3;
    } else if (text.ends_with("s")) {
        text.remove_suffix(1);
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty() || !(value >= 0) ||
        value * scale > 1e6)
        return std::nullopt;
    return std::chrono::duration_cast<SimTime>(std::chrono::duration<double>(value * scale));
}

// A reference-clock error in ppm: "12.6", "-3", "0"; within a crystal's plausible +-1000.
std::optional<double> parsePpm(std::string_view text) {
    if (text.starts_with('+'))
        text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty() ||
        !(value >= -kMaxClockErrorPpm && value <= kMaxClockErrorPpm))
        return std::nullopt;
    return value;
}

std::optional<SimOptions> fail(std::string* error, std::string message) {
    if (error)
        *error = std::move(message);
    return std::nullopt;
}

} // namespace

std::optional<SimOptions> parseSimDeviceText(std::string_view text, std::string* error) {
    SimOptions options;
    if (text == "sim")
        return options;
    if (!text.starts_with("sim:"))
        return fail(error, "not a simulated device: " + std::string(text));
    std::string_view rest = text.substr(4);
    bool timed = false; // at, every or for was given
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos)
            return fail(error, "option without a value: " + std::string(item));
        const std::string_view key = item.substr(0, eq);
        const std::string_view value = item.substr(eq + 1);
        if (key == "variant") {
            const auto code = parseNumber(value, 10);
            if (!code || *code > 0xFFFF)
                return fail(error,
                            "variant must be a number from 0 to 65535: " + std::string(value));
            options.instrument.variantCode = static_cast<std::int32_t>(*code);
        } else if (key == "devices") {
            if (!parseDevices(value, options.devices))
                return fail(error, "devices are zr40, foreign or old, joined by '+': " +
                                       std::string(value));
        } else if (key == "pace") {
            if (value == "real")
                options.instrument.bytesPerSecond = kLineBytesPerSecond;
            else if (value == "fast")
                options.instrument.bytesPerSecond = 0;
            else
                return fail(error, "pace is real or fast: " + std::string(value));
        } else if (key == "serial") {
            const auto serial = parseNumber(value, 16);
            if (!serial)
                return fail(error, "serial must be hexadecimal: " + std::string(value));
            options.instrument.serialNumber = *serial;
        } else if (key == "ppm") {
            const auto ppm = parsePpm(value);
            if (!ppm)
                return fail(error,
                            "ppm must be a number from -1000 to 1000: " + std::string(value));
            options.instrument.clockErrorPpm = *ppm;
        } else if (key == "fault") {
            if (!parseFaults(value, options.faults.faults))
                return fail(error, "fault is unplug, power, config, checksum or garbage, joined "
                                   "by '+': " +
                                       std::string(value));
        } else if (SimTime* field = key == "at"      ? &options.faults.at
                                    : key == "every" ? &options.faults.every
                                    : key == "for"   ? &options.faults.duration
                                                     : nullptr) {
            const auto time = parseTime(value);
            // A fault begins at any time, but repeats and lasts for a while.
            if (!time || (key != "at" && *time == SimTime{0}))
                return fail(error, std::string(key) + " must be a time such as 20s or 500ms" +
                                       (key == "at" ? "" : ", above 0") + ": " +
                                       std::string(value));
            *field = *time;
            timed = true;
        } else if (const auto input = scenarioInput(key)) {
            std::string why;
            const auto source = parseInputSource(value, &why);
            if (!source)
                return fail(error, std::string(key) + ": " + why);
            options.instrument.inputs.inputs[*input] = *source;
        } else {
            return fail(error, "unknown option: " + std::string(key));
        }
    }
    const FaultPlan& faults = options.faults;
    if (timed && faults.faults.empty())
        return fail(error, "at, every and for time the faults of fault=");
    if (faults.every != SimTime{0} && faults.duration >= faults.every)
        return fail(error, "a fault must end (for) before the next one begins (every)");
    return options;
}

} // namespace qs40::sim
