// Interface language files: INI files named after their language
// ("English.ini"), whose section "Orvelin" maps a key made of window,
// component and property names ("Form1.PlayButton.Hint") to a text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace i18n {

inline constexpr const char* kTranslationSection = "Orvelin";
// Holds LANGNAME, the name the language menu shows.
inline constexpr const char* kInformationSection = "Language information";
// Left alone by the program (installers keep notes there).
inline constexpr const char* kDestDirSection = "DestDir";

struct TLanguageFile {
    std::string path;
    std::string base;     // the file name without ".ini": what the settings store
    std::string display;  // LANGNAME, or base when the file has none
};

// Every "*.ini" file of the folders, sorted by file name without regard to
// case. A file of a later folder replaces one of the same name in an earlier
// folder, so the user's own folder goes last. Missing folders are skipped.
std::vector<TLanguageFile> ListLanguages(const std::vector<std::string>& folders);

// Whether a file's base name is the chosen language: equal without regard to
// case, or base + ".ini" equal exactly (a stored value with its extension).
bool IsChosen(std::string_view base, std::string_view chosen);

// The path of the chosen language's file among the listed ones, or empty.
std::string FindLanguage(const std::vector<TLanguageFile>& languages, std::string_view chosen);

// Whether a text is looked up at all: not empty, not a menu separator ("-")
// and not an integer.
bool Translatable(std::string_view text);

}  // namespace i18n
