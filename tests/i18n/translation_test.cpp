#include "i18n/translation.h"

#include <gtest/gtest.h>

#include "common/files.h"
#include "common/text.h"
#include "common/textfile.h"
#include "support/tempdir.h"

using common::TTextEncoding;

namespace {

const std::string kFile =
    "[Language information]\r\nLANGNAME=Deutsch\r\n\r\n[Orvelin]\r\nForm1.PlayButton.Hint=Wiedergabe\r\n"
    "form1.playbutton.hint=Zweite\r\nForm1.Label1.Caption=Lautstärke\r\nForm1.Empty.Caption=\r\n"
    "Form2.Caption = Einstellungen \r\n";

TEST(Translation, EachKeyIsUsedOnceAndCaseDoesNotMatter) {
    testenv::TempDir dir;
    i18n::TTranslation t;
    ASSERT_TRUE(t.Load(dir.file("German.ini", common::EncodeText(kFile, TTextEncoding::Utf8))));
    EXPECT_EQ(t.Lookup("FORM1.PLAYBUTTON.HINT", "Воспроизвести"), "Wiedergabe");
    EXPECT_EQ(t.Lookup("Form1.PlayButton.Hint", "Воспроизвести"), "Zweite");  // the duplicate answers next
    EXPECT_EQ(t.Lookup("Form1.PlayButton.Hint", "Воспроизвести"), "Воспроизвести");
    EXPECT_EQ(t.Lookup("Form2.Caption", "Настройки"), "Einstellungen");
    EXPECT_EQ(t.Lookup("Form1.Empty.Caption", "Текст"), "");  // the window keeps its text
    EXPECT_EQ(t.Lookup("LANGNAME", "x"), "x");                // other sections are not translations
}

TEST(Translation, EveryEncodingAFileMayComeInIsRead) {
    common::setLegacyCodePage(1252);
    testenv::TempDir dir;
    const std::pair<std::string, TTextEncoding> cases[] = {
        {"utf16le.ini", TTextEncoding::Utf16LE},
        {"utf16be.ini", TTextEncoding::Utf16BE},
        {"bare16le.ini", TTextEncoding::Utf16LENoBom},
        {"bare16be.ini", TTextEncoding::Utf16BENoBom},
        {"utf8.ini", TTextEncoding::Utf8},
        {"bare8.ini", TTextEncoding::Utf8NoBom},
        {"legacy.ini", TTextEncoding::Legacy},
    };
    for (const auto& [name, encoding] : cases) {
        i18n::TTranslation t;
        ASSERT_TRUE(t.Load(dir.file(name, common::EncodeText(kFile, encoding)))) << name;
        EXPECT_EQ(t.Lookup("Form1.Label1.Caption", "Громкость"), "Lautstärke") << name;
    }
}

TEST(Translation, MissingOrForeignFilesTranslateNothingAndHugeValuesAreKept) {
    testenv::TempDir dir;
    i18n::TTranslation t;
    EXPECT_FALSE(t.Load(dir.path + "missing.ini"));
    EXPECT_FALSE(t.Load(dir.file("other.ini", "[Language information]\r\nLANGNAME=X\r\n")));
    EXPECT_FALSE(t.Load(dir.file("binary.ini", std::string("\x00\xFF\x10\x80", 4))));
    EXPECT_EQ(t.Lookup("Form1.Label1.Caption", "Громкость"), "Громкость");

    std::string huge(1 << 20, 'x');
    ASSERT_TRUE(t.Load(dir.file("huge.ini", "[Orvelin]\nForm1.Label1.Caption=" + huge + "\nForm1.Label2.Caption=B\n")));
    EXPECT_EQ(t.Lookup("Form1.Label1.Caption", "a"), huge);
    EXPECT_EQ(t.Lookup("Form1.Label2.Caption", "b"), "B");
}

TEST(MissingKeyLog, CollectsEachMissingKeyOnceOnlyWhenTheFileExists) {
    testenv::TempDir dir;
    i18n::TMissingKeyLog none(dir.path + "Orvelin.log");
    none.Add("Form1.Label1.Caption", "Громкость");
    EXPECT_TRUE(none.Save());
    EXPECT_FALSE(common::fileExists(dir.path + "Orvelin.log"));

    std::string path = dir.file("Orvelin.log", "Form1.Label2.Caption=Баланс\r\n");
    {
        i18n::TMissingKeyLog log(path);
        i18n::TTranslation t;
        t.SetLog(&log);
        ASSERT_TRUE(t.Load(dir.file("German.ini", kFile)));
        EXPECT_EQ(t.Lookup("Form1.Label1.Caption", "Громкость"), "Lautstärke");  // found: not logged
        t.Lookup("Form1.Label2.Caption", "Баланс");                              // already listed
        t.Lookup("Form1.StopButton.Hint", "Стоп");
        t.Lookup("FORM1.STOPBUTTON.HINT", "Стоп");
        ASSERT_TRUE(log.Save());
    }
    EXPECT_EQ(
        common::readFile(path),
        common::EncodeText("Form1.Label2.Caption=Баланс\r\nForm1.StopButton.Hint=Стоп\r\n", TTextEncoding::Utf16LE));
}

}  // namespace
