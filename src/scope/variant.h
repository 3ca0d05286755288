// Variant names and version texts.
#pragma once

#include <cstdint>
#include <string>

namespace qs40 {

inline constexpr std::int32_t kSoftwareVersion = 204;

// "ZR4000" .. "ZR4003A" for the known codes, else "ZR40xx Type = " and four hex digits.
std::string variantName(std::int32_t code);

// v / 100, ".", (v / 10) mod 10, v mod 10: 204 gives "2.04".
std::string versionText(std::int32_t v);

} // namespace qs40
