// The folder menu of Linux file managers, written into the user's data folder:
//   applications/orvelin-folder.desktop     an entry for inode/directory with
//                                           two actions (file managers that
//                                           list the actions of the
//                                           applications for a folder)
//   kio/servicemenus/orvelin-folder.desktop Dolphin's service menu
//   nautilus/scripts/<text>                 two scripts, named by their texts
// What was written, folders created included, is recorded in
// orvelin/folder-menu.list, so that removing takes exactly that away.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/foldermenu.h"

namespace platform {

class XdgFolderMenu : public FolderMenu {
public:
    // dataHome: $XDG_DATA_HOME with a trailing "/" (nothing is written when
    // empty); program: the executable the commands start.
    XdgFolderMenu(std::string dataHome, std::string program);

    bool Register(const TFolderMenuTexts& texts) override;
    bool Unregister() override;
    bool Registered() override;

    std::string ApplicationEntryPath() const { return dataHome_ + "applications/orvelin-folder.desktop"; }
    std::string ServiceMenuPath() const { return dataHome_ + "kio/servicemenus/orvelin-folder.desktop"; }
    std::string ScriptsDir() const { return dataHome_ + "nautilus/scripts/"; }
    std::string RecordPath() const { return dataHome_ + "orvelin/folder-menu.list"; }

private:
    struct TRecord {
        std::vector<std::string> dirs;   // in the order they were made
        std::vector<std::string> files;  // what was written
    };
    // Makes the folder and its missing parents below the data folder,
    // noting each one made.
    bool makeFolder(const std::string& folder, TRecord& record);
    bool writeEntry(const std::string& path, const std::string& content, TRecord& record);
    // Null, with errno set, when there is no record.
    std::optional<TRecord> loadRecord();
    bool saveRecord(const TRecord& record);

    std::string dataHome_;
    std::string program_;
};

// Pieces of the files, for their tests.
namespace xdg {
// A value of a desktop entry: backslash, line breaks, tabs and a leading
// space escaped.
std::string EscapeValue(const std::string& text);
// One argument of an Exec line, quoted, with its reserved characters and "%"
// escaped, before the value escaping of the whole line.
std::string QuoteExecArgument(const std::string& argument);
// A file name for a script from its menu text: no "/", no leading ".".
std::string ScriptName(const std::string& text, const std::string& fallback);
}  // namespace xdg

}  // namespace platform
