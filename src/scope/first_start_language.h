// The interface language of a first start, when no configuration file names one yet: Russian
// for a Russian locale, English for any other.
#pragma once

#include <string_view>

namespace qs40 {

// name: a locale or language tag as the system gives it ("ru_RU.UTF-8", "ru-RU", "ru", "C",
// "en_GB@euro"); empty or unknown counts as not Russian.
bool russianLocale(std::string_view name);

} // namespace qs40
