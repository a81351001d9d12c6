// The interface language: the language menu of the main window, the chosen
// language applied to every window, and the start-up pruning of the files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "kit/form.h"

namespace ui {

class TForm1;

class TInterfaceLanguage {
public:
    // forms: every window of the program, asked afresh each time.
    TInterfaceLanguage(TForm1& form1, std::function<std::vector<TForm*>()> forms);

    // The base name of the chosen language file, from the settings.
    std::string Chosen();
    // Rebuilds the main window's language menu from the language files.
    void LoadLanguage();
    // Applies the chosen file to every window; nothing when it is missing or
    // holds no translations (the texts stay as they are).
    void GlobLoad();
    // Removes stale keys from every language file this user may write.
    void CleanTranslationsLikeGlobload();
    // A language picked from the menu: stored, the menu rebuilt, applied.
    void Choose(const std::string& base);

private:
    TForm1& form1_;
    std::function<std::vector<TForm*>()> forms_;
};

}  // namespace ui
