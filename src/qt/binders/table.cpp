#include "qt/binders/binders.h"

namespace orvelin::qt {

using ui::TControlKind;

namespace {

constexpr BinderEntry kBinders[] = {
    {TControlKind::Panel, binders::panel, true},
    {TControlKind::GroupBox, binders::groupBox, false},
    {TControlKind::TabControl, binders::tabControl, true},
    {TControlKind::TabSheet, binders::tabSheet, false},
    {TControlKind::PageControl, binders::pageControl, false},
    {TControlKind::Button, binders::button, false},
    {TControlKind::SpeedButton, binders::speedButton, false},
    {TControlKind::CheckBox, binders::checkBox, false},
    {TControlKind::RadioButton, binders::radioButton, false},
    {TControlKind::Label, binders::label, true},
    {TControlKind::Edit, binders::edit, true},
    {TControlKind::SearchBox, binders::searchBox, false},
    {TControlKind::Memo, binders::memo, false},
    {TControlKind::HotKey, binders::hotKey, false},
    {TControlKind::ComboBox, binders::comboBox, false},
    {TControlKind::ListBox, binders::listBox, false},
    {TControlKind::TreeView, binders::treeView, false},
    {TControlKind::ListView, binders::listView, false},
    {TControlKind::StringGrid, binders::stringGrid, false},
    {TControlKind::TrackBar, binders::trackBar, false},
    {TControlKind::ProgressBar, binders::progressBar, false},
    {TControlKind::StatusBar, binders::statusBar, true},
    {TControlKind::Image, binders::image, true},
    {TControlKind::PaintBox, binders::paintBox, true},
};

}  // namespace

const BinderEntry* binderFor(TControlKind kind) {
    for (const BinderEntry& entry : kBinders)
        if (entry.kind == kind) return &entry;
    return nullptr;
}

}  // namespace orvelin::qt
