// A folder menu that only remembers what it was asked.
#pragma once

#include <vector>

#include "platform/foldermenu.h"

namespace platform {

class FakeFolderMenu : public FolderMenu {
public:
    std::vector<TFolderMenuTexts> registered;  // every Register, in order
    int unregistered = 0;
    bool present = false;
    bool fails = false;  // Register writes nothing and reports the failure

    bool Register(const TFolderMenuTexts& texts) override {
        registered.push_back(texts);
        if (fails) return false;
        present = true;
        return true;
    }
    bool Unregister() override {
        ++unregistered;
        present = false;
        return true;
    }
    bool Registered() override { return present; }
};

}  // namespace platform
