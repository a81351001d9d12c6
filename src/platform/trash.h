// Deleting a file "from disk" the way the desktop does: it goes to the
// trash, from where the user's file manager can restore it.
#pragma once

#include <string>

namespace platform {

struct TTrashResult {
    bool ok = false;
    // Why the file stayed where it was (empty on success).
    std::string error;
    // Where the file now lies (on success).
    std::string trashedAs;
};

class Trash {
public:
    virtual ~Trash() = default;
    // Moves a file (or a link, or a folder) into the trash of its volume.
    // Never deletes: when no trash can take it, the file stays and the
    // result says why.
    virtual TTrashResult MoveToTrash(const std::string& path) = 0;
};

}  // namespace platform
