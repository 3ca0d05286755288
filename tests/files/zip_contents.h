// Reads back the members of a zip held in memory, for the tests of files written as zips.
#pragma once

#include <zip.h>

#include <map>
#include <stdexcept>
#include <string>

namespace qs40::testing {

// Member name to content; throws when the bytes are not a zip.
inline std::map<std::string, std::string> zipContents(const std::string& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive =
        source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    if (archive == nullptr) {
        if (source != nullptr)
            zip_source_free(source);
        const std::string reason = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw std::runtime_error("not a zip: " + reason);
    }
    std::map<std::string, std::string> members;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        std::string content(static_cast<std::size_t>(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (file == nullptr ||
            zip_fread(file, content.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
            throw std::runtime_error(std::string("unreadable member ") + stat.name);
        zip_fclose(file);
        members[stat.name] = content;
    }
    zip_close(archive);
    zip_error_fini(&error);
    return members;
}

} // namespace qs40::testing
