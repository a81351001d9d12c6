#include "tags/core/replacefile.h"

#include "common/files.h"

#include <unistd.h>

namespace tags {

int ReplaceFileThroughTemp(const std::string& target, const std::function<int(TFileStream& out)>& write) {
    std::unique_ptr<common::ReplacementFile> file = common::ReplacementFile::create(target);
    if (!file) return -1;
    int result = -1;
    {
        std::unique_ptr<TFileStream> out = TFileStream::Adopt(::dup(file->fd()), target);
        if (!out) return -1;
        result = write(*out);
        if (result == 0 && !out->Good()) result = -1;
    }
    if (result == 0 && !file->commit()) result = -1;
    return result;
}

}  // namespace tags
