// The settings a first start writes when there is no settings file yet.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

// The 77 lines, in file order, choosing the given interface language.
std::vector<std::string> FirstRunTemplate(std::string_view language = "English");
// Writes them to the file as UTF-16LE with a byte-order mark.
bool WriteFirstRunTemplate(const std::string& path, std::string_view language = "English");
// The interface language a first start picks from the desktop's locale:
// Russian for "ru" locales ("ru_RU.UTF-8", "ru"), English for any other.
std::string FirstRunLanguage(std::string_view messagesLocale);

}  // namespace app
