#include "i18n/languagefiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/tempdir.h"

namespace {

TEST(LanguageFiles, ListedByNameWithTheirDisplayNamesAndTheUsersFilesWin) {
    testenv::TempDir dir;
    dir.file("installed/German.ini", "[Language information]\r\nLANGNAME=Deutsch\r\n");
    dir.file("installed/english.INI", "[Orvelin]\r\n");
    dir.file("installed/notes.txt", "not a language");
    dir.file("installed/.ini", "no name");
    dir.file("user/German.ini", "\xEF\xBB\xBF[Language information]\r\nLANGNAME=Deutsch (mein)\r\n");
    dir.file("user/Ukrainian.ini", "[language INFORMATION]\r\nlangname=\r\n");
    std::filesystem::create_directories(dir.path + "user/Folder.ini");

    auto found = i18n::ListLanguages({dir.path + "installed", dir.path + "missing", dir.path + "user/"});
    std::vector<std::string> rows;
    for (const auto& f : found) rows.push_back(f.base + "|" + f.display + "|" + f.path.substr(dir.path.size()));
    EXPECT_EQ(rows, (std::vector<std::string>{"english|english|installed/english.INI",
                                              "German|Deutsch (mein)|user/German.ini",
                                              "Ukrainian|Ukrainian|user/Ukrainian.ini"}));
    EXPECT_TRUE(i18n::ListLanguages({}).empty());
}

TEST(LanguageFiles, TheChosenLanguage) {
    const std::vector<i18n::TLanguageFile> files = {{"/l/English.ini", "English", "English"},
                                                    {"/l/German.ini", "German", "Deutsch"}};
    const std::pair<const char*, const char*> cases[] = {
        {"German", "/l/German.ini"},
        {"GERMAN", "/l/German.ini"},
        {"German.ini", "/l/German.ini"},
        {"german.ini", ""},
        {"Russian", ""},
        {"", ""},
        {"Deutsch", ""},
    };
    for (auto [chosen, path] : cases) EXPECT_EQ(i18n::FindLanguage(files, chosen), path) << chosen;
}

TEST(LanguageFiles, OnlyRealTextsAreLookedUp) {
    const std::pair<const char*, bool> cases[] = {
        {"Громкость", true}, {"Sky", true}, {"≡", true},  {"(Вкл/Выкл)", true}, {"0 kHz", true}, {"+", true},
        {"", false},         {"-", false},  {"0", false}, {"-12", false},       {"+7", false},   {" 42 ", false},
    };
    for (auto [text, translatable] : cases) EXPECT_EQ(i18n::Translatable(text), translatable) << text;
}

}  // namespace
