#include "files/atomic_write.h"

namespace qs40 {

std::string fileWriteErrorMessage(const std::filesystem::path& path,
                                  const FileWriteResult& result) {
    return "Cannot write file \"" + path.string() + "\".\r\n" + result.message;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view text,
                         std::string& error) {
    const FileWriteResult r = writeFileReplacing(path.string(), text);
    if (r.ok) {
        error.clear();
        return true;
    }
    error = fileWriteErrorMessage(path, r);
    return false;
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         std::string& error) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return writeFileAtomically(path, text, error);
}

} // namespace qs40
