// The interface language: the shipped files against the windows, the menu,
// switching, start-up, pruning and the name-based keys.
#include <gtest/gtest.h>

#include <map>

#include "app/inifile.h"
#include "common/files.h"
#include "common/inifile.h"
#include "common/text.h"
#include "kit/controls.h"
#include "kit/menu.h"
#include "ui/testenv.h"
#include "ui/translation.h"

using testenv::Env;
using testenv::Session;

namespace {

const std::string kShipped = std::string(ORVELIN_SOURCE_DIR) + "/resources/Language/";

// The pattern parts of a file-dialog filter ("Text|*.mp3|Text|*.ogg").
std::vector<std::string> filterPatterns(const std::string& filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (int i = 0;; ++i) {
        size_t bar = filter.find('|', start);
        if (i % 2) parts.push_back(filter.substr(start, bar - start));
        if (bar == std::string::npos) return parts;
        start = bar + 1;
    }
}

// The check that keeps the shipped files in step with the windows. When it
// fails after a window changed, `orvelin --language-keys` prints every key
// with its built-in text: the Russian file takes the lines as they are, the
// English one translated.
TEST(ShippedLanguages, CoverEveryTextOfEveryWindowAndNothingElse) {
    Env env;
    Session run(env);
    run.program.CreateForms();
    std::vector<ui::TTranslatableText> texts;
    for (ui::TForm* form : run.program.Forms())
        for (auto& t : ui::TranslatableTexts(*form)) texts.push_back(std::move(t));
    ASSERT_GT(texts.size(), 100u);

    for (const char* language : {"English", "Russian"}) {
        SCOPED_TRACE(language);
        common::IniFile file(kShipped + language + ".ini");
        ASSERT_EQ(file.Encoding(), common::TTextEncoding::Utf8);
        std::map<std::string, std::string, common::LessNoCase> values;
        for (auto& [key, value] : file.ReadSectionValues("Orvelin"))
            EXPECT_TRUE(values.emplace(key, value).second) << "a second " << key;
        std::string missing, wrong;
        for (const ui::TTranslatableText& t : texts) {
            auto it = values.find(t.key);
            if (it == values.end()) {
                missing += t.key + "=" + t.text + "\n";
                continue;
            }
            // Russian is the built-in language: its file must give the built-in texts back.
            if (std::string(language) == "Russian" && it->second != t.text) wrong += t.key + "=" + t.text + "\n";
            if (it->second.empty()) wrong += t.key + " is empty\n";
            if (common::endsWithNoCase(t.key, ".Filter") && filterPatterns(it->second) != filterPatterns(t.text))
                wrong += t.key + " lists other files than " + t.text + "\n";
            values.erase(it);
        }
        std::string stale;
        for (const auto& [key, value] : values) stale += key + "\n";
        EXPECT_EQ(missing, "") << "keys the file lacks";
        EXPECT_EQ(stale, "") << "keys no window has";
        EXPECT_EQ(wrong, "");
    }
    // The list of keys comes from the same windows as a real start.
    Env other;
    Session started(other);
    ASSERT_EQ(started.start(), ui::TProgram::TStartResult::Run);
    std::vector<std::string> designed, live;
    for (ui::TForm* f : run.program.Forms()) designed.push_back(f->Name());
    for (ui::TForm* f : started.program.Forms()) live.push_back(f->Name());
    EXPECT_EQ(designed, live);
}

// Installs the shipped files where an installation keeps them.
void install(Env& env) {
    env.system.installedDataDir = env.dir.path + "share/orvelin/";
    for (const char* name : {"English.ini", "Russian.ini"})
        env.dir.file("share/orvelin/Language/" + std::string(name), common::readFile(kShipped + name).value());
}

std::vector<std::string> menuCaptions(ui::TForm1& f) {
    std::vector<std::string> captions;
    for (ui::TMenuItem* item : f.LanguageMenu.Items())
        captions.push_back((item->Checked() ? "* " : "") + item->Caption());
    return captions;
}

ui::TMenuItem* languageItem(ui::TForm1& f, const std::string& base) {
    for (ui::TMenuItem* item : f.LanguageMenu.Items())
        if (item->Caption().starts_with(base + "\t")) return item;
    return nullptr;
}

TEST(InterfaceLanguage, AFirstStartFollowsTheDesktopAndTheMenuSwitchesEveryWindow) {
    Env env;
    install(env);
    env.system.messagesLocale = "en_GB.UTF-8";
    {
        Session run(env);
        ASSERT_EQ(run.start(), ui::TProgram::TStartResult::Run);
        ui::TForm1& f = run.form();
        ui::TForm2& settings = *run.program.Form2;
        auto shown = [&] {
            return std::vector<std::string>{f.PlayButton.Hint(),   f.LanguageMenu.Caption(),
                                            f.LangError.Caption(), f.SearchBox1.TextHint(),
                                            settings.Caption(),    settings.AutoNext.Caption()};
        };
        const std::vector<std::string> english{"Play",   "Language", "Error!",
                                               "Search", "Settings", "Go to the next track automatically"};
        const std::vector<std::string> russian{"Воспроизвести", "Язык",      "Ошибка!",
                                               "Поиск",         "Настройки", "Авто переход на следующий трек"};
        EXPECT_EQ(shown(), english);
        EXPECT_EQ(menuCaptions(f), (std::vector<std::string>{"* English\t\tEnglish", "Russian\t\tРусский"}));
        EXPECT_TRUE(f.Caption().starts_with("Orvelin "));  // the title keeps its version

        languageItem(f, "Russian")->Click();
        EXPECT_EQ(menuCaptions(f), (std::vector<std::string>{"English\t\tEnglish", "* Russian\t\tРусский"}));
        run.t.app.ProcessMessages();
        EXPECT_EQ(shown(), russian);
        EXPECT_EQ(app::TMemIniFile(env.settingsFile()).ReadString("Language", "Language", ""), "Russian");
        EXPECT_EQ(menuCaptions(f), (std::vector<std::string>{"English\t\tEnglish", "* Russian\t\tРусский"}));

        languageItem(f, "English")->Click();
        run.t.app.ProcessMessages();
        EXPECT_EQ(shown(), english);
        f.Close();
    }

    // The next start keeps the choice; a Russian desktop's first start speaks Russian.
    Session again(env);
    ASSERT_EQ(again.start(), ui::TProgram::TStartResult::Run);
    EXPECT_EQ(again.form().PlayButton.Hint(), "Play");
    Env ru;
    install(ru);
    ru.system.messagesLocale = "ru_RU.UTF-8";
    Session first(ru);
    ASSERT_EQ(first.start(), ui::TProgram::TStartResult::Run);
    EXPECT_EQ(app::TMemIniFile(ru.settingsFile()).ReadString("Language", "Language", ""), "Russian");
    EXPECT_EQ(menuCaptions(first.form()), (std::vector<std::string>{"English\t\tEnglish", "* Russian\t\tРусский"}));
}

TEST(InterfaceLanguage, TheUsersFilesWinArePrunedAndFeedTheMissingKeyList) {
    Env env;
    install(env);
    env.dir.file("Orvelin.log");  // beside the program's folder: the translators' list is wanted
    std::string german =
        env.dir.file("data/orvelin/Language/German.ini",
                     "\xFF\xFE" + common::utf8ToUtf16le("[Language information]\r\nLANGNAME=Deutsch\r\n"
                                                        "[Orvelin]\r\n"
                                                        "Form1.PlayButton.Hint=Wiedergabe\r\n"
                                                        "Form1.N1.Caption=Trenner\r\n"
                                                        "Form11.Button1.Caption=X\r\n"
                                                        "Form1.NoSuchButton.Caption=Y\r\n"
                                                        "NoDot=Z\r\n"
                                                        "Form2.Caption=Einstellungen\r\n"));
    // The user's own English replaces the installed one.
    env.dir.file("data/orvelin/Language/English.ini", "[Orvelin]\r\nForm1.StopButton.Hint=Halt\r\n");
    env.dir.file("config/Orvelin Project/Orvelin/Config/Option.ini", "[Language]\r\nLanguage=German.ini\r\n");
    Session run(env);
    ASSERT_EQ(run.start(), ui::TProgram::TStartResult::Run);
    ui::TForm1& f = run.form();
    EXPECT_EQ(menuCaptions(f),
              (std::vector<std::string>{"English\t\tEnglish", "* German\t\tDeutsch", "Russian\t\tРусский"}));
    EXPECT_EQ(f.PlayButton.Hint(), "Wiedergabe");
    EXPECT_EQ(f.StopButton.Hint(), "Стоп");  // not in this file: the built-in text stays
    EXPECT_EQ(f.N1.Caption(), "-");          // separators are never looked up
    EXPECT_EQ(run.program.Form2->Caption(), "Einstellungen");

    // Pruned at start, in its own encoding; the installed files were current already.
    EXPECT_EQ(common::readFile(german).value(),
              "\xFF\xFE" + common::utf8ToUtf16le("[Language information]\r\nLANGNAME=Deutsch\r\n[Orvelin]\r\n"
                                                 "Form1.PlayButton.Hint=Wiedergabe\r\nForm1.N1.Caption=Trenner\r\n"
                                                 "Form2.Caption=Einstellungen\r\n"));
    EXPECT_EQ(common::readFile(env.system.installedDataDir + "Language/English.ini"),
              common::readFile(kShipped + "English.ini"));

    std::string log = common::DecodeText(common::readFile(env.dir.path + "Orvelin.log").value()).text;
    EXPECT_NE(log.find("Form1.StopButton.Hint=Стоп\r\n"), std::string::npos);
    EXPECT_EQ(log.find("Form1.PlayButton.Hint"), std::string::npos);
    EXPECT_EQ(log.find("Form1.N1."), std::string::npos);

    // The user's English: one text of its own, the rest as the window had them.
    languageItem(f, "English")->Click();
    run.t.app.ProcessMessages();
    EXPECT_EQ(f.StopButton.Hint(), "Halt");
    EXPECT_EQ(f.PlayButton.Hint(), "Wiedergabe");
}

TEST(InterfaceLanguage, NoFilesOrABrokenChosenFileLeaveTheBuiltInTexts) {
    const std::string contents[] = {"", std::string("\x00\x01\x02\xFF garbage", 12),
                                    "[Orvelin]\r\nForm1.PlayButton.Hint=\r\n"};
    for (const std::string& content : contents) {
        Env env;
        env.dir.file("data/orvelin/Language/Broken.ini", content);
        env.dir.file("config/Orvelin Project/Orvelin/Config/Option.ini", "[Language]\r\nLanguage=Broken\r\n");
        Session run(env);
        ASSERT_EQ(run.start(), ui::TProgram::TStartResult::Run);
        EXPECT_EQ(run.form().PlayButton.Hint(), "Воспроизвести");
        EXPECT_EQ(run.form().LanguageMenu.Items().size(), 1u);
    }
    Env none;
    Session run(none);
    ASSERT_EQ(run.start(), ui::TProgram::TStartResult::Run);
    EXPECT_TRUE(run.form().LanguageMenu.Items().empty());
    EXPECT_EQ(run.form().PlayButton.Hint(), "Воспроизвести");
}

// A window of every kind that carries texts of its own shape.
struct KindsForm : ui::TForm {
    explicit KindsForm(ui::TApplication& app) : TForm(app, "Form9") {
        Caption.set("Окно");
        Tabs.Tabs.set({"Обложка", "", "7"});
        Tree.Items.set({{"Основные", {{"Вложенный", {}}}}, {"Плагины", {}}});
        Chooser.Items.set({"default"});
        Chooser.Text.set("default");
        Chooser.Hint.set("Выбор");
        Edit.Text.set("текст пользователя");
        Edit.TextHint.set("Поиск");
        Dialog.Title.set("Открыть");
        RuntimeTextComponents = {"runtimeLabel"};
    }
    ui::TTabControl Tabs{this, "Tabs"};
    ui::TTreeView Tree{this, "Tree"};
    ui::TComboBox Chooser{this, "Chooser"};
    ui::TEdit Edit{this, "Edit"};
    ui::TLabel RuntimeLabel{this, "RuntimeLabel", "12:00 играет"};
    ui::TOpenDialog Dialog{this, "Dialog", "Плейлист|*.m3u"};
    ui::TStatusBar Status{this, "Status"};
};

TEST(InterfaceLanguage, KeysFollowTheShapeOfEachKindOfText) {
    ui::TestApplication t;
    KindsForm form(t.app);
    form.Status.Panels.set({ui::TStatusPanel{"0 b"}});
    std::vector<std::string> keys;
    for (const auto& text : ui::TranslatableTexts(form)) keys.push_back(text.key + "=" + text.text);
    EXPECT_EQ(keys, (std::vector<std::string>{
                        "Form9.Caption=Окно",
                        "Form9.Tabs.Tabs [0]=Обложка",
                        "Form9.Tree.Items.Item[0].Text=Основные",
                        "Form9.Tree.Items.Item[1].Text=Вложенный",
                        "Form9.Tree.Items.Item[2].Text=Плагины",
                        "Form9.Chooser.Hint=Выбор",
                        "Form9.Edit.TextHint=Поиск",
                        "Form9.Dialog.Title=Открыть",
                        "Form9.Dialog.Filter=Плейлист|*.m3u",
                    }));

    testenv::TempDir dir;
    i18n::TTranslation translation;
    ASSERT_TRUE(translation.Load(dir.file("x.ini",
                                          "[Orvelin]\nform9.caption=Window\nForm9.Tabs.Tabs [0]=Cover\n"
                                          "Form9.Tree.Items.Item[1].Text=Nested\nForm9.Edit.Text=lost\n"
                                          "Form9.Chooser.Text=lost\nForm9.RuntimeLabel.Caption=lost\n")));
    ui::TranslateForm(form, translation);
    EXPECT_EQ(form.Caption(), "Window");
    EXPECT_EQ(form.Tabs.Tabs(), (std::vector<std::string>{"Cover", "", "7"}));
    EXPECT_EQ(form.Tree.Items()[0].Children[0].Text, "Nested");
    EXPECT_EQ(form.Tree.Items()[0].Text, "Основные");
    EXPECT_EQ(form.Edit.Text(), "текст пользователя");
    EXPECT_EQ(form.Chooser.Text(), "default");
    EXPECT_EQ(form.RuntimeLabel.Caption(), "12:00 играет");

    form.TranslateComponents = false;
    form.TranslateCaption = false;
    EXPECT_TRUE(ui::TranslatableTexts(form).empty());
}

}  // namespace
