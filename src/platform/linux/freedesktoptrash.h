// The freedesktop.org trash: $XDG_DATA_HOME/Trash for files on the home
// volume, and a trash at the top of every other volume ($topdir/.Trash/$uid
// when the administrator made a shared .Trash, else $topdir/.Trash-$uid).
// Each trashed file has an info file beside it naming where it came from, so
// that any file manager can restore it.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/trash.h"

namespace platform {

// The volume a path lies on: its device and the folder it is mounted at
// (with a trailing "/").
struct TVolume {
    uint64_t device = 0;
    std::string topDir;
};
using VolumeLookup = std::function<std::optional<TVolume>(const std::string& path)>;

class FreedesktopTrash : public Trash {
public:
    // dataHome: the per-user data folder, with a trailing "/". volumeOf finds
    // the volume of an existing path (by default from the file system itself).
    explicit FreedesktopTrash(std::string dataHome, VolumeLookup volumeOf = {}, uid_t uid = ::getuid());
    TTrashResult MoveToTrash(const std::string& path) override;

    // The device of a path, and the topmost folder above it on that device.
    static std::optional<TVolume> VolumeOf(const std::string& path);

private:
    // The trash folder (with "/") that takes files of this volume, made if
    // need be; empty when none can be used.
    std::string trashFor(const TVolume& volume, std::string& error);

    std::string dataHome_;
    VolumeLookup volumeOf_;
    uid_t uid_;
};

// A path written the way trash info files and file URLs hold it: every byte
// but letters, digits, "-", "_", ".", "~" and "/" as %XX.
std::string PercentEncodePath(const std::string& path);

}  // namespace platform
