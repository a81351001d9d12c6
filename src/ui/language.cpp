#include "ui/language.h"

#include "app/inifile.h"
#include "common/files.h"
#include "common/text.h"
#include "i18n/languagefiles.h"
#include "i18n/prune.h"
#include "i18n/translation.h"
#include "ui/tform1.h"
#include "ui/translation.h"

namespace ui {

namespace {
constexpr const char* kLanguageSection = "Language";
constexpr const char* kLanguageKey = "Language";
constexpr int kLanguageGroup = 2;  // the theme items are group 1
}  // namespace

TInterfaceLanguage::TInterfaceLanguage(TForm1& form1, std::function<std::vector<TForm*>()> forms)
    : form1_(form1), forms_(std::move(forms)) {}

std::string TInterfaceLanguage::Chosen() {
    return app::TMemIniFile(form1_.Paths().PortablePath()).ReadString(kLanguageSection, kLanguageKey, "");
}

void TInterfaceLanguage::LoadLanguage() {
    std::string chosen = Chosen();
    TMenuItem& menu = form1_.LanguageMenu;
    menu.ClearOwned();
    for (const i18n::TLanguageFile& file : i18n::ListLanguages(form1_.Paths().LanguageDirs())) {
        // Two tabs: the display name stands in the menu's right-hand column.
        TMenuItem* item = menu.AddOwned(file.base + "\t\t" + file.display);
        item->RadioItem.set(true);
        item->GroupIndex.set(kLanguageGroup);
        item->Checked.set(i18n::IsChosen(file.base, chosen));
        item->OnClick = [this, item, base = file.base] {
            for (TMenuItem* other : form1_.LanguageMenu.Items()) other->Checked.set(other == item);
            // Later: choosing rebuilds this menu, which must not happen while
            // the item's own click runs.
            form1_.Application().dispatcher().post([this, base] { Choose(base); });
        };
    }
}

void TInterfaceLanguage::GlobLoad() {
    for (TForm* form : forms_()) {
        std::string path = i18n::FindLanguage(i18n::ListLanguages(form1_.Paths().LanguageDirs()), Chosen());
        i18n::TTranslation translation;
        if (path.empty() || !translation.Load(path)) continue;
        i18n::TMissingKeyLog log(form1_.Paths().MissingKeyLogPath());
        if (log.Active()) translation.SetLog(&log);
        TranslateForm(*form, translation);
        log.Save();
        form1_.Application().ProcessMessages();
    }
}

void TInterfaceLanguage::CleanTranslationsLikeGlobload() {
    i18n::TWindowNames names{
        [this](std::string_view name) {
            for (TForm* f : forms_())
                if (common::equalsNoCase(f->Name(), name)) return true;
            return false;
        },
        [this](std::string_view formName, std::string_view component) {
            for (TForm* f : forms_())
                if (common::equalsNoCase(f->Name(), formName)) return f->FindComponent(component) != nullptr;
            return false;
        },
    };
    for (const std::string& dir : form1_.Paths().LanguageDirs())
        for (const std::string& name : common::listFiles(dir))
            if (common::endsWithNoCase(name, ".ini")) i18n::PruneLanguageFile(dir + name, names);
}

void TInterfaceLanguage::Choose(const std::string& base) {
    app::TMemIniFile ini(form1_.Paths().PortablePath());
    ini.WriteString(kLanguageSection, kLanguageKey, base);
    ini.UpdateFile();
    LoadLanguage();
    GlobLoad();
    if (form1_.Hooks.LanguageChanged) form1_.Hooks.LanguageChanged();
}

}  // namespace ui
