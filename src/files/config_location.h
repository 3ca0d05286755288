// Where the configuration file lives. Its name is the executable's name with ".ini", so a
// renamed executable has a configuration of its own. It sits beside the executable when that
// folder is writable (a program unpacked into a folder of its own); an installed program cannot
// write there, so its file goes to $XDG_CONFIG_HOME/qs40/ (~/.config/qs40/ when that variable
// is unset or not an absolute path).
#pragma once

#include <filesystem>
#include <string>

namespace qs40 {

// The running executable (empty when it cannot be found).
std::filesystem::path executablePath();

// The configuration file of the given executable, looked up in the environment. Built anew on
// every call.
std::filesystem::path configurationFilePath(const std::filesystem::path& executable);

// What the choice depends on, for callers that know it already (and for tests).
struct ConfigLocationEnvironment {
    bool executableFolderWritable = false;
    std::string xdgConfigHome; // empty when unset
    std::string home;          // empty when unknown
};
std::filesystem::path configurationFilePath(const std::filesystem::path& executable,
                                            const ConfigLocationEnvironment& environment);

// The caption of the platform's error box: the executable's name without extension.
std::string applicationTitle(const std::filesystem::path& executable);

} // namespace qs40
