// The shortcuts page: one field per command of the main window, each with its
// menu items, a key given to one command only.
#include <initializer_list>

#include "common/log.h"
#include "ui/tform1.h"
#include "ui/tform2.h"

namespace ui {

namespace {

constexpr TShortCut kF1 = 0x70, kF2 = 0x71, kF4 = 0x73, kSpace = 0x20, kEnter = 0x0D, kDelete = 0x2E;

constexpr TShortCut ctrl(char key) { return static_cast<TShortCut>(scCtrl | key); }
constexpr TShortCut shift(TShortCut key) { return static_cast<TShortCut>(scShift | key); }
constexpr TShortCut alt(char key) { return static_cast<TShortCut>(scAlt | key); }

// Each "%s" of the text, in turn, by the next value.
std::string fill(std::string text, std::initializer_list<std::string> values) {
    size_t at = 0;
    for (const std::string& v : values) {
        at = text.find("%s", at);
        if (at == std::string::npos) break;
        text.replace(at, 2, v);
        at += v.size();
    }
    return text;
}

}  // namespace

const std::vector<TForm2::THotKeyCommand>& TForm2::HotKeyCommands() {
    static const std::vector<THotKeyCommand> commands = {
        {&TForm2::HotKey_Next, kF2, {"NextTryMenu"}},
        {&TForm2::HotKey_Prev, kF1, {"PrevTryMenu"}},
        {&TForm2::HotKey_Start, kSpace, {"PlayTryMenu"}},
        {&TForm2::HotKey_FileInfo, kF4, {"FileInfoMenu", "FileInfoPLMenu"}},
        {&TForm2::HotKey_Play, kEnter, {"PlayMenu"}},
        {&TForm2::HotKey_Option, ctrl('P'), {"OptionMenu", "OptionTryMenu"}},
        {&TForm2::HotKey_AddPL, ctrl('D'), {"AddPLMenu"}},
        {&TForm2::HotKey_OpenPL, ctrl('O'), {"OpenPLMenu"}},
        {&TForm2::HotKey_SavePL, ctrl('S'), {"SavePLMenu"}},
        {&TForm2::HotKey_ClearSpisok, shift('C'), {"ClearlistMenu"}},
        {&TForm2::HotKey_ClearHistory, shift('H'), {"ClearHistoryMenu"}},
        {&TForm2::HotKey_DelFile, shift(kDelete), {"DeleteFileFromDiskMenu"}},
        {&TForm2::HotKey_DelFilePL, kDelete, {"DeleteFileFromListMenu"}},
        {&TForm2::HotKey_NonEx, shift('E'), {"DeleteNonExistentMenu"}},
        {&TForm2::HotKey_DuplFile, shift('R'), {"DeleteDuplicatesMenu"}},
        {&TForm2::HotKey_BrowseFile, alt('O'), {"FileLocationMenu"}},
        {&TForm2::HotKey_AddFile, shift('L'), {"AddFileMenu1", "AddFileMenu"}},
        {&TForm2::HotKey_AddFolder, ctrl('L'), {"AddFolderMenu1", "AddFolderMenu"}},
        {&TForm2::HotKey_AddURL, ctrl('U'), {"AddURLMenu1", "AddURLMenu"}},
    };
    return commands;
}

std::vector<THotKey*> TForm2::HotKeys() {
    std::vector<THotKey*> keys;
    for (const THotKeyCommand& c : HotKeyCommands()) keys.push_back(&(this->*c.Field));
    return keys;
}

void TForm2::layOutHotKeys() {
    struct Row {
        TLabel* label;
        THotKey* field;
        const char* hint;
    };
    const Row rows[] = {
        {&LabelHotKey_Next, &HotKey_Next, "Следующий файл"},
        {&LabelHotKey_Prev, &HotKey_Prev, "Предыдущий файл"},
        {&LabelHotKey_Start, &HotKey_Start, "Старт/Пауза"},
        {&LabelHotKey_FileInfo, &HotKey_FileInfo, "Редактор тегов"},
        {&LabelHotKey_Play, &HotKey_Play, "Воспроизведение"},
        {&LabelHotKey_Option, &HotKey_Option, "Настройки"},
        {&LabelHotKey_AddPL, &HotKey_AddPL, "Добавить плейлист"},
        {&LabelHotKey_OpenPL, &HotKey_OpenPL, "Открыть плейлист"},
        {&LabelHotKey_SavePL, &HotKey_SavePL, "Сохранить плейлист"},
        {&LabelHotKey_ClearSpisok, &HotKey_ClearSpisok, "Очистить список"},
        {&LabelHotKey_ClearHistory, &HotKey_ClearHistory, "Очистить историю"},
        {&LabelHotKey_DelFile, &HotKey_DelFile, "Удалить файл с диска"},
        {&LabelHotKey_DelFilePL, &HotKey_DelFilePL, "Удалить файл из списка"},
        {&LabelHotKey_NonEx, &HotKey_NonEx, "Удалить несуществующие"},
        {&LabelHotKey_DuplFile, &HotKey_DuplFile, "Удалить дубликаты"},
        {&LabelHotKey_BrowseFile, &HotKey_BrowseFile, "Расположение файла"},
        {&LabelHotKey_AddFile, &HotKey_AddFile, "Добавить файлы"},
        {&LabelHotKey_AddFolder, &HotKey_AddFolder, "Добавить папку"},
        {&LabelHotKey_AddURL, &HotKey_AddURL, "Добавить URL"},
        {&LabelHotKey_Sound, &HotKey_Sound, "Звук (Вкл/выкл)"},
        {&LabelHotKey_Repeat, &HotKey_Repeat, "Повтор (Вкл/выкл)"},
        {&LabelHotKey_Random, &HotKey_Random, "Случайный порядок (Вкл/выкл)"},
    };
    // Two columns of eleven rows.
    constexpr int rowsPerColumn = 11, rowHeight = 28, columnWidth = 278, labelWidth = 194, fieldWidth = 80;
    for (int i = 0; i < static_cast<int>(std::size(rows)); ++i) {
        const Row& r = rows[i];
        int x = 8 + (i / rowsPerColumn) * columnWidth, y = 8 + (i % rowsPerColumn) * rowHeight;
        r.label->SetBounds(x, y + 4, labelWidth - 6, 18);
        r.field->SetBounds(x + labelWidth, y, fieldWidth, 24);
        r.field->Hint.set(r.hint);
    }
    for (THotKey* off : {&HotKey_Sound, &HotKey_Repeat, &HotKey_Random}) off->Enabled.set(false);
    Button_Reset2.Hint.set("Установка горячих клавиш по умолчанию");
    Button_Reset2.SetBounds(8, 8 + rowsPerColumn * rowHeight + 6, 110, 28);
    for (const THotKeyCommand& c : HotKeyCommands()) (this->*c.Field).HotKey.set(c.Initial);
    hotKeyLabels();
}

void TForm2::hotKeyLabels() {
    for (TComponent* c : Components()) {
        if (!c->Name().starts_with("LabelHotKey_")) continue;
        if (auto* field = Find<THotKey>(c->Name().substr(5))) static_cast<TLabel*>(c)->Caption.set(field->Hint());
    }
}

void TForm2::applyHotKey(THotKey& key) {
    for (const THotKeyCommand& c : HotKeyCommands()) {
        if (&(this->*c.Field) != &key) continue;
        for (const char* name : c.MenuItems)
            if (auto* item = form1_.Find<TMenuItem>(name)) item->ShortCut.set(key.HotKey());
    }
    acceptedKeys_[&key] = key.HotKey();
}

void TForm2::applyAllHotKeys() {
    for (THotKey* key : HotKeys()) applyHotKey(*key);
}

void TForm2::HotKeyChange(THotKey& key) {
    const TShortCut value = key.HotKey();
    auto refuse = [&](const std::string& message) {
        key.HotKey.set(acceptedKeys_[&key]);
        Application().dialogs().MessageBox(message, form1_.LangAttention.Caption(), MB_ICONWARNING);
    };
    // Deleting is bound to the keys a list takes for it.
    if ((&key == &HotKey_DelFile || &key == &HotKey_DelFilePL) && (value & (scCtrl | scAlt)))
        return refuse(fill(LangHotKeyModifiers.Caption(), {key.Hint()}));
    if (value != 0)
        for (THotKey* other : HotKeys())
            if (other != &key && other->HotKey() == value)
                return refuse(fill(LangHotKeyTaken.Caption(), {ShortCutToText(value), other->Hint()}));
    applyHotKey(key);
}

void TForm2::Button_Reset2Click() {
    // All at once: one at a time, a value could meet its old owner on the way.
    for (const THotKeyCommand& c : HotKeyCommands()) (this->*c.Field).HotKey.set(c.Initial);
    applyAllHotKeys();
}

}  // namespace ui
