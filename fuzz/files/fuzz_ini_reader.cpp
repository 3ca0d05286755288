// Feeds arbitrary bytes to the INI layer and to the configuration reader and writer. Whatever
// the input, a document written back must read as the same document, and writing the same
// state twice must give the same document.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/config_io.h"
#include "files/ini_file.h"

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

// The same sections with the same keys and values, in any section order.
bool sameContents(const qs40::IniFile& a, const qs40::IniFile& b) {
    auto names = a.sectionNames();
    auto others = b.sectionNames();
    std::sort(names.begin(), names.end());
    std::sort(others.begin(), others.end());
    if (names != others)
        return false;
    for (const std::string& section : names) {
        if (a.keyNames(section) != b.keyNames(section))
            return false;
        for (const std::string& key : a.keyNames(section))
            if (a.value(section, key) != b.value(section, key))
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qs40;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const IniFile ini = IniFile::parse(bytes);

    // Every key the layer lists is found again, and its value reads without harm.
    for (const std::string& section : ini.sectionNames())
        for (const std::string& key : ini.keyNames(section)) {
            const auto value = ini.value(section, key);
            check(value.has_value());
            (void)parseIniInteger(*value);
        }

    const std::string text = ini.text();
    if (text.size() <= IniFile::kMaxFileSize)
        check(IniFile::parse(text).text() == text);

    // The reader in both modes, then the writer over the same document.
    const bool variantFirst = size > 0 && (data[0] & 1);
    for (const ConfigMode mode : {ConfigMode::Configuration, ConfigMode::File}) {
        ScopeState state;
        readConfiguration(ini, state, mode, variantFirst);
        IniFile once = ini;
        writeConfiguration(once, state, mode);
        // Below this size the rewritten text cannot reach the layer's entry limit.
        if (size < IniFile::kMaxEntries) {
            IniFile twice = IniFile::parse(once.text());
            writeConfiguration(twice, state, mode);
            // [FFT_A1] and [FFT_A2] are not erased, so in file mode the rewritten sections may
            // come after them the second time; the contents are the same.
            check(mode == ConfigMode::File ? sameContents(once, twice)
                                           : twice.text() == once.text());
        }
    }
    return 0;
}
