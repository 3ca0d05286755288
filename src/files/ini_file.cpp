#include "files/ini_file.h"

#include "files/file_read.h"

namespace qs40 {
namespace {

// Blanks and control characters are trimmed, as the INI format has always done.
bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char foldChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldChar(a[i]) != foldChar(b[i]))
            return false;
    return true;
}

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

} // namespace

std::optional<std::int32_t> parseIniInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with("$")) {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    // Decimal values may reach 2^31 in magnitude (for INT32_MIN); hexadecimal ones fill 32 bits.
    const std::uint64_t limit = base == 10 ? (negative ? 0x80000000u : 0x7FFFFFFFu) : 0xFFFFFFFFu;
    std::uint64_t magnitude = 0;
    for (char c : text) {
        const int d = digitValue(c);
        if (d >= base)
            return std::nullopt;
        magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (magnitude > limit)
            return std::nullopt;
    }
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative)
        bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

IniFile IniFile::parse(std::string_view bytes) {
    IniFile ini;
    if (bytes.size() > kMaxFileSize) {
        bytes = bytes.substr(0, kMaxFileSize);
        // The line that the limit cuts through is incomplete: drop it.
        const std::size_t lastBreak = bytes.find_last_of("\r\n");
        bytes = bytes.substr(0, lastBreak == std::string_view::npos ? 0 : lastBreak + 1);
    }

    std::size_t entries = 0;
    std::optional<std::size_t> current; // none before the first section line
    std::size_t at = 0;
    while (at < bytes.size() && entries < kMaxEntries) {
        std::size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view raw = bytes.substr(at, end - at);
        at = end;
        if (at < bytes.size() && bytes[at] == '\r' && at + 1 < bytes.size() &&
            bytes[at + 1] == '\n')
            at += 2;
        else if (at < bytes.size())
            at += 1;

        if (raw.size() > kMaxLineLength)
            continue;
        const std::string_view line = trim(raw);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string_view name = trim(line.substr(1, line.size() - 2));
            current = ini.sectionIndex(name);
            ++entries;
            continue;
        }
        if (!current)
            continue;
        Line entry;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            entry.key = line;
        } else {
            entry.key = trim(line.substr(0, eq));
            entry.value = trim(line.substr(eq + 1));
            entry.hasValue = true;
        }
        ini.sections_[*current].lines.push_back(std::move(entry));
        ++entries;
    }
    return ini;
}

IniFile IniFile::load(const std::filesystem::path& path) {
    // One byte beyond the limit tells parse() that the file was cut.
    return parse(readFilePrefix(path, kMaxFileSize + 1).bytes);
}

std::string IniFile::text() const {
    std::string out;
    for (const Section& section : sections_) {
        out += '[';
        out += section.name;
        out += "]\r\n";
        for (const Line& line : section.lines) {
            out += line.key;
            if (line.hasValue) {
                out += '=';
                out += line.value;
            }
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

std::size_t IniFile::FoldedHash::operator()(std::string_view s) const {
    std::size_t h = 14695981039346656037ull; // FNV-1a
    for (char c : s) {
        h ^= static_cast<unsigned char>(foldChar(c));
        h *= 1099511628211ull;
    }
    return h;
}

bool IniFile::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
    return equalsFolded(a, b);
}

const IniFile::Section* IniFile::findSection(std::string_view name) const {
    const auto it = index_.find(name);
    return it == index_.end() ? nullptr : &sections_[it->second];
}

std::size_t IniFile::sectionIndex(std::string_view name) {
    if (const auto it = index_.find(name); it != index_.end())
        return it->second;
    index_.emplace(std::string(name), sections_.size());
    sections_.push_back(Section{std::string(name), {}});
    return sections_.size() - 1;
}

void IniFile::reindex() {
    index_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i)
        index_.emplace(sections_[i].name, i);
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(section) != nullptr;
}

std::vector<std::string> IniFile::sectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const Section& s : sections_)
        names.push_back(s.name);
    return names;
}

std::vector<std::string> IniFile::keyNames(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* s = findSection(section))
        for (const Line& line : s->lines)
            if (line.hasValue)
                names.push_back(line.key);
    return names;
}

std::optional<std::string_view> IniFile::value(std::string_view section,
                                               std::string_view key) const {
    if (const Section* s = findSection(section))
        for (const Line& line : s->lines)
            if (line.hasValue && equalsFolded(line.key, key))
                return std::string_view(line.value);
    return std::nullopt;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    return std::string(value(section, key).value_or(defaultValue));
}

std::int32_t IniFile::readInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    const auto v = value(section, key);
    if (!v)
        return defaultValue;
    return parseIniInteger(*v).value_or(defaultValue);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    Section& s = sections_[sectionIndex(section)];
    for (Line& line : s.lines) {
        if (line.hasValue && equalsFolded(line.key, key)) {
            line.key = key;
            line.value = value;
            return;
        }
    }
    s.lines.push_back(Line{std::string(key), std::string(value), true});
}

void IniFile::writeInteger(std::string_view section, std::string_view key, std::int32_t value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void IniFile::eraseSection(std::string_view section) {
    const auto it = index_.find(section);
    if (it == index_.end())
        return;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(it->second));
    reindex();
}

void IniFile::addSection(std::string_view section) {
    sectionIndex(section);
}

} // namespace qs40
