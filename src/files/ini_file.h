// The INI layer of the configuration and settings files. The whole file is held in memory: it
// is parsed once, read and changed in place and written back once. Its behaviour is part of the
// file format:
// - section and key names match without regard to (ASCII) letter case;
// - lines are trimmed; empty lines and lines starting with ";" are ignored; blanks around the
//   first "=" are dropped; lines before the first section line are dropped;
// - sections keep the order of their first appearance (a repeated section line continues the
//   first one); an erased section written again is appended at the end;
// - keys keep their order, new keys are appended; a key that occurs twice is found first;
// - the text is written with "\r\n" after every line and an empty line after every section;
// - values are bytes: the program stores UTF-8 as it is.
// Hostile input never goes beyond these rules: a file longer than kMaxFileSize is read as its
// first kMaxFileSize bytes (the line cut there is dropped), a line longer than kMaxLineLength
// is dropped, and parsing stops after kMaxEntries section and key lines, which bounds the memory
// a file of millions of tiny lines could take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qs40 {

class IniFile {
public:
    static constexpr std::size_t kMaxFileSize = 16u << 20;
    static constexpr std::size_t kMaxLineLength = 64u << 10;
    static constexpr std::size_t kMaxEntries = 1u << 16;

    IniFile() = default;

    // Parses file contents.
    static IniFile parse(std::string_view bytes);
    // Reads the file; a file that is missing, unreadable or not a regular file reads as empty.
    static IniFile load(const std::filesystem::path& path);

    // The whole text as it is written to the file.
    std::string text() const;

    bool hasSection(std::string_view section) const;
    // Section names in file order, as first spelt.
    std::vector<std::string> sectionNames() const;
    // Key names of a section in order (lines without "=" are not keys).
    std::vector<std::string> keyNames(std::string_view section) const;

    // The value of the first key of that name, or nothing.
    std::optional<std::string_view> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal, or hexadecimal after "0x", "0X" or "$", with an optional sign. A value that is
    // missing, not an integer or outside the 32-bit range gives the default. Hexadecimal values
    // are 32-bit patterns: "$FFFFFFFF" is -1.
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    // Any integer as above; non-zero is true.
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Replaces the first key of that name (taking the new spelling of the name) or appends
    // it; a missing section is appended at the end of the file.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int32_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    // Removes the section with all its lines.
    void eraseSection(std::string_view section);
    // Appends an empty section unless it exists.
    void addSection(std::string_view section);

private:
    struct Line {
        std::string key; // the whole line when it holds no "="
        std::string value;
        bool hasValue = false;
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
    };

    const Section* findSection(std::string_view name) const;
    // The section's index, appending the section when it is new.
    std::size_t sectionIndex(std::string_view name);
    void reindex();

    // Hashing and comparison without regard to ASCII letter case, usable with string_view keys
    // so that a lookup allocates nothing.
    struct FoldedHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const;
    };
    struct FoldedEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    std::vector<Section> sections_;
    // Section name to its index in sections_.
    std::unordered_map<std::string, std::size_t, FoldedHash, FoldedEqual> index_;
};

// The integer rule of readInteger, for a value on its own.
std::optional<std::int32_t> parseIniInteger(std::string_view text);

} // namespace qs40
