// The main window's caption table: every element whose caption follows the language, with its
// English and Russian texts and, for the rows of the first channel, the short form used when
// the instrument lacks the second channel of that kind. Pure data, so that it can be checked
// without a display.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qs40 {

// Which missing channel switches a row to its short form.
enum class ShortWhen : std::uint8_t { Never, NoA2, NoD2 };

struct CaptionEntry {
    std::string_view objectName;
    std::string_view english;
    std::string_view russian; // empty: the Russian language leaves the caption as it is
    ShortWhen shortWhen = ShortWhen::Never;
    std::string_view shortEnglish{}; // used instead when the channel is missing
    std::string_view shortRussian{};
};

// In the order in which the captions are applied.
std::span<const CaptionEntry> captionTable();
// The captions of elements the window has beyond that table (the exports for other tools),
// applied after it in the same way.
std::span<const CaptionEntry> addedCaptionTable();

// The caption of an element for a language and a variant; nothing when the language leaves the
// element unchanged.
std::optional<std::string_view> captionFor(const CaptionEntry& entry, bool russian,
                                           std::int32_t deviceTypeCode);

} // namespace qs40
