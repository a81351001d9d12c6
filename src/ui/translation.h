// How windows take their texts from language files. Every translatable text
// is addressed by a key built from names:
//   window title                    Form2.Caption
//   a component's text property     Form1.PlayButton.Hint  (Caption, Hint, Title, TextHint, Filter)
//   tab i of a tab control          Form1.TabControlCoverArt.Tabs [0]   (a space before "[")
//   node i of a tree (pre-order)    Form2.TreeViewMenu.Items.Item[0].Text
//   column i of a list view         Form9.ListViewPLManager.Columns[0].Caption
// Message texts are captions of hidden menu items of the main window
// (Form1.LangError.Caption), so they are translated like any caption.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "i18n/translation.h"
#include "kit/form.h"

namespace ui {

struct TTranslatableText {
    std::string key;
    std::string text;  // what the window holds now
    std::function<void(const std::string&)> set;
};

// Every text of the window a language file may replace, in component order.
// Empty texts, separators ("-") and numbers are not among them, nor the texts
// the window keeps for itself (TForm::TranslateCaption and the like), nor
// the items of combo boxes and panels of status bars (the program fills them)
// and the text of edits (the user's).
std::vector<TTranslatableText> TranslatableTexts(TForm& form);

// One window pass: each text whose key the translation holds with a
// non-empty value is replaced; then the window's OnTranslated runs.
void TranslateForm(TForm& form, i18n::TTranslation& translation);

// "key=text" lines of every translatable text of the windows, in window and
// component order, under the translation section's header: the start of a
// new language file.
std::string LanguageFileTemplate(const std::vector<TForm*>& forms);

}  // namespace ui
