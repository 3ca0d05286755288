#include "scope/variant.h"

#include "scope/scope_state.h"

#include <cstdio>

namespace qs40 {

std::string variantName(std::int32_t code) {
    for (const auto& v : kVariants)
        if (v.code == code)
            return std::string(v.name);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(code) & 0xFFFFu);
    return std::string("ZR40xx Type = ") + hex;
}

std::string versionText(std::int32_t v) {
    // Digits of a negative or oversized number are shown by magnitude, so the text never
    // carries a stray minus sign in the middle.
    const long long a = v < 0 ? -static_cast<long long>(v) : v;
    std::string s = v < 0 ? "-" : "";
    s += std::to_string(a / 100);
    s += '.';
    s += static_cast<char>('0' + (a / 10) % 10);
    s += static_cast<char>('0' + a % 10);
    return s;
}

} // namespace qs40
