#include "files/atomic_write.h"

#include "files/file_replace.h"

namespace qs40 {

bool writeFileAtomically(const std::filesystem::path& path, std::string_view text,
                         std::string& error) {
    const FileWriteResult r = writeFileReplacing(path.string(), text);
    if (r.ok) {
        error.clear();
        return true;
    }
    error = "Cannot write file \"" + path.string() + "\": " + r.message + ".";
    return false;
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         std::string& error) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return writeFileAtomically(path, text, error);
}

} // namespace qs40
