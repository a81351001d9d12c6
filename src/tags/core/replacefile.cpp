#include "tags/core/replacefile.h"

#include "common/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tags {

namespace {

bool SyncFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

int ReplaceFileThroughTemp(const std::string& target, const std::function<int(TFileStream& out)>& write) {
    const std::string tmp = common::siblingTempPath(target);
    int result = -1;
    {
        auto out = TFileStream::Open(tmp, TFileMode::fmCreate);
        if (!out) return -1;
        result = write(*out);
        if (result == 0 && !out->Good()) result = -1;
    }
    if (result == 0 && !SyncFile(tmp)) result = -1;
    struct stat st {};
    if (result == 0 && ::stat(target.c_str(), &st) == 0) {
        ::chmod(tmp.c_str(), st.st_mode & 07777);
        // Best effort: only root may give the file back to another owner.
        [[maybe_unused]] int owned = ::chown(tmp.c_str(), st.st_uid, st.st_gid);
    }
    if (result == 0 && ::rename(tmp.c_str(), target.c_str()) != 0) result = -1;
    if (result != 0) ::unlink(tmp.c_str());
    return result;
}

}  // namespace tags
