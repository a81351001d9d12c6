#include "ui/translation.h"

#include <algorithm>

#include "common/text.h"
#include "i18n/languagefiles.h"
#include "kit/controls.h"
#include "kit/menu.h"

namespace ui {

namespace {

// Node `index` of a tree in pre-order (the order of the tree's rows when all
// is expanded), counting down `index` as it goes.
TTreeNode* nodeAt(std::vector<TTreeNode>& nodes, size_t& index) {
    for (TTreeNode& n : nodes) {
        if (index == 0) return &n;
        --index;
        if (TTreeNode* found = nodeAt(n.Children, index)) return found;
    }
    return nullptr;
}

void collectNodeTexts(const std::vector<TTreeNode>& nodes, std::vector<std::string>& out) {
    for (const TTreeNode& n : nodes) {
        out.push_back(n.Text);
        collectNodeTexts(n.Children, out);
    }
}

class Collector {
public:
    Collector(std::vector<TTranslatableText>& out, std::string prefix) : out_(out), prefix_(std::move(prefix)) {}

    void text(const char* property, Property<std::string>& p) {
        add(prefix_ + property, p(), [&p](const std::string& s) { p.set(s); });
    }
    // "Tabs [i]": the space is part of the key, as files in the wild have it.
    void tabs(Property<std::vector<std::string>>& p) {
        for (size_t i = 0; i < p().size(); ++i)
            add(prefix_ + "Tabs [" + std::to_string(i) + "]", p()[i], [&p, i](const std::string& s) {
                if (i >= p().size()) return;
                auto items = p();
                items[i] = s;
                p.set(std::move(items));
            });
    }
    void nodes(Property<std::vector<TTreeNode>>& p) {
        std::vector<std::string> texts;
        collectNodeTexts(p(), texts);
        for (size_t i = 0; i < texts.size(); ++i)
            add(prefix_ + "Items.Item[" + std::to_string(i) + "].Text", texts[i], [&p, i](const std::string& s) {
                auto items = p();
                size_t at = i;
                if (TTreeNode* n = nodeAt(items, at)) n->Text = s;
                p.set(std::move(items));
            });
    }

    void columns(Property<std::vector<TListColumn>>& p) {
        for (size_t i = 0; i < p().size(); ++i)
            add(prefix_ + "Columns[" + std::to_string(i) + "].Caption", p()[i].Caption, [&p, i](const std::string& s) {
                if (i >= p().size()) return;
                auto columns = p();
                columns[i].Caption = s;
                p.set(std::move(columns));
            });
    }

private:
    void add(std::string key, const std::string& text, std::function<void(const std::string&)> set) {
        if (i18n::Translatable(text)) out_.push_back({std::move(key), text, std::move(set)});
    }
    std::vector<TTranslatableText>& out_;
    std::string prefix_;
};

template <class C>
void captionAndHint(Collector& c, TComponent& comp) {
    auto& control = static_cast<C&>(comp);
    c.text("Caption", control.Caption);
    c.text("Hint", control.Hint);
}

void collect(Collector& c, TComponent& comp) {
    // Every kind is named, so that a new one cannot join the windows without
    // a decision about its texts.
    switch (comp.Kind()) {
    case TControlKind::Panel: captionAndHint<TPanel>(c, comp); break;
    case TControlKind::GroupBox: captionAndHint<TGroupBox>(c, comp); break;
    case TControlKind::Label: captionAndHint<TLabel>(c, comp); break;
    case TControlKind::Button: captionAndHint<TButton>(c, comp); break;
    case TControlKind::SpeedButton: captionAndHint<TSpeedButton>(c, comp); break;
    case TControlKind::CheckBox: captionAndHint<TCheckBox>(c, comp); break;
    case TControlKind::RadioButton: captionAndHint<TRadioButton>(c, comp); break;
    case TControlKind::MenuItem: captionAndHint<TMenuItem>(c, comp); break;
    // Shown as the pages' tabs here, so their captions are read.
    case TControlKind::TabSheet: captionAndHint<TTabSheet>(c, comp); break;
    case TControlKind::Edit:
    case TControlKind::SearchBox:
        c.text("Hint", static_cast<TEdit&>(comp).Hint);
        c.text("TextHint", static_cast<TEdit&>(comp).TextHint);
        break;
    case TControlKind::TabControl:
        c.text("Hint", static_cast<TTabControl&>(comp).Hint);
        c.tabs(static_cast<TTabControl&>(comp).Tabs);
        break;
    case TControlKind::TreeView:
        c.text("Hint", static_cast<TTreeView&>(comp).Hint);
        c.nodes(static_cast<TTreeView&>(comp).Items);
        break;
    case TControlKind::ListView:
        c.text("Hint", static_cast<TListView&>(comp).Hint);
        c.columns(static_cast<TListView&>(comp).Columns);
        break;
    case TControlKind::OpenDialog:
        c.text("Title", static_cast<TOpenDialog&>(comp).Title);
        c.text("Filter", static_cast<TOpenDialog&>(comp).Filter);
        break;
    case TControlKind::TrayIcon: c.text("Hint", static_cast<TTrayIcon&>(comp).Hint); break;
    case TControlKind::TrackBar:
    case TControlKind::StringGrid:
    case TControlKind::Image:
    case TControlKind::PaintBox:
    case TControlKind::PageControl:
    case TControlKind::ProgressBar:
    case TControlKind::HotKey:
    case TControlKind::ListBox:
    case TControlKind::Memo:
    // Only the hint: the items and panels are the program's own texts.
    case TControlKind::ComboBox:
    case TControlKind::StatusBar: c.text("Hint", static_cast<TControl&>(comp).Hint); break;
    // Nothing to read.
    case TControlKind::Form:
    case TControlKind::Timer:
    case TControlKind::PopupMenu: break;
    }
}

}  // namespace

std::vector<TTranslatableText> TranslatableTexts(TForm& form) {
    std::vector<TTranslatableText> texts;
    if (form.TranslateCaption) Collector(texts, form.Name() + ".").text("Caption", form.Caption);
    if (!form.TranslateComponents) return texts;
    for (TComponent* comp : form.Components()) {
        const auto& runtime = form.RuntimeTextComponents;
        if (std::any_of(runtime.begin(), runtime.end(),
                        [&](const std::string& name) { return common::equalsNoCase(name, comp->Name()); }))
            continue;
        Collector c(texts, form.Name() + "." + comp->Name() + ".");
        collect(c, *comp);
    }
    return texts;
}

void TranslateForm(TForm& form, i18n::TTranslation& translation) {
    for (TTranslatableText& t : TranslatableTexts(form)) {
        std::string text = translation.Lookup(t.key, t.text);
        if (!text.empty() && text != t.text) t.set(text);
    }
    form.OnTranslated();
}

std::string LanguageFileTemplate(const std::vector<TForm*>& forms) {
    std::string out = "[" + std::string(i18n::kTranslationSection) + "]\n";
    for (TForm* form : forms)
        for (const TTranslatableText& t : TranslatableTexts(*form)) out += t.key + "=" + t.text + "\n";
    return out;
}

}  // namespace ui
