// A throw-away /dev and /sys tree in a temporary folder, shaped like the kernel's for USB
// serial adapters: /sys/class/tty/ttyUSBn/device links into the USB device's interface.
#pragma once

#include "device/d2xx/tty_enumeration.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace qs40::testing {

class FakeSysfs {
public:
    FakeSysfs() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qs40-sysfs-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        std::filesystem::create_directories(root_ / "dev");
        std::filesystem::create_directories(root_ / "sys" / "class" / "tty");
    }
    ~FakeSysfs() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    TtyRoots roots() const { return {(root_ / "dev").string(), (root_ / "sys").string()}; }
    std::filesystem::path dev() const { return root_ / "dev"; }

    // A device node: a plain file, or a link to a real tty when target is given.
    void addNode(const std::string& name, const std::string& target = {}) {
        const auto node = root_ / "dev" / name;
        if (target.empty())
            std::ofstream(node) << "";
        else
            std::filesystem::create_symlink(target, node);
    }

    // A USB device at bus/devpath (e.g. 1, "1.4") whose interface `interfaceNumber` carries
    // tty `name`. product empty: the device has no product string.
    void addUsbTty(const std::string& name, int bus, const std::string& devpath, int devnum,
                   int interfaceNumber, const std::string& product) {
        const std::string deviceName = std::to_string(bus) + "-" + devpath;
        const auto device = root_ / "sys" / "devices" / "pci0000:00" / "0000:00:14.0" /
                            ("usb" + std::to_string(bus)) / deviceName;
        const auto interface = device / (deviceName + ":1." + std::to_string(interfaceNumber));
        const auto port = interface / name;
        std::filesystem::create_directories(port);
        write(device / "busnum", std::to_string(bus) + "\n");
        write(device / "devnum", std::to_string(devnum) + "\n");
        write(device / "devpath", devpath + "\n");
        if (!product.empty())
            write(device / "product", product + "\n");
        char number[8];
        std::snprintf(number, sizeof number, "%02x\n", interfaceNumber);
        write(interface / "bInterfaceNumber", number);
        // A hub above the device has a product of its own, which must not be taken.
        write(device.parent_path() / "product", "USB2.0 Hub\n");
        const auto classDir = root_ / "sys" / "class" / "tty" / name;
        std::filesystem::create_directories(classDir);
        std::filesystem::create_symlink(std::filesystem::relative(port, classDir),
                                        classDir / "device");
    }

private:
    static void write(const std::filesystem::path& file, const std::string& text) {
        std::ofstream(file) << text;
    }

    std::filesystem::path root_;
};

} // namespace qs40::testing
