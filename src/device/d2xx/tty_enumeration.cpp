#include "device/d2xx/tty_enumeration.h"

#include "device/d2xx/d2xx.h"
#include "device/d2xx/device_descriptions.h"
#include "device/d2xx/usb_listing.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace qs40 {
namespace {

namespace fs = std::filesystem;

// How far up from the tty's device directory the USB device may be (port, interface, device,
// with room for a bridge layer in between).
constexpr int kMaxSysfsLevels = 6;

std::optional<std::string> readFirstLine(const fs::path& file) {
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    return line;
}

std::optional<unsigned long> parseNumber(const std::string& text, int base) {
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    unsigned long value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
    }
    return value;
}

std::optional<unsigned long> readNumber(const fs::path& file, int base) {
    const auto line = readFirstLine(file);
    return line ? parseNumber(*line, base) : std::nullopt;
}

std::optional<std::uint32_t> packLocation(unsigned long bus, const std::string& devpath,
                                          unsigned long interfaceNumber) {
    std::vector<std::uint8_t> ports;
    std::size_t start = 0;
    while (start <= devpath.size()) {
        const std::size_t dot = std::min(devpath.find('.', start), devpath.size());
        const auto port = parseNumber(devpath.substr(start, dot - start), 10);
        if (!port || *port > 0xFF)
            return std::nullopt;
        ports.push_back(static_cast<std::uint8_t>(*port));
        start = dot + 1;
    }
    if (bus > 0xFF || interfaceNumber > 0xF)
        return std::nullopt;
    return packUsbLocation(static_cast<unsigned>(bus), ports,
                           static_cast<unsigned>(interfaceNumber));
}

} // namespace

std::optional<unsigned> ttyUsbNumber(const std::string& name) {
    static constexpr std::string_view kPrefix = "ttyUSB";
    if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0)
        return std::nullopt;
    const auto number = parseNumber(name.substr(kPrefix.size()), 10);
    if (!number || *number > 0xFFFF)
        return std::nullopt;
    return static_cast<unsigned>(*number);
}

std::optional<TtyUsbInfo> ttyUsbInfo(const TtyRoots& roots, const std::string& name) {
    std::error_code ec;
    const fs::path link = fs::path(roots.sys) / "class" / "tty" / name / "device";
    fs::path dir = fs::canonical(link, ec);
    if (ec)
        return std::nullopt;

    std::optional<unsigned long> interfaceNumber;
    for (int level = 0; level < kMaxSysfsLevels && dir.has_relative_path();
         ++level, dir = dir.parent_path()) {
        if (!interfaceNumber)
            interfaceNumber = readNumber(dir / "bInterfaceNumber", 16);
        const auto bus = readNumber(dir / "busnum", 10);
        if (!bus)
            continue;
        TtyUsbInfo info;
        info.product = fitDescription(readFirstLine(dir / "product").value_or(""));
        const auto devpath = readFirstLine(dir / "devpath");
        if (devpath)
            info.location = packLocation(*bus, *devpath, interfaceNumber.value_or(0)).value_or(0);
        if (const auto devnum = readNumber(dir / "devnum", 10)) {
            char node[32];
            std::snprintf(node, sizeof node, "/bus/usb/%03lu/%03lu", *bus, *devnum);
            info.usbNode = roots.dev + node;
        }
        return info;
    }
    return std::nullopt;
}

std::vector<TtyDevice> scanTtyUsb(const TtyRoots& roots) {
    std::vector<std::pair<unsigned, std::string>> names;
    std::error_code ec;
    for (fs::directory_iterator it(roots.dev, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (const auto number = ttyUsbNumber(name))
            names.emplace_back(*number, name);
    }
    std::sort(names.begin(), names.end());

    std::vector<TtyDevice> devices;
    for (const auto& [number, name] : names) {
        TtyDevice device;
        device.path = (fs::path(roots.dev) / name).string();
        device.location = number + 1;
        if (const auto info = ttyUsbInfo(roots, name)) {
            device.description = info->product;
            if (info->location != 0)
                device.location = info->location;
            device.usbNode = info->usbNode;
        }
        devices.push_back(std::move(device));
    }
    return devices;
}

std::vector<TtyDevice> explicitTty(const TtyRoots& roots, const std::string& path) {
    std::error_code ec;
    if (!fs::exists(path, ec))
        return {};
    TtyDevice device;
    device.path = path;
    device.description = kInstrumentDescription;
    device.location = kExplicitTtyLocation;
    // A ttyUSB named directly can still be reset through its USB device.
    const fs::path real = fs::canonical(path, ec);
    if (!ec && ttyUsbNumber(real.filename().string())) {
        if (const auto info = ttyUsbInfo(roots, real.filename().string()))
            device.usbNode = info->usbNode;
    }
    return {device};
}

} // namespace qs40
