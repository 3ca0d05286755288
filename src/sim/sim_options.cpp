#include "sim/sim_options.h"

#include <charconv>

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
    return options;
}

} // namespace qs40::sim
