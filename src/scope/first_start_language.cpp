#include "scope/first_start_language.h"

#include <cctype>

namespace qs40 {

bool russianLocale(std::string_view name) {
    // The language is the part before the territory, the codeset and the modifier.
    const std::size_t end = name.find_first_of("_-.@");
    const std::string_view language = name.substr(0, end);
    return language.size() == 2 && std::tolower(static_cast<unsigned char>(language[0])) == 'r' &&
           std::tolower(static_cast<unsigned char>(language[1])) == 'u';
}

} // namespace qs40
