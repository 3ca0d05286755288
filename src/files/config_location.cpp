#include "files/config_location.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace qs40 {
namespace {

namespace fs = std::filesystem;

std::string environmentValue(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string homeFolder() {
    std::string home = environmentValue("HOME");
    if (home.empty())
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
            home = pw->pw_dir;
    return home;
}

} // namespace

fs::path executablePath() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path{} : exe;
}

fs::path configurationFilePath(const fs::path& executable) {
    ConfigLocationEnvironment environment;
    const fs::path folder = executable.has_parent_path() ? executable.parent_path() : ".";
    environment.executableFolderWritable = ::access(folder.c_str(), W_OK) == 0;
    environment.xdgConfigHome = environmentValue("XDG_CONFIG_HOME");
    environment.home = homeFolder();
    return configurationFilePath(executable, environment);
}

fs::path configurationFilePath(const fs::path& executable,
                               const ConfigLocationEnvironment& environment) {
    fs::path beside = executable;
    beside.replace_extension(".ini");
    if (environment.executableFolderWritable)
        return beside;
    fs::path base;
    if (!environment.xdgConfigHome.empty() && fs::path(environment.xdgConfigHome).is_absolute())
        base = environment.xdgConfigHome;
    else if (!environment.home.empty())
        base = fs::path(environment.home) / ".config";
    else
        return beside; // nowhere better to go; the write will report why it fails
    return base / "qs40" / beside.filename();
}

std::string applicationTitle(const fs::path& executable) {
    const std::string stem = executable.stem().string();
    return stem.empty() ? std::string("qs40") : stem;
}

} // namespace qs40
