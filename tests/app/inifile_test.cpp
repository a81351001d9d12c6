#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/firstrun.h"
#include "app/inifile.h"
#include "common/text.h"
#include "support/disk.h"
#include "support/files.h"
#include "support/logcapture.h"
#include "support/tempdir.h"

using app::TMemIniFile;
using common::TTextEncoding;

namespace {

using testenv::readFile;

struct EncodingCase {
    TTextEncoding encoding;
    const char* prefix;  // the first bytes of the file
};

class IniEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(IniEncoding, IsDetectedAndKeptOnWrite) {
    const EncodingCase& c = GetParam();
    common::setLegacyCodePage(1251);
    testenv::TempDir dir;
    std::string text = "[Option]\r\nPlaylist=Рок\r\nSong=3\r\n";
    std::string path = dir.file("Option.ini", common::EncodeText(text, c.encoding));

    TMemIniFile ini(path);
    EXPECT_EQ(ini.Encoding(), c.encoding);
    EXPECT_EQ(ini.ReadString("Option", "Playlist", ""), "Рок");
    ini.WriteString("Option", "Playlist", "Джаз");
    ASSERT_TRUE(ini.UpdateFile());

    std::string bytes = readFile(path);
    EXPECT_EQ(bytes.substr(0, std::string(c.prefix).size()), c.prefix);
    EXPECT_EQ(common::DecodeText(bytes).text, "[Option]\r\nPlaylist=Джаз\r\nSong=3\r\n");
    common::setLegacyCodePage(1252);
}

INSTANTIATE_TEST_SUITE_P(Forms, IniEncoding,
                         ::testing::Values(EncodingCase{TTextEncoding::Utf16LE, "\xFF\xFE"},
                                           EncodingCase{TTextEncoding::Utf16BE, "\xFE\xFF"},
                                           EncodingCase{TTextEncoding::Utf8, "\xEF\xBB\xBF["},
                                           // Windows-1251 bytes of "[Option]\r\nPlaylist=Д"
                                           EncodingCase{TTextEncoding::Legacy, "[Option]\r\nPlaylist=\xC4"}));

TEST(IniFile, NamesIgnoreCaseAndTheFirstDuplicateCounts) {
    testenv::TempDir dir;
    std::string path = dir.file("a.ini",
                                "; kept\r\n[Option]\r\nCheckBoxQuickUpdate=0\r\nVolume=80\r\nCHECKBOXQUICKUPDATE=1\r\n"
                                "\r\n[Other]\r\nVolume=5\r\n");
    TMemIniFile ini(path);
    EXPECT_TRUE(ini.SectionExists("OPTION"));
    EXPECT_FALSE(ini.SectionExists("Missing"));
    EXPECT_FALSE(ini.ReadBool("option", "checkboxquickupdate", true));
    EXPECT_EQ(ini.ReadInteger("other", "VOLUME", 0), 5);
    ini.WriteBool("Option", "checkboxQuickUpdate", true);
    ini.WriteInteger("Option", "Balans", -7);            // new key: at the end of its section
    ini.WriteString("Language", "Language", "English");  // new section: at the end
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(common::DecodeText(readFile(path)).text,
              "; kept\r\n[Option]\r\nCheckBoxQuickUpdate=1\r\nVolume=80\r\nCHECKBOXQUICKUPDATE=1\r\nBalans=-7\r\n"
              "\r\n[Other]\r\nVolume=5\r\n\r\n[Language]\r\nLanguage=English\r\n");
    EXPECT_EQ(TMemIniFile(path).ReadInteger("Option", "Balans", 0), -7);
}

TEST(IniFile, IntegersAndBooleans) {
    testenv::TempDir dir;
    std::string path = dir.file("a.ini",
                                "[S]\ndec= 42 \nneg=-3\nhex=0x1F\nHEX=0XfF\nall=0xFFFFFFFF\nword=abc\n"
                                "empty=\nhuge=99999999999\ntwo=2\n");
    TMemIniFile ini(path);
    const std::pair<const char*, int> cases[] = {
        {"dec", 42}, {"neg", -3}, {"hex", 31}, {"all", -1}, {"word", 9}, {"empty", 9}, {"huge", 9}, {"missing", 9},
    };
    for (auto [key, value] : cases) EXPECT_EQ(ini.ReadInteger("S", key, 9), value) << key;
    EXPECT_TRUE(ini.ReadBool("S", "two", false));
    EXPECT_TRUE(ini.ReadBool("S", "word", true));  // not a number: the default
    EXPECT_FALSE(ini.ReadBool("S", "missing", false));
    EXPECT_EQ(ini.ReadString("S", "missing", "def"), "def");
    EXPECT_EQ(ini.ReadString("S", "empty", "def"), "");
}

TEST(IniFile, MissingFileIsCreatedInUtf16LE) {
    testenv::TempDir dir;
    TMemIniFile ini(dir.path + "new.ini");
    EXPECT_EQ(ini.ReadInteger("Option", "Top", 83), 83);
    ini.WriteString("Option", "Window", "wsNormal");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(readFile(dir.path + "new.ini"),
              common::EncodeText("[Option]\r\nWindow=wsNormal\r\n", TTextEncoding::Utf16LE));
}

TEST(IniFile, ValuesCannotBreakTheFileOrLoseText) {
    common::setLegacyCodePage(1252);
    testenv::TempDir dir;
    std::string path = dir.file("a.ini", "[Option]\r\nPlaylist=x\r\n");
    TMemIniFile ini(path);
    ini.WriteString("Option", "Playlist", "a\r\n[Evil]\r\nb=c");
    ini.WriteString("Option", "Title", "Рок");  // not in Windows-1252
    ASSERT_TRUE(ini.UpdateFile());
    TMemIniFile again(path);
    EXPECT_FALSE(again.SectionExists("Evil"));
    EXPECT_EQ(again.ReadString("Option", "Title", ""), "Рок");
    EXPECT_EQ(again.Encoding(), TTextEncoding::Utf16LE);
}

TEST(IniFile, AFailedWriteKeepsTheOldFile) {
    testenv::TempDir dir;
    std::string old = common::EncodeText("[Option]\r\nSong=1\r\n", TTextEncoding::Utf16LE);
    std::string path = dir.file("a.ini", old);
    TMemIniFile ini(path);
    ini.WriteInteger("Option", "Song", 2);
    {
        testenv::FullDisk full;
        EXPECT_FALSE(ini.UpdateFile());
    }
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.ini"});  // no temporary file left

    // The failure is not silent: the log says which file and why.
    testenv::LogCapture log;
    TMemIniFile lost(dir.path + "gone/b.ini");
    EXPECT_FALSE(lost.UpdateFile());
    EXPECT_THAT(log.text(), ::testing::HasSubstr("error common.ini: cannot save \"" + dir.path +
                                                 "gone/b.ini\": No such file or directory\n"));
}

TEST(FirstRunTemplate, HasItsLinesInUtf16LEAndTheFirstDuplicateWins) {
    testenv::TempDir dir;
    std::string path = dir.path + "Option.ini";
    ASSERT_TRUE(app::WriteFirstRunTemplate(path));
    std::string bytes = readFile(path);
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    std::vector<std::string> lines = common::SplitLines(common::DecodeText(bytes).text);
    ASSERT_EQ(lines.size(), 77u);
    EXPECT_EQ(lines, app::FirstRunTemplate());
    EXPECT_EQ((std::vector<std::string>{lines[0], lines[1], lines[2], lines[3], lines[76]}),
              (std::vector<std::string>{"[Language]", "Language=English", "", "[Option]", "CheckBoxQuickUpdate=1"}));
    TMemIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Language", "Language", ""), "English");
    EXPECT_FALSE(ini.ReadBool("Option", "CheckBoxQuickUpdate", true));
    EXPECT_EQ(ini.ReadInteger("Option", "HotKey_BrowseFile", 0), 32847);
    EXPECT_EQ(ini.ReadInteger("Option", "TrackBar16000Hz", 0), -8);

    ASSERT_TRUE(app::WriteFirstRunTemplate(path, "Russian"));
    EXPECT_EQ(TMemIniFile(path).ReadString("Language", "Language", ""), "Russian");
}

TEST(FirstRunTemplate, TheLanguageFollowsTheDesktopLocale) {
    const std::pair<const char*, const char*> cases[] = {
        {"ru_RU.UTF-8", "Russian"}, {"ru", "Russian"},    {"RU_ru", "Russian"}, {"ru@cyrillic", "Russian"},
        {"en_US.UTF-8", "English"}, {"de_DE", "English"}, {"C", "English"},     {"", "English"},
        {"run_RN", "English"},
    };
    for (auto [locale, language] : cases) EXPECT_EQ(app::FirstRunLanguage(locale), language) << locale;
}

}  // namespace
