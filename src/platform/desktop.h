// What the desktop around the player offers for a file: its file manager
// and its clipboard.
#pragma once

#include <string>
#include <vector>

namespace platform {

class Desktop {
public:
    virtual ~Desktop() = default;
    // Opens the file manager on the file's folder with the file selected, or
    // at least on the folder. False when nothing could be asked to.
    virtual bool ShowInFileManager(const std::string& path) = 0;
    // Puts files on the clipboard so that a file manager pastes the files
    // themselves (a copy, not a cut). False when the clipboard refused them.
    virtual bool CopyFilesToClipboard(const std::vector<std::string>& paths) = 0;
};

}  // namespace platform
