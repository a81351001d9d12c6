// Test doubles of the desktop services: they record what they were asked.
#pragma once

#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/trash.h"

namespace platform {

class FakeDesktop : public Desktop {
public:
    std::vector<std::string> shown;
    std::vector<std::vector<std::string>> clipboard;
    bool ShowInFileManager(const std::string& path) override {
        shown.push_back(path);
        return true;
    }
    bool CopyFilesToClipboard(const std::vector<std::string>& paths) override {
        clipboard.push_back(paths);
        return true;
    }
};

// A trash that takes nothing: the file stays, with the reason given.
class RefusingTrash : public Trash {
public:
    std::vector<std::string> asked;
    TTrashResult MoveToTrash(const std::string& path) override {
        asked.push_back(path);
        return {false, "read-only file system", {}};
    }
};

}  // namespace platform
