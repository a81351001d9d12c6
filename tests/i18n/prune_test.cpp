#include "i18n/prune.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/files.h"
#include "common/text.h"
#include "common/textfile.h"
#include "support/disk.h"
#include "support/tempdir.h"

using common::TTextEncoding;
using i18n::TPruneResult;

namespace {

// Form1 with PlayButton and LangError, Form2 with TabControlBody.
const i18n::TWindowNames kNames{
    [](std::string_view form) { return common::equalsNoCase(form, "Form1") || common::equalsNoCase(form, "Form2"); },
    [](std::string_view form, std::string_view component) {
        if (common::equalsNoCase(form, "Form1"))
            return common::equalsNoCase(component, "PlayButton") || common::equalsNoCase(component, "LangError");
        return common::equalsNoCase(component, "TabControlBody");
    },
};

std::string textOf(const std::string& path) { return common::DecodeText(common::readFile(path).value()).text; }

TEST(Prune, StaleAndDuplicateKeysGoAndTheRestStaysInItsEncoding) {
    common::setLegacyCodePage(1251);
    const std::string before =
        "[Language information]\r\nLANGNAME=Deutsch\r\nNoDot=kept\r\n"
        "[Orvelin]\r\n"
        "Form1.PlayButton.Hint=Wiedergabe\r\n"
        "Form11.Button1.Caption=X\r\n"      // no such window
        "Form1.NoSuchButton.Caption=Y\r\n"  // no such component
        "NoDotAtAll=Z\r\n"                  // not a key
        "form1.PLAYBUTTON.hint=Zweite\r\n"  // a later duplicate
        "; a comment stays\r\n"
        "Form2.Caption=Einstellungen\r\n"  // the window's own title
        "Form2.TabControlBody.Tabs [0]=Allgemein\r\n"
        "Form2.TabControlBody.Tabs[0]=Allgemein\r\n"  // never found, but its component exists
        "Form1.LangError.Caption=Fehler!\r\n"
        "\r\n[Stale]\r\nForm9.X.Caption=gone\r\n"
        "[DestDir]\r\nAnything=kept\r\n";
    const std::string after =
        "[Language information]\r\nLANGNAME=Deutsch\r\nNoDot=kept\r\n"
        "[Orvelin]\r\n"
        "Form1.PlayButton.Hint=Wiedergabe\r\n"
        "; a comment stays\r\n"
        "Form2.Caption=Einstellungen\r\n"
        "Form2.TabControlBody.Tabs [0]=Allgemein\r\n"
        "Form2.TabControlBody.Tabs[0]=Allgemein\r\n"
        "Form1.LangError.Caption=Fehler!\r\n"
        "\r\n[DestDir]\r\nAnything=kept\r\n";
    testenv::TempDir dir;
    for (TTextEncoding e :
         {TTextEncoding::Utf16LE, TTextEncoding::Utf16BENoBom, TTextEncoding::Utf8NoBom, TTextEncoding::Legacy}) {
        std::string path = dir.file("German.ini", common::EncodeText(before, e));
        EXPECT_EQ(i18n::PruneLanguageFile(path, kNames), TPruneResult::Pruned) << int(e);
        EXPECT_EQ(common::readFile(path), common::EncodeText(after, e)) << int(e);
        EXPECT_EQ(i18n::PruneLanguageFile(path, kNames), TPruneResult::Unchanged) << int(e);
    }
    common::setLegacyCodePage(1252);
}

TEST(Prune, FilesThatCannotBeSafelyRewrittenAreLeftAlone) {
    testenv::TempDir dir;
    const std::string stale = "[Orvelin]\r\nForm1.PlayButton.Hint=Play\r\nForm11.Button1.Caption=X\r\n";
    // Not a language file as far as can be told: no translation section.
    std::string foreign = dir.file("foreign.ini", "[Other]\r\nGarbage=1\r\n");
    EXPECT_EQ(i18n::PruneLanguageFile(foreign, kNames), TPruneResult::NotLanguage);
    // Text that would not read back whole (a lone surrogate).
    std::string broken = dir.file("broken.ini", "\xFF\xFE" + common::utf8ToUtf16le(stale) + std::string("\x00\xD8", 2));
    EXPECT_EQ(i18n::PruneLanguageFile(broken, kNames), TPruneResult::NotLanguage);
    EXPECT_EQ(i18n::PruneLanguageFile(dir.path + "missing.ini", kNames), TPruneResult::NotWritable);

    std::string full = dir.file("full.ini", stale);
    {
        testenv::FullDisk disk;
        EXPECT_EQ(i18n::PruneLanguageFile(full, kNames), TPruneResult::WriteFailed);
    }
    EXPECT_EQ(textOf(full), stale);
    EXPECT_EQ(dir.entries().size(), 3u);  // no temporary file left

    if (::geteuid() != 0) {  // permissions do not stop root
        std::string locked = dir.file("locked.ini", stale);
        testenv::ReadOnly readOnly(locked);
        EXPECT_EQ(i18n::PruneLanguageFile(locked, kNames), TPruneResult::NotWritable);
        EXPECT_EQ(textOf(locked), stale);
    }
}

}  // namespace
